// Division, remainder, reading decimal digits and "Exp" at the calculator's
// 5,000,000-bit cap.
#include <string>

#include "bench/bench.h"
#include "numtheory/numtheory.h"

namespace quorvel::bench {

void runNumtheoryCases() {
  vnum a, b, c, m;
  mpz_t ga, gb, gc, gm, gr;
  mpz_inits(ga, gb, gc, gm, gr, nullptr);
  randomOperand(5000000, 11, a, ga);
  randomOperand(2500000, 12, b, gb);
  randomOperand(1000, 13, c, gc);
  randomOperand(100000, 14, m, gm);

  // Division is in place, so our side copies the dividend into a result
  // that, like GMP's, keeps its storage from call to call.
  vnum r;
  compare("quotient 5,000,000 / 2,500,000 bits", [&] { r = a; divide(r, b); }, [&] { mpz_tdiv_q(gr, ga, gb); });
  compare("quotient 5,000,000 / 1,000 bits", [&] { r = a; divide(r, c); }, [&] { mpz_tdiv_q(gr, ga, gc); });
  compare("remainder 5,000,000 MOD 2,500,000 bits", [&] { r = a; modulo(r, b); }, [&] { mpz_tdiv_r(gr, ga, gb); });
  compare("remainder 5,000,000 MOD 1,000 bits", [&] { r = a; modulo(r, c); }, [&] { mpz_tdiv_r(gr, ga, gc); });
  // A middle-sized divisor: the recursive division.
  compare("quotient 5,000,000 / 100,000 bits", [&] { r = a; divide(r, m); }, [&] { mpz_tdiv_q(gr, ga, gm); });
  compare("remainder 5,000,000 MOD 100,000 bits", [&] { r = a; modulo(r, m); }, [&] { mpz_tdiv_r(gr, ga, gm); });

  // The decimal text of a 1,505,000-digit value (just under the cap).
  mpz_t digitsValue;
  mpz_init(digitsValue);
  gmp_randstate_t state;
  gmp_randinit_default(state);
  gmp_randseed_ui(state, 14);
  mpz_ui_pow_ui(digitsValue, 10, 1504999);
  mpz_t span;
  mpz_init(span);
  mpz_mul_ui(span, digitsValue, 9);
  mpz_urandomm(span, state, span);
  mpz_add(digitsValue, digitsValue, span);
  std::string text(mpz_sizeinbase(digitsValue, 10) + 2, '\0');
  mpz_get_str(text.data(), 10, digitsValue);
  compare("read 1,505,000 decimal digits", [&] { r = parseNumberText(text.c_str()); }, [&] { mpz_set_str(gr, text.c_str(), 10); });

  // The ladder is filled by the first call; the timed calls reuse it.
  const vnum one(int32_t{1});
  const vnum million(int32_t{1000000});
  compare("1 Exp 1,000,000", [&] { r = exponentScale(one, million); }, [&] { mpz_ui_pow_ui(gr, 10, 1000000); });

  gmp_randclear(state);
  mpz_clears(ga, gb, gc, gm, gr, digitsValue, span, nullptr);
}

}  // namespace quorvel::bench
