// The long transforms: the first and last product of every shape (transform
// length and digit size) beyond the reach of the fast tests, at random and
// in the worst case for the rounding (every digit B/2 - 1), and the largest
// products the callers make: binary products of 10,000,000 bits (666,668
// total limbs, one transform) and the squares of the decimal conversion of
// the 5,000,000-bit cap (about 190,000 limbs), with every digit at its
// maximum and at random. All of them must come out trusted and exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/fft_product_support.h"
#include "tests/support/random.h"
#include "vnum/limits.h"

namespace quorvel::test {
namespace {

constexpr int BINARY_LARGEST_HALF = 333334;   // 10,000,000 bits
constexpr int DECIMAL_LARGEST_HALF = 95000;   // 760,000 decimal places

// The totals from `from` to `to` limbs where the mode-0 shape of a balanced
// product changes (its transform length or its digit size). The shape only
// grows with the total, so a change between two totals is found by
// bisection.
std::vector<int> shapeBoundaries(Routine routine, int from, int to) {
  auto shape = [routine](int total) {
    const FftShape s = shapeFor(routine, total - total / 2, total / 2, 0);
    return int64_t{s.points} * 64 + s.digitSize;
  };
  std::vector<int> boundaries;
  for (int low = from; low < to;) {
    const int high = std::min(to, low + low / 256 + 1);
    int a = low;
    while (shape(a) != shape(high)) {
      int b = high;  // shape(a) differs from shape(b): the first change
      while (b - a > 1) (shape((a + b) / 2) == shape(a) ? a : b) = (a + b) / 2;
      boundaries.push_back(b);
      a = b;
    }
    low = high;
  }
  return boundaries;
}

TEST(FftProductSlowTest, FirstAndLastProductOfEveryLongShape) {
  auto g = rng(40);
  const struct {
    Routine routine;
    int from, to;
    int32_t max;
  } ranges[] = {{Routine::binary, 20000, MUL_FFT_MODE0_MAX_LIMBS, BINARY_LIMB_MAX},
                {Routine::decimal, 5000, 200000, DECIMAL_LIMB_MAX}};
  for (const auto& r : ranges) {
    for (int total : shapeBoundaries(r.routine, r.from, r.to)) {
      for (int T : {total - 1, total}) {
        SCOPED_TRACE(T);
        expectProduct(r.routine, randomLimbs(g, T - T / 2, r.max), randomLimbs(g, T / 2, r.max), 0);
      }
      if (total % 2 == 0) expectProduct(r.routine, worstLimbs(r.routine, total / 2, total / 2, 0), {}, 0, true);
    }
  }
}

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
