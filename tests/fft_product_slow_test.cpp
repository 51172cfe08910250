// The largest FFT products the callers make: binary products of 10,000,000
// bits (666,668 total limbs, one transform) and the squares of the decimal
// conversion of the 5,000,000-bit cap (about 190,000 limbs), with every
// digit at its maximum (the largest coefficients, the worst case for the
// rounding) and at random. All of them must come out trusted and exact.
#include <gtest/gtest.h>

#include "tests/fft_product_support.h"
#include "tests/support/random.h"

namespace quorvel::test {
namespace {

constexpr int BINARY_LARGEST_HALF = 333334;   // 10,000,000 bits
constexpr int DECIMAL_LARGEST_HALF = 95000;   // 760,000 decimal places

TEST(FftProductSlowTest, LargestBinaryProducts) {
  const Limbs maximum(BINARY_LARGEST_HALF, BINARY_LIMB_MAX);
  expectBinaryProduct(maximum, maximum, 0);
  expectBinaryProduct(maximum, {}, 0, true);
  auto g = rng(41);
  expectBinaryProduct(randomLimbs(g, BINARY_LARGEST_HALF, BINARY_LIMB_MAX),
                      randomLimbs(g, BINARY_LARGEST_HALF - 1, BINARY_LIMB_MAX), 0);
}

TEST(FftProductSlowTest, LargestDecimalProducts) {
  // The all-maximum square has a closed form; a random operand times a short
  // one is cheap for the schoolbook product, a random square for GMP.
  const Limbs maximum(DECIMAL_LARGEST_HALF, DECIMAL_LIMB_MAX);
  const Limbs expected = maximalDecimalSquare(DECIMAL_LARGEST_HALF);
  expectDecimalProduct(maximum, {}, 0, true, Trust::required, &expected);
  expectDecimalProduct(maximum, maximum, 0, false, Trust::required, &expected);
  auto g = rng(42);
  expectDecimalProduct(randomLimbs(g, 2 * DECIMAL_LARGEST_HALF - 12, DECIMAL_LIMB_MAX),
                       randomLimbs(g, 12, DECIMAL_LIMB_MAX), 0);
  expectDecimalProduct(randomLimbs(g, DECIMAL_LARGEST_HALF, DECIMAL_LIMB_MAX), {}, 0, true);
}

}  // namespace
}  // namespace quorvel::test
