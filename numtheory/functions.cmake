# Powers, modular powers, square root, GCD and the factorial family.
target_sources(numtheory PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/power.cpp
  ${CMAKE_CURRENT_LIST_DIR}/set_modulus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/montgomery_reduce.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modular_power.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word_convert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word_arithmetic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word_montgomery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/square_root.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inverse_sqrt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gcd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/half_gcd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/half_gcd_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lehmer_matrix.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lehmer_kernels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/factorial.cpp
  ${CMAKE_CURRENT_LIST_DIR}/falling_factorial_by_primes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/binomial_by_cancelling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/binomial_by_primes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prime_sieve.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word_product.cpp
)
