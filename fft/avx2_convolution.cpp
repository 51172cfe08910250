// The AVX2 kernel's part of a digit convolution: the digits cut straight
// into the first level of the transform, and the rounding done straight
// out of the inverse first level, four points at a time, so that neither
// makes a pass of its own over the buffer (avx2_first_level.h).
//
// Rounding a double: t = x + C with C = 1.5 2^52 puts x in the significand
// of a value between 2^52 and 2^53, whose unit in the last place is 1, so
// the addition rounds x to the nearest integer (ties to even), exactly for
// |x| < 2^51; the low bits of t are then that integer plus those of C, and
// t - C is it as a double. An output of 2^50 or more (or a NaN) condemns
// the product: doubles there are 1/4 apart, too coarse to tell a good
// rounding from a bad one.
#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "fft/avx2_butterflies.h"
#include "fft/avx2_first_level.h"
#include "fft/avx2_transform.h"
#include "fft/fft_product_common.h"
#include "fft/parallel_pieces.h"

namespace quorvel::detail {
namespace {

using namespace avx2;

constexpr double ROUNDING_CONSTANT = 0x1.8p52;
constexpr double LARGEST_OUTPUT = 0x1p50;

// First-level steps are fed in chunks of this many quads: the digits of a
// chunk (up to 5 inputs, low and high halves) stay in the first-level cache.
constexpr int CHUNK_QUADS = DIGIT_CHUNK / 4;

// The first level's inputs cut from the digits: d_j + i d_(j+M) (the
// imaginary half zero for real input) times omega^j, for the chunk of steps
// from k0 on. The digits are cut raw (BalancedDigits::cutRaw, the digit
// below each run in front) and balanced here four at a time:
//   d_j = r_j + g_(j-1) - B g_j,  g_j = [r_j >= B/2],
// except for the top digit, which keeps its g_top B, and the positions past
// it, which are zero.
struct WeightedDigits {
  const PointQuad* weights;
  int q;
  int k0;
  int points;
  int64_t top;  // the top digit's index
  bool realInput;
  int32_t half;
  __m128i halfLess, base;
  int64_t first[5];  // the index of the digit at low[i][1]
  alignas(16) int32_t low[5][DIGIT_CHUNK + 4];
  alignas(16) int32_t high[5][DIGIT_CHUNK + 4];

  QUORVEL_AVX2_INLINE __m256d digits(const int32_t* raw, int64_t j) const {
    if (j > top) return _mm256_setzero_pd();
    const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + 1));
    const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw));
    const __m128i g = _mm_cmpgt_epi32(r, halfLess), gBelow = _mm_cmpgt_epi32(below, halfLess);
    __m128i d = _mm_sub_epi32(_mm_sub_epi32(r, gBelow), _mm_and_si128(g, base));
    if (j + 3 >= top) [[unlikely]] {
      alignas(16) int32_t lanes[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(lanes), d);
      for (int l = 0; l < 4; ++l) {
        if (j + l == top) lanes[l] = raw[1 + l] + (raw[l] >= half ? 1 : 0);
        if (j + l > top) lanes[l] = 0;
      }
      d = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    }
    return _mm256_cvtepi32_pd(d);
  }

  QUORVEL_AVX2_INLINE CVec operator()(int i, int k) const {
    const int offset = 4 * (k - k0);
    const int64_t j = first[i] + offset;
    const CVec omega = load(weights[k + i * q]);
    const __m256d re = digits(low[i] + offset, j);
    if (realInput) return {_mm256_mul_pd(re, omega.re), _mm256_mul_pd(re, omega.im)};
    return mul({re, digits(high[i] + offset, j + points)}, omega);
  }
};

QUORVEL_AVX2 void digitsIntoFirstLevel(const Avx2Plan& plan, const BalancedDigits& digits, PointQuad* z, int begin,
                                       int end) {
  const int points = plan.points(), R = plan.firstBlocks();
  WeightedDigits in;
  in.weights = plan.weights();
  in.q = plan.firstBlockPoints() / 4;
  in.points = points;
  in.top = digits.count() - 1;
  in.realInput = digits.count() <= points;
  in.half = digits.base() / 2;
  in.halfLess = _mm_set1_epi32(in.half - 1);
  in.base = _mm_set1_epi32(digits.base());
  for (int k0 = begin; k0 < end; k0 += CHUNK_QUADS) {
    const int k1 = std::min(end, k0 + CHUNK_QUADS);
    in.k0 = k0;
    for (int i = 0; i < R; ++i) {
      in.first[i] = 4 * (int64_t{k0} + int64_t{i} * in.q);
      const int64_t last = in.first[i] + 4 * (k1 - k0);
      digits.cutRaw(in.first[i], last, in.low[i]);
      if (!in.realInput) digits.cutRaw(in.first[i] + points, last + points, in.high[i]);
    }
    firstLevelForward(plan, z, in, k0, k1);
  }
}

// The inverse first level's outputs, rounded: Re and Im of z_j conj(omega^j)
// are c_j and c_(j+M), stored as integers over the quad's halves
// (Coefficients). Positions at or past the coefficient count must round to
// zero; they are stored all the same, and never read.
struct RoundedCoefficients {
  PointQuad* z;
  const PointQuad* weights;
  int q;
  int points;
  int64_t count;
  __m256d worst, unusable;
  bool nonZero;

  QUORVEL_AVX2_INLINE void round(__m256d x, int64_t* rounded) {
    const __m256d c = _mm256_set1_pd(ROUNDING_CONSTANT);
    const __m256d signMask = _mm256_set1_pd(-0.0);
    const __m256d t = _mm256_add_pd(x, c);
    worst = _mm256_max_pd(worst, _mm256_andnot_pd(signMask, _mm256_sub_pd(x, _mm256_sub_pd(t, c))));
    unusable = _mm256_or_pd(
        unusable, _mm256_cmp_pd(_mm256_andnot_pd(signMask, x), _mm256_set1_pd(LARGEST_OUTPUT), _CMP_NLT_UQ));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(rounded),
                        _mm256_sub_epi64(_mm256_castpd_si256(t), _mm256_castpd_si256(c)));
  }

  QUORVEL_AVX2_INLINE void operator()(int i, int k, CVec v) {
    const int quad = k + i * q;
    const CVec w = load(weights[quad]);
    int64_t lows[4], highs[4];
    round(_mm256_fmadd_pd(v.re, w.re, _mm256_mul_pd(v.im, w.im)), lows);
    round(_mm256_fmsub_pd(v.im, w.re, _mm256_mul_pd(v.re, w.im)), highs);
    const int64_t j = 4 * int64_t{quad};
    if (j + points + 4 > count) {
      for (int l = 0; l < 4; ++l) {
        nonZero |= (j + l >= count && lows[l] != 0) || (j + points + l >= count && highs[l] != 0);
      }
    }
    std::memcpy(z[quad].re, lows, sizeof lows);
    std::memcpy(z[quad].im, highs, sizeof highs);
  }
};

// The largest distance and whether any output was unusable, over one range.
struct RangeRounding {
  double worst = 0;
  bool unusable = false;
};

QUORVEL_AVX2 RangeRounding roundOutOfFirstLevel(const Avx2Plan& plan, PointQuad* z, int64_t count, int begin,
                                                int end) {
  RoundedCoefficients out{z,     plan.weights(),        plan.firstBlockPoints() / 4, plan.points(), count,
                          _mm256_setzero_pd(), _mm256_setzero_pd(), false};
  firstLevelInverse(plan, z, out, begin, end);
  alignas(32) double lanes[4];
  _mm256_store_pd(lanes, out.worst);
  RangeRounding result;
  result.worst = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
  result.unusable = out.nonZero || _mm256_movemask_pd(out.unusable) != 0;
  return result;
}

// The first level's steps in ranges for the pool.
template <class F>
void forFirstLevelRanges(const Avx2Plan& plan, F&& body) {
  forEachRange(plan.firstBlockPoints() / 4, FFT_PARALLEL_RANGE_POINTS / (4 * plan.firstBlocks()),
               [&](int64_t begin, int64_t end) { body(static_cast<int>(begin), static_cast<int>(end)); });
}

}  // namespace

bool transformDigits(const Avx2Plan& plan, const BalancedDigits& digits, PointQuad* z) {
  if (isAborted()) return false;
  forFirstLevelRanges(plan, [&](int begin, int end) { digitsIntoFirstLevel(plan, digits, z, begin, end); });
  return forwardBlocks(plan, z);
}

Convolution convolveInto(const Avx2Plan& plan, const BalancedDigits& x, const PointQuad* spectrum, int64_t count,
                         PointQuad* z) {
  if (isAborted()) return {true, 0};
  forFirstLevelRanges(plan, [&](int begin, int end) { digitsIntoFirstLevel(plan, x, z, begin, end); });
  if (!convolveBlocks(plan, z, spectrum, 1.0 / plan.points())) return {true, 0};
  const int q = plan.firstBlockPoints() / 4;
  const int ranges = rangeCount(q, FFT_PARALLEL_RANGE_POINTS / (4 * plan.firstBlocks()));
  std::vector<RangeRounding> parts(static_cast<size_t>(ranges));
  forRanges(q, ranges, [&](int r, int64_t begin, int64_t end) {
    parts[static_cast<size_t>(r)] =
        roundOutOfFirstLevel(plan, z, count, static_cast<int>(begin), static_cast<int>(end));
  });
  double worst = 0;
  for (const RangeRounding& part : parts) {
    if (part.unusable) return {false, HUGE_VAL};
    worst = std::max(worst, part.worst);
  }
  return {false, worst};
}

}  // namespace quorvel::detail
