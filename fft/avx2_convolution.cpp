// The AVX2 kernel's part of a digit convolution: loading balanced digits
// into quads, and the fused convolution with its rounding, four points at
// a time.
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
#include "fft/avx2_transform.h"
#include "fft/fft_product_common.h"
#include "fft/parallel_pieces.h"

namespace quorvel::detail {
namespace {

using namespace avx2;

constexpr double ROUNDING_CONSTANT = 0x1.8p52;
constexpr double LARGEST_OUTPUT = 0x1p50;

// The largest distance and whether any output was unusable, over one range.
struct RangeRounding {
  double worst = 0;
  bool unusable = false;
};

// Four digits as doubles.
QUORVEL_AVX2_INLINE __m256d digitQuad(const int32_t* d) {
  return _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d)));
}

// Quads [begin, end): point j = 4k + l holds d_j, and d_(j+M) in its
// imaginary half when the digits reach past M (else that half is not
// written: the transforms' real input). Fresh buffers take their first
// touch here.
QUORVEL_AVX2 void loadRange(const BalancedDigits& digits, PointQuad* z, int points, int64_t begin, int64_t end) {
  alignas(16) int32_t chunk[DIGIT_CHUNK];
  const bool realInput = digits.count() <= points;
  for (int64_t first = 4 * begin; first < 4 * end; first += DIGIT_CHUNK) {
    const int64_t last = std::min(4 * end, first + DIGIT_CHUNK);
    digits.cut(first, last, chunk);
    for (int64_t j = first; j < last; j += 4) _mm256_store_pd(z[j / 4].re, digitQuad(chunk + (j - first)));
    if (realInput) continue;
    digits.cut(first + points, last + points, chunk);
    for (int64_t j = first; j < last; j += 4) _mm256_store_pd(z[j / 4].im, digitQuad(chunk + (j - first)));
  }
}

// Rounds four outputs; the integers go to `rounded`.
QUORVEL_AVX2_INLINE void roundQuad(__m256d x, int64_t* rounded, __m256d& worst, __m256d& unusable) {
  const __m256d c = _mm256_set1_pd(ROUNDING_CONSTANT);
  const __m256d signMask = _mm256_set1_pd(-0.0);
  const __m256d t = _mm256_add_pd(x, c);
  const __m256d r = _mm256_sub_pd(t, c);
  worst = _mm256_max_pd(worst, _mm256_andnot_pd(signMask, _mm256_sub_pd(x, r)));
  unusable = _mm256_or_pd(unusable,
                          _mm256_cmp_pd(_mm256_andnot_pd(signMask, x), _mm256_set1_pd(LARGEST_OUTPUT), _CMP_NLT_UQ));
  const __m256i bits = _mm256_sub_epi64(_mm256_castpd_si256(t), _mm256_castpd_si256(c));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(rounded), bits);
}

// Quads [begin, end) of the result: Re and Im of z_j conj(omega^j) are
// c_j and c_(j+M), stored as integers over the quad's halves
// (Coefficients).
QUORVEL_AVX2 RangeRounding roundRange(PointQuad* z, const PointQuad* weights, int points, int64_t count, int begin,
                                      int end) {
  __m256d worst = _mm256_setzero_pd(), unusable = _mm256_setzero_pd();
  bool nonZero = false;
  for (int k = begin; k < end; ++k) {
    const CVec v = load(z[k]), w = load(weights[k]);
    const __m256d low = _mm256_fmadd_pd(v.re, w.re, _mm256_mul_pd(v.im, w.im));
    const __m256d high = _mm256_fmsub_pd(v.im, w.re, _mm256_mul_pd(v.re, w.im));
    int64_t lows[4], highs[4];
    roundQuad(low, lows, worst, unusable);
    roundQuad(high, highs, worst, unusable);
    // Lanes past the last coefficient must round to zero; they are
    // stored all the same, and never read.
    const int64_t j = 4 * int64_t{k};
    for (int l = 0; l < 4; ++l) {
      nonZero |= (j + l >= count && lows[l] != 0) || (j + points + l >= count && highs[l] != 0);
    }
    std::memcpy(z[k].re, lows, sizeof lows);
    std::memcpy(z[k].im, highs, sizeof highs);
  }
  alignas(32) double lanes[4];
  _mm256_store_pd(lanes, worst);
  RangeRounding result;
  result.worst = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
  result.unusable = nonZero || _mm256_movemask_pd(unusable) != 0;
  return result;
}

}  // namespace

void loadDigits(const BalancedDigits& digits, PointQuad* z, int points) {
  forEachRange(points / 4, FFT_PARALLEL_RANGE_POINTS / 4,
               [&](int64_t begin, int64_t end) { loadRange(digits, z, points, begin, end); });
}

Convolution convolveLoaded(const Avx2Plan& plan, PointQuad* z, bool realInput, int64_t count,
                           const PointQuad* spectrum) {
  const int points = plan.points();
  if (!convolve(plan, z, realInput, spectrum, 1.0 / points)) return {true, 0};
  const int ranges = rangeCount(points / 4, FFT_PARALLEL_RANGE_POINTS / 4);
  std::vector<RangeRounding> parts(static_cast<size_t>(ranges));
  forRanges(points / 4, ranges, [&](int r, int64_t begin, int64_t end) {
    parts[static_cast<size_t>(r)] =
        roundRange(z, plan.weights(), points, count, static_cast<int>(begin), static_cast<int>(end));
  });
  double worst = 0;
  for (const RangeRounding& part : parts) {
    if (part.unusable) return {false, HUGE_VAL};
    worst = std::max(worst, part.worst);
  }
  return {false, worst};
}

}  // namespace quorvel::detail
