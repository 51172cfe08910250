// Multiplication: signs, shortcuts, every method and its boundaries against
// GMP, kernels against each other, cancellation and the untrusted-FFT path.
#include <gtest/gtest.h>

#include "platform/abort_flags.h"
#include "tests/support/vnum_mul_support.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(VnumMul, SignsZeroAndOne) {
  auto v = [](long x) { return vnum(int64_t{x}); };
  const Mpz big("-123456789abcdef0123456789abcdef0123456789abcdef", 16);
  const vnum x = fromMpz(big);
  EXPECT_VNUM_EQ(v(0) * x, Mpz(0));
  EXPECT_VNUM_EQ(x * v(0), Mpz(0));
  EXPECT_EQ((x * v(0)).plus, 1);
  EXPECT_VNUM_EQ(v(1) * x, big);
  EXPECT_VNUM_EQ(x * v(1), big);
  EXPECT_VNUM_EQ(v(-3) * v(5), Mpz(-15));
  EXPECT_VNUM_EQ(v(-3) * v(-5), Mpz(15));
  EXPECT_VNUM_EQ(v(5) * v(-3), Mpz(-15));

  vnum p100(int32_t{1});
  p100.shift(100);
  Mpz expected(3);
  mpz_mul_2exp(expected.z, expected.z, 100);
  EXPECT_VNUM_EQ(p100 * v(3), expected);
  EXPECT_VNUM_EQ(v(3) * p100, expected);

  const vnum m60 = v((1l << 60) - 1);
  Mpz square;
  mpz_ui_pow_ui(square.z, 2, 120);
  Mpz twice;
  mpz_ui_pow_ui(twice.z, 2, 61);
  mpz_sub(square.z, square.z, twice.z);
  mpz_add_ui(square.z, square.z, 1);
  EXPECT_VNUM_EQ(m60 * m60, square);
}

TEST(VnumMul, SelfAliasing) {
  auto g = rng(51);
  for (int it = 0; it < iterations(40); ++it) {
    Mpz a = randomOperand(g, 200000);
    vnum x = fromMpz(a);
    x *= x;
    Mpz expected;
    mpz_mul(expected.z, a.z, a.z);
    EXPECT_VNUM_EQ(x, expected);
  }
}

TEST(VnumMul, AgreesWithGmpOnRandomSizes) {
  auto g = rng(52);
  for (int it = 0; it < iterations(400); ++it) {
    const long maxBits = it % 10 == 0 ? 400000 : 8000;
    Mpz a = randomOperand(g, maxBits), b = randomOperand(g, maxBits);
    Mpz expected;
    mpz_mul(expected.z, a.z, b.z);
    SCOPED_TRACE("a=" + a.hex() + " b=" + b.hex());
    EXPECT_VNUM_EQ(fromMpz(a) * fromMpz(b), expected);
  }
}

TEST(VnumMul, ThresholdNeighboursOfSchoolbook) { checkAroundThreshold(MUL_SCHOOLBOOK_MAX_LIMBS, 53); }

TEST(VnumMul, KernelsAgree) {
  auto g = rng(54);
  for (int it = 0; it < iterations(30); ++it) {
    const int32_t la = 2 * static_cast<int32_t>(logUniform(g, 1, 2000));
    const int32_t lb = 2 * static_cast<int32_t>(logUniform(g, 1, 2000));
    const bool maxDigits = it % 3 == 0;
    vnum a = oddOperandOfLength(g, la, maxDigits), b = oddOperandOfLength(g, lb, maxDigits);
    if (it % 5 == 0) b = a;  // the squaring path
    vnum school, fft0, fft1;
    mulSchoolbook(school, a, b);
    ASSERT_TRUE(mulFft(fft0, a, b, 0));
    ASSERT_TRUE(mulFft(fft1, a, b, 1));
    EXPECT_EQ(fft0.compare(school), 0) << "mode 0, lengths " << la << " x " << lb;
    EXPECT_EQ(fft1.compare(school), 0) << "mode 1, lengths " << la << " x " << lb;
    EXPECT_EQ(invariantViolation(fft0), "");
    EXPECT_EQ(invariantViolation(fft1), "");
  }
}

TEST(VnumMul, AbortYieldsZero) {
  auto g = rng(55);
  const vnum a = oddOperandOfLength(g, 40, false), b = oddOperandOfLength(g, 4000, false);
  abortSlot->store(1);
  const vnum small = a * b;
  const vnum large = b * b;
  const vnum one = vnum(int32_t{1}) * a;
  abortSlot->store(0);
  EXPECT_VNUM_EQ(small, Mpz(0));
  EXPECT_VNUM_EQ(large, Mpz(0));
  EXPECT_EQ(one.compare(a), 0);  // the factor-one shortcut needs no kernel
}

TEST(VnumMul, UntrustedFftProductsFallBackToTheSplit) {
  // Every FFT product is refused, so each one is formed again through the
  // split step, down to schoolbook products.
  auto g = rng(56);
  setFftTrustedRoundingErrorForTesting(-1.0);
  for (int it = 0; it < iterations(6); ++it) {
    Mpz a = randomOperand(g, 40000), b = randomOperand(g, 40000);
    Mpz expected;
    mpz_mul(expected.z, a.z, b.z);
    EXPECT_VNUM_EQ(fromMpz(a) * fromMpz(b), expected);
  }
  setFftTrustedRoundingErrorForTesting(FFT_TRUSTED_ROUNDING_ERROR);
}
