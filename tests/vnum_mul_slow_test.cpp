// Multiplication at and beyond the largest single FFT product.
#include <gtest/gtest.h>

#include "tests/support/vnum_mul_support.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(VnumMulSlow, ThresholdNeighboursOfTheFftModesAndSplit) {
  for (int32_t T : {MUL_FFT_MODE1_MAX_LIMBS, MUL_FFT_MODE0_MAX_LIMBS}) checkAroundThreshold(T, 61);
}

TEST(VnumMulSlow, BeyondTheCapAndSquares) {
  auto g = rng(62);
  // 10,000,000 x 10,000,000 bits (one transform); a square of the cap.
  for (long bits : {10000000L, 5000000L}) {
    Mpz a = randomMpz(g, bits, false, true), b = randomMpz(g, bits, true, false);
    Mpz expected;
    mpz_mul(expected.z, a.z, b.z);
    EXPECT_VNUM_EQ(fromMpz(a) * fromMpz(b), expected);
    mpz_mul(expected.z, a.z, a.z);
    const vnum x = fromMpz(a);
    EXPECT_VNUM_EQ(x * x, expected);
  }
}
