// fftProductBinary and fftProductDecimal against GMP and a schoolbook
// base-10^8 product, after the callers' exact division by N/2.
#include <fpu_control.h>
#include <gtest/gtest.h>

#include "platform/abort_flags.h"
#include "tests/fft_product_support.h"
#include "tests/support/random.h"

namespace quorvel::test {
namespace {

class GmpRandom {
 public:
  explicit GmpRandom(uint64_t salt) {
    gmp_randinit_default(state_);
    gmp_randseed_ui(state_, static_cast<unsigned long>(rng(salt)()));
  }
  ~GmpRandom() { gmp_randclear(state_); }
  GmpRandom(const GmpRandom&) = delete;
  GmpRandom& operator=(const GmpRandom&) = delete;
  gmp_randstate_t& get() { return state_; }

 private:
  gmp_randstate_t state_;
};

// Upper ends of the callers' ranges of total limbs t + u.
constexpr int BINARY_MODE0_MAX_TOTAL = 35000;
constexpr int DECIMAL_MODE0_MAX_TOTAL = 190000;

TEST(FftProductBinaryTest, SmallestCallInBothModes) {
  auto g = rng(11);
  const Limbs x = randomLimbs(g, 50, BINARY_LIMB_MAX), y = randomLimbs(g, 51, BINARY_LIMB_MAX);
  ASSERT_EQ(callerHalfLength(101), 256);
  expectBinaryProduct(x, y, 0);
  expectBinaryProduct(x, y, 1);
  expectBinaryProduct({1}, {1}, 0);
  expectBinaryProduct({0, 0, 0}, y, 1);
}

TEST(FftProductBinaryTest, RandomOperandsAgainstGmp) {
  auto g = rng(12);
  GmpRandom state(12);
  for (int i = 0; i < iterations(12); ++i) {
    const int mode = i % 2;
    const int total = static_cast<int>(logUniform(g, 101, mode == 0 ? BINARY_MODE0_MAX_TOTAL : 120000));
    const int t = static_cast<int>(logUniform(g, 1, total - 1));
    const bool runs = i % 3 == 0;
    const Limbs x = runs ? runLimbs(state.get(), t) : randomLimbs(g, t, BINARY_LIMB_MAX);
    const Limbs y = runs ? runLimbs(state.get(), total - t) : randomLimbs(g, total - t, BINARY_LIMB_MAX);
    expectBinaryProduct(x, y, mode);
  }
}

TEST(FftProductBinaryTest, VeryUnequalLengths) {
  auto g = rng(13);
  for (int mode : {0, 1}) {
    expectBinaryProduct(randomLimbs(g, 20000, BINARY_LIMB_MAX), {BINARY_LIMB_MAX}, mode);
    expectBinaryProduct({7}, randomLimbs(g, 30000, BINARY_LIMB_MAX), mode);
    expectBinaryProduct(randomLimbs(g, 3, BINARY_LIMB_MAX), randomLimbs(g, 34000, BINARY_LIMB_MAX), mode);
  }
}

TEST(FftProductBinaryTest, AllMaximumDigitsAtModeZeroLimit) {
  // Every digit 2^15 - 1 gives the largest coefficients (N/2) c_j, about
  // 2.5e18 at the 35,000-limb limit of mode 0: the worst case for the
  // rounding, still trusted thanks to the centred digits (distance 1/8).
  const int half = BINARY_MODE0_MAX_TOTAL / 2;
  const Limbs x(half, BINARY_LIMB_MAX);
  expectBinaryProduct(x, x, 0);
  expectBinaryProduct(x, {}, 0, true);
  expectBinaryProduct(Limbs(half + 1, BINARY_LIMB_MAX), Limbs(half - 1, BINARY_LIMB_MAX), 1);
}

TEST(FftProductBinaryTest, OverflowingCoefficientsAreNeverTrusted) {
  // Mode 0 far past its range: the coefficients could pass 2^63 and cannot
  // be rounded to 64-bit integers. The product must report it and leave the
  // output alone, not return plausible limbs.
  const Limbs x(60000, BINARY_LIMB_MAX);
  const ProductResult r = callProduct(Routine::binary, x, x, 0, false);
  EXPECT_GT(r.distance, FFT_TRUSTED_ROUNDING_ERROR);
  EXPECT_EQ(r.out, Limbs(r.out.size(), 0));
  // Just inside: random digits of the same length stay exact and trusted.
  auto g = rng(15);
  expectBinaryProduct(randomLimbs(g, 30000, BINARY_LIMB_MAX), randomLimbs(g, 30000, BINARY_LIMB_MAX), 1);
}

TEST(FftProductDecimalTest, SmallestCallAgainstSchoolbook) {
  ASSERT_EQ(callerHalfLength(3), 8);
  expectDecimalProduct({12345678, 99999999}, {87654321}, 0);
  expectDecimalProduct({12345678, 99999999}, {87654321}, 1);
  expectDecimalProduct({DECIMAL_LIMB_MAX, DECIMAL_LIMB_MAX}, {DECIMAL_LIMB_MAX}, 0);
  expectDecimalProduct({0}, {0}, 0);
  expectDecimalProduct({DECIMAL_LIMB_MAX}, {}, 0, true);
}

TEST(FftProductDecimalTest, RandomOperandsAgainstSchoolbook) {
  auto g = rng(21);
  for (int i = 0; i < iterations(16); ++i) {
    const int mode = i % 2;
    const int total = static_cast<int>(logUniform(g, 3, 6000));
    const int t = static_cast<int>(logUniform(g, 1, total - 1));
    expectDecimalProduct(randomLimbs(g, t, DECIMAL_LIMB_MAX), randomLimbs(g, total - t, DECIMAL_LIMB_MAX), mode);
  }
}

TEST(FftProductDecimalTest, ModeBoundary) {
  // 190,000 total limbs is the last of mode 0 and 190,001 the first of
  // mode 1: unequal operands against the schoolbook product, equal random
  // ones against GMP.
  auto g = rng(22);
  const int top = DECIMAL_MODE0_MAX_TOTAL;
  expectDecimalProduct(randomLimbs(g, top - 40, DECIMAL_LIMB_MAX), randomLimbs(g, 40, DECIMAL_LIMB_MAX), 0);
  expectDecimalProduct(randomLimbs(g, top + 1 - 40, DECIMAL_LIMB_MAX), randomLimbs(g, 40, DECIMAL_LIMB_MAX), 1);
  expectDecimalProduct(randomLimbs(g, top / 2, DECIMAL_LIMB_MAX), randomLimbs(g, top / 2, DECIMAL_LIMB_MAX), 0);
  expectDecimalProduct(randomLimbs(g, top / 2, DECIMAL_LIMB_MAX), randomLimbs(g, top / 2 + 1, DECIMAL_LIMB_MAX), 1);
}

TEST(FftProductDecimalTest, AllMaximumDigits) {
  // Every digit 9999 drives the coefficients of mode 0 to 5.0e18 at its
  // 190,000-limb limit; even centred, the transforms' error there is about
  // 0.3, which the product must report if it is not exact. At 40,000 limbs
  // (N = 2^17) it must be trusted.
  const int top = DECIMAL_MODE0_MAX_TOTAL;
  const Limbs maximum(top / 2, DECIMAL_LIMB_MAX);
  expectDecimalProduct(maximum, maximum, 0, false, Trust::exactUnlessReported);
  expectDecimalProduct(maximum, {}, 0, true, Trust::exactUnlessReported);
  const Limbs inRange(20000, DECIMAL_LIMB_MAX);
  expectDecimalProduct(inRange, inRange, 0);
  expectDecimalProduct(inRange, {}, 0, true);
}

TEST(FftProductTest, SquareEqualsProductWithEqualCopy) {
  auto g = rng(23);
  for (Routine routine : {Routine::binary, Routine::decimal}) {
    const int32_t max = routine == Routine::binary ? BINARY_LIMB_MAX : DECIMAL_LIMB_MAX;
    for (int mode : {0, 1}) {
      for (int t : {1, 50, 51, 777, 17000}) {
        const Limbs x = randomLimbs(g, t, max);
        const ProductResult square = callProduct(routine, x, x, mode, true);
        const ProductResult product = callProduct(routine, x, x, mode, false);
        EXPECT_EQ(square.out, product.out) << "t = " << t << ", mode " << mode;
        EXPECT_LE(square.distance, FFT_TRUSTED_ROUNDING_ERROR);
      }
    }
  }
  expectBinaryProduct(randomLimbs(g, 777, BINARY_LIMB_MAX), {}, 1, true);
  expectDecimalProduct(randomLimbs(g, 777, DECIMAL_LIMB_MAX), {}, 1, true);
}

TEST(FftProductTest, CentringCorrectionAtOperandEdges) {
  // The correction's sliding sums start, stop and cross over at the digit
  // counts of the two operands: lengths of one and two limbs on either side,
  // a zero and a maximal operand, in both routines and modes.
  auto g = rng(32);
  for (int mode : {0, 1}) {
    for (int t : {1, 2, 3, 64}) {
      for (int u : {1, 2, 5, 64}) {
        expectBinaryProduct(randomLimbs(g, t, BINARY_LIMB_MAX), randomLimbs(g, u, BINARY_LIMB_MAX), mode);
        expectDecimalProduct(randomLimbs(g, t, DECIMAL_LIMB_MAX), randomLimbs(g, u, DECIMAL_LIMB_MAX), mode);
      }
    }
    expectBinaryProduct(Limbs(40, 0), Limbs(30, BINARY_LIMB_MAX), mode);
    expectDecimalProduct(Limbs(30, DECIMAL_LIMB_MAX), Limbs(40, 0), mode);
  }
}

TEST(FftProductTest, AbortFlagLeavesOutputUntouched) {
  auto g = rng(31);
  const Limbs x = randomLimbs(g, 300, DECIMAL_LIMB_MAX), y = randomLimbs(g, 200, DECIMAL_LIMB_MAX);
  const int h = callerHalfLength(500);
  *abortSlot = 1;
  for (int mode : {0, 1}) {
    for (int square : {0, 1}) {
      Limbs out(h + 4, 0);
      EXPECT_EQ(fftProductBinary(h, x.data(), 300, y.data(), 200, out.data(), square, mode), 0.0);
      EXPECT_EQ(out, Limbs(h + 4, 0));
      EXPECT_EQ(fftProductDecimal(h, x.data(), 300, y.data(), 200, out.data(), square, mode), 0.0);
      EXPECT_EQ(out, Limbs(h + 4, 0));
    }
  }
  *abortSlot = 0;
  Limbs out(h + 4, 0);
  fftProductDecimal(h, x.data(), 300, y.data(), 200, out.data(), 0, 0);
  EXPECT_NE(out, Limbs(h + 4, 0)) << "a cleared flag computes again";
}

TEST(FftProductTest, LeavesTheCallersFloatingPointModeAlone) {
  fpu_control_t before, after;
  _FPU_GETCW(before);
  const Limbs x{1, 2, 3};
  Limbs out(callerHalfLength(6) + 4, 0);
  fftProductBinary(callerHalfLength(6), x.data(), 3, x.data(), 3, out.data(), 0, 0);
  _FPU_GETCW(after);
  EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace quorvel::test
