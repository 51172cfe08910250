// Linear-time vnum operations at the calculator's 5,000,000-bit cap.
#include <string>
#include <vector>

#include "bench/bench.h"

namespace quorvel::bench {

void runVnumCases() {
  constexpr long BITS = 5000000;
  vnum a, b;
  mpz_t ga, gb, gr;
  mpz_inits(ga, gb, gr, nullptr);
  randomOperand(BITS, 1, a, ga);
  randomOperand(BITS, 2, b, gb);

  // Our operations work in place, so our side copies the left operand into a
  // result that, like GMP's, keeps its storage from call to call.
  vnum r;
  compare("add 5,000,000 + 5,000,000 bits", [&] { r = a; r += b; }, [&] { mpz_add(gr, ga, gb); });
  compare("shift 5,000,000 bits left by 12,345", [&] { r = a; r.shift(12345); }, [&] { mpz_mul_2exp(gr, ga, 12345); });
  compare("AND 5,000,000 & 5,000,000 bits", [&] { r = a; r &= b; }, [&] { mpz_and(gr, ga, gb); });

  std::vector<char> text(0x200000);
  std::vector<char> gmpText(mpz_sizeinbase(ga, 16) + 2);
  compare("hexadecimal text of 5,000,000 bits", [&] { writeHexText(a, text.data(), text.size()); }, [&] { mpz_get_str(gmpText.data(), 16, ga); });
  mpz_clears(ga, gb, gr, nullptr);
}

void runMulCases() {
  mpz_t ga, gb, gr;
  mpz_inits(ga, gb, gr, nullptr);
  vnum a, b;
  for (long bits : {25000L, 50000L, 100000L, 250000L, 2500000L, 10000000L}) {
    randomOperand(bits, 3, a, ga);
    randomOperand(bits, 4, b, gb);
    const std::string size = std::to_string(bits);
    compare("product " + size + " x " + size + " bits", [&] { vnum r = a * b; }, [&] { mpz_mul(gr, ga, gb); });
    if (bits == 2500000L)
      compare("square of " + size + " bits", [&] { vnum r = a * a; }, [&] { mpz_mul(gr, ga, ga); });
  }
  mpz_clears(ga, gb, gr, nullptr);
}

}  // namespace quorvel::bench
