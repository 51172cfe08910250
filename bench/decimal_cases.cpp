// Decimal text beside GMP's mpz_get_str, and the cost of the V10R table: the
// time to generate it, to load it at start, and the first conversion of a
// program that has no table.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "decimal/v10r_data.h"
#include "decimal/vnum10.h"

namespace quorvel::bench {

namespace {

// The 21 powers 2^(30*2^k) in base 10^8, as make_v10r computes them.
void generatePowers() {
  vnum10 power(int32_t{1} << LIMB_BITS);
  for (int k = 1; k < V10R_RECORDS; ++k) power.mulAssign(power);
}

// GMP's way to the same 21 powers in decimal.
void gmpPowers(std::vector<char>& text) {
  mpz_t power;
  mpz_init(power);
  for (int k = 0; k < V10R_RECORDS; ++k) {
    mpz_set_ui(power, 0);
    mpz_setbit(power, static_cast<mp_bitcnt_t>(LIMB_BITS) << k);
    mpz_get_str(text.data(), 10, power);
  }
  mpz_clear(power);
}

}  // namespace

void runDecimalCases() {
  loadEmbeddedPowerTable();
  std::vector<char> text(0x200000);
  std::vector<char> gmpText(0x200000);
  for (long bits : {500000L, 5000000L}) {
    const std::string name = bits == 500000 ? "decimal text of 500,000 bits" : "decimal text of 5,000,000 bits";
    const std::string emptyName = name + ", empty ladder";
    const bool empty = bits == 5000000 && selected(emptyName);
    if (!selected(name) && !empty) continue;
    vnum x;
    mpz_t gx;
    mpz_init(gx);
    randomOperand(bits, 10 + static_cast<unsigned long>(bits), x, gx);
    const double gmp = secondsPerCall([&] { mpz_get_str(gmpText.data(), 10, gx); });
    if (selected(name)) report(name, ourSecondsPerCall([&] { toDecText(x, text.data(), text.size()); }), gmp);
    if (empty) {
      // Every call starts from an empty ladder, as a program without the
      // table would for its first conversion of this size.
      report(emptyName, ourSecondsPerCall([&] {
               resetBinPowerLadderForTesting();
               toDecText(x, text.data(), text.size());
             }),
             gmp);
      resetBinPowerLadderForTesting();
      loadEmbeddedPowerTable();
    }
    mpz_clear(gx);
  }

  if (!selected("V10R table: generate (20 squarings)") && !selected("V10R table: load at start")) return;
  std::vector<char> powerText(9469585 + 2);
  const double gmpPowersTime = secondsPerCall([&] { gmpPowers(powerText); });
  std::printf("  (the GMP column of the next two lines: the same 21 powers in decimal by GMP)\n");
  if (selected("V10R table: generate (20 squarings)"))
    report("V10R table: generate (20 squarings)", ourSecondsPerCall(generatePowers), gmpPowersTime);
  if (selected("V10R table: load at start"))
    report("V10R table: load at start", ourSecondsPerCall([] {
             resetBinPowerLadderForTesting();
             loadEmbeddedPowerTable();
           }),
           gmpPowersTime);
}

}  // namespace quorvel::bench
