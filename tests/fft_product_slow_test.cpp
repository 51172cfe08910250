// The largest FFT products the callers make: binary mode 1 near 600,000 and
// decimal mode 1 near 5,600,000 total limbs, with every digit at its maximum
// (the largest coefficients, the worst case for the rounding) and at random.
// All of them must come out trusted and exact.
#include <gtest/gtest.h>

#include "tests/fft_product_support.h"
#include "tests/support/random.h"

namespace quorvel::test {
namespace {

constexpr int BINARY_MODE1_MAX_TOTAL = 600000;
constexpr int DECIMAL_MODE1_MAX_TOTAL = 5600000;

TEST(FftProductSlowTest, BinaryModeOneAtItsLimit) {
  const Limbs maximum(BINARY_MODE1_MAX_TOTAL / 2, BINARY_LIMB_MAX);
  expectBinaryProduct(maximum, maximum, 1);
  expectBinaryProduct(maximum, {}, 1, true);
  auto g = rng(41);
  expectBinaryProduct(randomLimbs(g, 250000, BINARY_LIMB_MAX), randomLimbs(g, 349999, BINARY_LIMB_MAX), 1);
}

TEST(FftProductSlowTest, DecimalModeOneAtItsLimit) {
  // A square is what the decimal conversion makes at this size; the
  // all-maximum one has a closed form, and a random operand times a short
  // one is cheap for the schoolbook product (both at N = 2^25).
  const int half = DECIMAL_MODE1_MAX_TOTAL / 2;
  const Limbs maximum(half, DECIMAL_LIMB_MAX);
  const Limbs expected = maximalDecimalSquare(half);
  expectDecimalProduct(maximum, {}, 1, true, Trust::required, &expected);
  auto g = rng(42);
  expectDecimalProduct(randomLimbs(g, DECIMAL_MODE1_MAX_TOTAL - 12, DECIMAL_LIMB_MAX),
                       randomLimbs(g, 12, DECIMAL_LIMB_MAX), 1);
}

}  // namespace
}  // namespace quorvel::test
