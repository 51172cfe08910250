// Multiplication at and beyond the largest single FFT product.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/vnum_mul_support.h"
#include "vnum/mul_spans.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// a b and a^2 (the same value twice) against GMP.
void expectProductAndSquare(const Mpz& a, const Mpz& b) {
  Mpz expected;
  mpz_mul(expected.z, a.z, b.z);
  EXPECT_VNUM_EQ(fromMpz(a) * fromMpz(b), expected);
  mpz_mul(expected.z, a.z, a.z);
  const vnum x = fromMpz(a);
  EXPECT_VNUM_EQ(x * x, expected);
}

}  // namespace

TEST(VnumMulSlow, ThresholdNeighboursOfTheFftModesAndSplit) {
  for (int32_t T : {MUL_FFT_MODE1_MAX_LIMBS, MUL_FFT_MODE0_MAX_LIMBS}) checkAroundThreshold(T, 61);
}

TEST(VnumMulSlow, BeyondTheCapAndSquares) {
  auto g = rng(62);
  // 10,000,000 x 10,000,000 bits (one transform); a square of the cap.
  for (long bits : {10000000L, 5000000L}) {
    const Mpz a = randomMpz(g, bits, false, true), b = randomMpz(g, bits, true, false);
    expectProductAndSquare(a, b);
  }
}

TEST(VnumMulSlow, UntrustedTransformsFallBackToToom3) {
  // Just above the Toom-3 limit the dispatcher tries one transform; with
  // every transform refused it must split by Toom-3 instead, product and
  // square alike.
  if (toom3MaxLimbs(false) >= std::max(MUL_FFT_MODE0_MAX_LIMBS, MUL_FFT_MODE1_MAX_LIMBS))
    GTEST_SKIP() << "with the current limits no product reaches a transform";
  auto g = rng(63);
  setFftTrustedRoundingErrorForTesting(-1.0);
  const long bits = 30L * (toom3MaxLimbs(false) / 2 + 2000);
  const Mpz a = randomMpz(g, bits, false, true), b = randomMpz(g, bits, true, false);
  expectProductAndSquare(a, b);
  setFftTrustedRoundingErrorForTesting(FFT_TRUSTED_ROUNDING_ERROR);
}
