// fftProductBinary and fftProductDecimal against GMP and a schoolbook
// base-10^8 product, on the kernel the products use here (the CI runs them
// again with QUORVEL_SIMD=off, on the x87 transform): random operands,
// every shape boundary, the worst case for the rounding, forced shapes
// beyond the precision tables, cancellation.
#include <fpu_control.h>
#include <gtest/gtest.h>

#include <thread>

#include "decimal/limits.h"
#include "platform/abort_flags.h"
#include "platform/cpu_features.h"
#include "tests/fft_product_support.h"
#include "tests/support/random.h"
#include "vnum/limits.h"

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

bool sameShape(FftShape a, FftShape b) { return a.points == b.points && a.digitSize == b.digitSize; }

// Every shape holds its product in digits no larger than its mode allows at
// its length, and the callers' limits (vnum/limits.h, decimal/limits.h) are
// products their mode can still shape, balanced or not.
TEST(FftShapeTest, ShapesFitTheTableAndTheCallersLimits) {
  auto g = rng(10);
  for (FftKernel kernel : {FftKernel::x87, FftKernel::avx2}) {
    for (int mode : {0, 1}) {
      for (int i = 0; i < 2000; ++i) {
        const int64_t t = logUniform(g, 1, 600000), u = logUniform(g, 1, t);
        for (bool decimal : {false, true}) {
          const FftShape shape =
              decimal ? decimalProductShape(t, u, mode, kernel) : binaryProductShape(t, u, mode, kernel);
          ASSERT_NE(shape.points, 0) << t << " x " << u;
          ASSERT_EQ(shape.kernel, kernel);
          const int places = decimal ? 8 : 30, size = shape.digitSize;
          EXPECT_LE((places * t + size - 1) / size + (places * u + size - 1) / size - 1, 2 * int64_t{shape.points});
          const int allowed = decimal ? fftMaxDecimalPlaces(shape.points, kernel) - mode * FFT_SAFE_MARGIN_PLACES
                                      : fftMaxDigitBits(shape.points, kernel) - mode * FFT_SAFE_MARGIN_BITS;
          EXPECT_LE(size, allowed) << t << " x " << u << ", M = " << shape.points;
        }
      }
    }
  }
  const int64_t binaryLimits[] = {MUL_FFT_MODE0_MAX_LIMBS, MUL_FFT_MODE1_MAX_LIMBS};
  const int64_t decimalLimits[] = {DEC_FFT_MODE0_MAX_LIMBS, DEC_FFT_MODE1_MAX_LIMBS};
  for (int mode : {0, 1}) {
    for (int64_t shorter : {int64_t{1}, binaryLimits[mode] / 3, binaryLimits[mode] / 2}) {
      EXPECT_NE(binaryProductShape(binaryLimits[mode] - shorter, shorter, mode).points, 0) << "mode " << mode;
    }
    for (int64_t shorter : {int64_t{1}, decimalLimits[mode] / 3, decimalLimits[mode] / 2}) {
      EXPECT_NE(decimalProductShape(decimalLimits[mode] - shorter, shorter, mode).points, 0) << "mode " << mode;
    }
  }
}

TEST(FftProductBinaryTest, SmallestCallsInBothModes) {
  auto g = rng(11);
  for (int mode : {0, 1}) {
    expectBinaryProduct({1}, {1}, mode);
    expectBinaryProduct({BINARY_LIMB_MAX}, {}, mode, true);
    expectBinaryProduct(randomLimbs(g, 3, BINARY_LIMB_MAX), randomLimbs(g, 2, BINARY_LIMB_MAX), mode);
    expectBinaryProduct({0, 0, 0}, randomLimbs(g, 40, BINARY_LIMB_MAX), mode);
  }
}

TEST(FftProductBinaryTest, RandomOperandsAgainstGmp) {
  auto g = rng(12);
  GmpRandom state(12);
  for (int i = 0; i < iterations(24); ++i) {
    const int mode = i % 2;
    const int total = static_cast<int>(logUniform(g, 2, 120000));
    const int t = static_cast<int>(logUniform(g, 1, total - 1));
    const bool runs = i % 3 == 0;
    const Limbs x = runs ? runLimbs(state.get(), t) : randomLimbs(g, t, BINARY_LIMB_MAX);
    const Limbs y = runs ? runLimbs(state.get(), total - t) : randomLimbs(g, total - t, BINARY_LIMB_MAX);
    expectBinaryProduct(x, y, mode);
  }
}

// Wherever the chosen shape changes (a new transform length or a new digit
// size), the last product of the old shape and the first of the new one:
// balanced and very unbalanced at random, a square, and a square of the
// worst case for the rounding, against the reference.
TEST(FftProductTest, EveryShapeBoundaryAgainstTheReference) {
  auto g = rng(14);
  for (Routine routine : {Routine::binary, Routine::decimal}) {
    const int top = routine == Routine::binary ? 24000 : 6000;
    const int32_t max = routine == Routine::binary ? BINARY_LIMB_MAX : DECIMAL_LIMB_MAX;
    int boundaries = 0;
    FftShape previous = shapeFor(routine, 1, 1, 0);
    for (int total = 3; total <= top; ++total) {
      const FftShape shape = shapeFor(routine, total - total / 2, total / 2, 0);
      if (sameShape(shape, previous)) continue;
      previous = shape;
      ++boundaries;
      for (int T : {total - 1, total}) {
        SCOPED_TRACE(testing::Message() << "total " << T);
        expectProduct(routine, randomLimbs(g, T - T / 2, max), randomLimbs(g, T / 2, max), 0);
        expectProduct(routine, randomLimbs(g, T - 1, max), randomLimbs(g, 1, max), 0);
        if (T % 2 == 0) {
          expectProduct(routine, randomLimbs(g, T / 2, max), {}, 0, true);
          expectProduct(routine, worstLimbs(routine, T / 2, T / 2, 0), {}, 0, true);
        }
      }
    }
    EXPECT_GT(boundaries, 20);
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

// Products and squares that fill their transform, at lengths of every
// family and past the AVX2 transform's two-level steps (about 75,000 limbs),
// with all-maximum digits (sparse once balanced) and with the worst case
// for the rounding (every digit B/2 - 1): trusted and exact in both modes.
TEST(FftProductTest, WorstCaseAndAllMaximumDigitsFillingTheTransform) {
  for (int total : {40, 300, 3000, 12000, 40000, 76000}) {
    SCOPED_TRACE(total);
    for (int mode : {0, 1}) {
      const Limbs worst = worstLimbs(Routine::binary, total / 2, total / 2, mode);
      expectBinaryProduct(worst, worst, mode);
      expectBinaryProduct(worst, {}, mode, true);
    }
    const Limbs binary(total / 2, BINARY_LIMB_MAX);
    expectBinaryProduct(binary, {}, 0, true);
    expectBinaryProduct(Limbs(total / 2 + 1, BINARY_LIMB_MAX), Limbs(total / 2 - 1, BINARY_LIMB_MAX), 1);
    if (total > 40000) continue;  // the decimal reference gets slow
    for (int mode : {0, 1}) expectDecimalProduct(worstLimbs(Routine::decimal, total / 4, total / 4, mode), {}, mode, true);
    const Limbs decimal(total / 4, DECIMAL_LIMB_MAX);
    const Limbs square = maximalDecimalSquare(total / 4);
    expectDecimalProduct(decimal, {}, 0, true, Trust::required, &square);
    expectDecimalProduct(decimal, decimal, 1, false, Trust::required, &square);
  }
}

// Shapes the precision tables would never choose. One digit size too large
// for the length, on the worst case for the rounding, is caught by the
// precision guard (the distance passes the trusted bound) at lengths where
// that case then errs by more than 1/4, and the callers' fallback, a
// product in mode 1, is exact. On other operands and further sizes,
// products are exact or reported, never silently wrong; digits whose
// coefficients could pass 2^62 are refused at once, output untouched.
TEST(FftProductTest, DigitsTooLargeAreCaughtAndTheFallbackIsExact) {
  const struct {
    Routine routine;
    FftKernel kernel;
    int points;
  } caught[] = {{Routine::binary, FftKernel::avx2, 20480},
                {Routine::decimal, FftKernel::avx2, 4096},
                {Routine::binary, FftKernel::x87, 65536},
                {Routine::decimal, FftKernel::x87, 32768}};
  for (const auto& c : caught) {
    if (c.kernel == FftKernel::avx2 && !hasAvx2Fma()) continue;
    const bool decimal = c.routine == Routine::decimal;
    const FftShape shape{c.points,
                         1 + (decimal ? fftMaxDecimalPlaces(c.points, c.kernel) : fftMaxDigitBits(c.points, c.kernel)),
                         c.kernel};
    SCOPED_TRACE(testing::Message() << "M = " << shape.points << ", digit size " << shape.digitSize);
    const int limbs = static_cast<int>(int64_t{c.points} * shape.digitSize / (decimal ? 8 : 30));
    const Limbs worst = worstRoundingLimbs(decimal, limbs, shape.digitSize);
    EXPECT_GT(callProduct(c.routine, worst, worst, 0, false, shape).distance, FFT_TRUSTED_ROUNDING_ERROR);
    expectProduct(c.routine, worst, worst, 1);
  }
  auto g = rng(15);
  for (int extra : {1, 2, 3}) {
    const Limbs x = randomLimbs(g, 2000, BINARY_LIMB_MAX), y = randomLimbs(g, 1999, BINARY_LIMB_MAX);
    FftShape shape = binaryProductShape(2000, 1999, 0);
    shape.digitSize = std::min(30, fftMaxDigitBits(shape.points, shape.kernel) + extra);
    expectBinaryProduct(x, y, 0, false, Trust::exactUnlessReported, shape);
    const Limbs worst = worstRoundingLimbs(false, 2000, shape.digitSize);
    expectBinaryProduct(worst, worst, 0, false, Trust::exactUnlessReported, shape);
  }
  const Limbs x(4000, BINARY_LIMB_MAX);
  const ProductResult r = callProduct(Routine::binary, x, x, 0, false, FftShape{1 << 12, 30});
  EXPECT_EQ(r.distance, std::numeric_limits<double>::infinity());
  EXPECT_EQ(r.out, Limbs(r.out.size(), 0));
  const ProductResult tooShort = callProduct(Routine::decimal, Limbs(100, 1), Limbs(100, 1), 0, false, FftShape{64, 4});
  EXPECT_EQ(tooShort.distance, std::numeric_limits<double>::infinity());
}

TEST(FftProductDecimalTest, SmallestCallsAgainstSchoolbook) {
  for (int mode : {0, 1}) {
    expectDecimalProduct({12345678, 99999999}, {87654321}, mode);
    expectDecimalProduct({DECIMAL_LIMB_MAX, DECIMAL_LIMB_MAX}, {DECIMAL_LIMB_MAX}, mode);
    expectDecimalProduct({0}, {0}, mode);
    expectDecimalProduct({DECIMAL_LIMB_MAX}, {}, mode, true);
  }
}

TEST(FftProductDecimalTest, RandomOperandsAgainstSchoolbook) {
  auto g = rng(21);
  for (int i = 0; i < iterations(16); ++i) {
    const int mode = i % 2;
    const int total = static_cast<int>(logUniform(g, 2, 6000));
    const int t = static_cast<int>(logUniform(g, 1, total - 1));
    expectDecimalProduct(randomLimbs(g, t, DECIMAL_LIMB_MAX), randomLimbs(g, total - t, DECIMAL_LIMB_MAX), mode);
  }
  // Long balanced ones against GMP.
  for (int total : {30001, 100000}) {
    expectDecimalProduct(randomLimbs(g, total / 2, DECIMAL_LIMB_MAX),
                         randomLimbs(g, total - total / 2, DECIMAL_LIMB_MAX), 0);
  }
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

TEST(FftProductTest, BalancedDigitsAtOperandEdges) {
  // The top digit stays unbalanced and takes the borrow of the one below;
  // operands of one and two limbs on either side, a zero and a maximal
  // operand, in both routines and modes.
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
  *abortSlot = 1;
  for (Routine routine : {Routine::binary, Routine::decimal}) {
    for (bool square : {false, true}) {
      const ProductResult r = callProduct(routine, x, y, 0, square, {}, 7);
      EXPECT_EQ(r.distance, 0.0);
      EXPECT_EQ(r.out, Limbs(r.out.size(), 7));
    }
  }
  *abortSlot = 0;
  const ProductResult r = callProduct(Routine::decimal, x, y, 0, false, {}, 7);
  EXPECT_NE(r.out, Limbs(r.out.size(), 7)) << "a cleared flag computes again";
}

// A long operand cut into pieces of the short one's size, each multiplied
// by the kept transform of the short one: every piece product is exact, the
// last (shorter) piece included; a multiplier built while cancelled
// computes nothing.
TEST(FftProductTest, MultiplierKeepsOneOperandsTransform) {
  auto g = rng(34);
  for (int mode : {0, 1}) {
    const Limbs shortOne = randomLimbs(g, 334, BINARY_LIMB_MAX);
    FftBinaryMultiplier multiplier(shortOne.data(), 334, 334, mode);
    ASSERT_NE(multiplier.shape().points, 0);
    for (int t : {334, 334, 1, 200}) {
      const Limbs piece = randomLimbs(g, t, BINARY_LIMB_MAX);
      Limbs out(t + 334);
      EXPECT_LE(multiplier.multiply(piece.data(), t, out.data()), FFT_TRUSTED_ROUNDING_ERROR);
      Mpz a, b, expected;
      importLimbs(a.get(), piece.data(), piece.size());
      importLimbs(b.get(), shortOne.data(), shortOne.size());
      mpz_mul(expected.get(), a.get(), b.get());
      EXPECT_EQ(out, exportLimbs(expected.get(), out.size())) << "piece of " << t << " limbs, mode " << mode;
    }
  }
  const Limbs x = randomLimbs(g, 100, BINARY_LIMB_MAX);
  *abortSlot = 1;
  FftBinaryMultiplier cancelled(x.data(), 100, 100, 0);
  *abortSlot = 0;
  Limbs out(200, 7);
  EXPECT_EQ(cancelled.multiply(x.data(), 100, out.data()), 0.0);
  EXPECT_EQ(out, Limbs(200, 7));
}

// Products of one length on two threads at once share the cached tables of
// that length (a cancelled worker may still be finishing beside its
// successor): both stay exact.
TEST(FftProductTest, ConcurrentProductsShareTables) {
  auto g = rng(33);
  const Limbs x = randomLimbs(g, 3000, BINARY_LIMB_MAX), y = randomLimbs(g, 2999, BINARY_LIMB_MAX);
  const Limbs expected = callProduct(Routine::binary, x, y, 0, false).out;
  std::vector<Limbs> results(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] {
      claimAbortSlot();
      const int32_t* second = i % 2 ? x.data() : y.data();
      const int u = i % 2 ? 3000 : 2999;
      Limbs out(3000 + u);
      fftProductBinary(x.data(), 3000, second, u, out.data(), i % 2, binaryProductShape(3000, u, 0));
      results[i] = out;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(results[0], expected);
  EXPECT_EQ(results[2], expected);
  EXPECT_EQ(results[1], callProduct(Routine::binary, x, x, 0, true).out);
  EXPECT_EQ(results[3], results[1]);
}

TEST(FftProductTest, LeavesTheCallersFloatingPointModeAlone) {
  fpu_control_t before, after;
  _FPU_GETCW(before);
  callProduct(Routine::binary, {1, 2, 3}, {4, 5, 6}, 0, false);
  _FPU_GETCW(after);
  EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace quorvel::test
