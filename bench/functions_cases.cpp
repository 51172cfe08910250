// Square root, modular power, GCD, factorials, a binomial and a power, each
// beside GMP on the same operands.
#include "bench/bench.h"
#include "numtheory/functions.h"

namespace quorvel::bench {

void runFunctionsCases() {
  mpz_t ga, gb, gc, gr, gs;
  mpz_inits(ga, gb, gc, gr, gs, nullptr);
  vnum a, b, c, r, s;

  randomOperand(5000000, 21, a, ga);
  compare("square root of 5,000,000 bits", [&] { squareRoot(r, a, s); }, [&] { mpz_sqrtrem(gr, gs, ga); });

  // Base, exponent and odd modulus of 4,096 bits; the Montgomery constants
  // are set once, as "Modulo" does, outside the timed call.
  randomOperand(4096, 22, a, ga);
  randomOperand(4096, 23, b, gb);
  randomOperand(4096, 24, c, gc);
  c |= vnum(int32_t{1});
  mpz_setbit(gc, 0);
  ModulusRecord record;
  setModulus(record, c);
  compare("modular power, 4,096-bit odd modulus", [&] { r = modularPower(a, b, record); }, [&] { mpz_powm(gr, ga, gb, gc); });

  const struct {
    long bits;
    const char* name;
  } gcdCases[] = {{1000000, "GCD of two 1,000,000-bit values"}, {5000000, "GCD of two 5,000,000-bit values"}};
  for (const auto& gcdCase : gcdCases) {
    randomOperand(gcdCase.bits, 25, a, ga);
    randomOperand(gcdCase.bits, 26, b, gb);
    compare(gcdCase.name, [&] { r = a; gcd(r, b); }, [&] { mpz_gcd(gr, ga, gb); });
  }

  // P(n, n) is n! without the key's size guard, which refuses 300,000!
  // (5,025,583 bits) before any work.
  for (long n : {100000L, 300000L}) {
    const vnum nv(int64_t{n});
    compare(std::to_string(n) + "!", [&] { fallingFactorial(r, nv, nv); },
            [&] { mpz_fac_ui(gr, static_cast<unsigned long>(n)); });
  }

  // The key refuses 1,000,000! ("Scale over") before any work; GMP's side
  // computes it, for scale.
  const vnum million(int32_t{1000000});
  compare("1,000,000! refused (GMP: computed)",
          [&] {
            try {
              r = factorial(million);
            } catch (const char*) {
            }
          },
          [&] { mpz_fac_ui(gr, 1000000); });

  const vnum n(int32_t{2000000}), k(int32_t{1000000});
  compare("C(2,000,000, 1,000,000)", [&] { r = combinations(n, k); }, [&] { mpz_bin_uiui(gr, 2000000, 1000000); });

  const vnum three(int32_t{3}), exponent(int32_t{3000000});
  compare("3^3,000,000", [&] { r = power(three, exponent); }, [&] { mpz_ui_pow_ui(gr, 3, 3000000); });

  mpz_clears(ga, gb, gc, gr, gs, nullptr);
}

}  // namespace quorvel::bench
