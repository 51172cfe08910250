#include "tests/support/vnum_mul_support.h"

namespace quorvel::test {

vnum oddOperandOfLength(std::mt19937_64& g, int32_t len, bool maxDigits) {
  // Normalising keeps a whole fill limb above the highest significant limb
  // whenever that limb has an odd index, so len limbs hold 30*(len-1) bits.
  const long bits = 30L * (len - 1);
  Mpz value = randomMpz(g, bits, (g() & 1) != 0, false);
  if (maxDigits) {
    mpz_set_ui(value.z, 0);
    mpz_setbit(value.z, static_cast<mp_bitcnt_t>(bits));
    mpz_sub_ui(value.z, value.z, 1);
  }
  mpz_setbit(value.z, 0);
  vnum x = fromMpz(value);
  EXPECT_EQ(x.len, len);
  return x;
}

void checkAroundThreshold(int32_t T, uint64_t salt) {
  auto g = rng(salt);
  for (int32_t m : {T - 2, T, T + 2}) {
    for (int32_t shorter : {m / 2 - (m / 2) % 2, 2, m / 8 - (m / 8) % 2}) {
      for (bool maxDigits : {false, true}) {
        const vnum a = oddOperandOfLength(g, m - shorter, maxDigits);
        const vnum b = oddOperandOfLength(g, shorter, maxDigits);
        const Mpz ma = toMpz(a), mb = toMpz(b);
        Mpz expected;
        mpz_mul(expected.z, ma.z, mb.z);
        SCOPED_TRACE("combined " + std::to_string(m) + ", shorter " + std::to_string(shorter));
        EXPECT_VNUM_EQ(a * b, expected);
        const vnum negative = vnum() - b;
        mpz_neg(expected.z, expected.z);
        EXPECT_VNUM_EQ(negative * a, expected);
      }
    }
    // Lengths are even, so a square reaches m itself only when 4 divides m.
    const vnum s = oddOperandOfLength(g, m / 2 - (m / 2) % 2, false);
    const Mpz ms = toMpz(s);
    Mpz square;
    mpz_mul(square.z, ms.z, ms.z);
    EXPECT_VNUM_EQ(s * s, square);
  }
}

}  // namespace quorvel::test
