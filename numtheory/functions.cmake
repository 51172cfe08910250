# Powers, modular powers, square root, GCD and the factorial family.
target_sources(numtheory PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/power.cpp
  ${CMAKE_CURRENT_LIST_DIR}/set_modulus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/montgomery_reduce.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modular_power.cpp
  ${CMAKE_CURRENT_LIST_DIR}/square_root.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inverse_sqrt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gcd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/factorial.cpp
)
