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

  // The sum is written straight into a result that, like GMP's, keeps its
  // storage from call to call; the other operations work in place, so our
  // side copies the left operand first.
  vnum r;
  compare("add 5,000,000 + 5,000,000 bits", [&] { add(r, a, b); }, [&] { mpz_add(gr, ga, gb); });
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
  // Balanced products from the middle layer to beyond a single transform,
  // with the square at 2,500,000 bits, then a long value times a short one.
  const struct {
    long longBits, shortBits;
    const char* name;
    const char* square;
  } cases[] = {
      {4096, 4096, "product 4,096 x 4,096 bits", nullptr},
      {25000, 25000, "product 25,000 x 25,000 bits", nullptr},
      {50000, 50000, "product 50,000 x 50,000 bits", nullptr},
      {100000, 100000, "product 100,000 x 100,000 bits", nullptr},
      {180000, 180000, "product 180,000 x 180,000 bits", nullptr},
      {250000, 250000, "product 250,000 x 250,000 bits", nullptr},
      {2500000, 2500000, "product 2,500,000 x 2,500,000 bits", "square of 2,500,000 bits"},
      {10000000, 10000000, "product 10,000,000 x 10,000,000 bits", nullptr},
      {5000000, 10000, "product 5,000,000 x 10,000 bits", nullptr},
  };
  for (const auto& c : cases) {
    if (!selected(c.name) && !(c.square && selected(c.square))) continue;
    randomOperand(c.longBits, 3, a, ga);
    randomOperand(c.shortBits, 4, b, gb);
    compare(c.name, [&] { vnum r = a * b; }, [&] { mpz_mul(gr, ga, gb); });
    if (c.square) compare(c.square, [&] { vnum r = a * a; }, [&] { mpz_mul(gr, ga, ga); });
  }
  mpz_clears(ga, gb, gr, nullptr);
}

}  // namespace quorvel::bench
