// The AVX2 kernel's part of a digit convolution: loading centred digits
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

QUORVEL_AVX2 void loadRange(const int32_t* digits, int count, int32_t offset, PointQuad* z, int points,
                            int begin, int end) {
  // Quads [begin, end): point j = 4k + l, real half x'_j, imaginary half
  // x'_(j+M) when the digits reach past M.
  for (int k = begin; k < end; ++k) {
    for (int l = 0; l < 4; ++l) {
      const int j = 4 * k + l;
      z[k].re[l] = j < count ? digits[j] - offset : 0;
      if (count > points) z[k].im[l] = j + points < count ? digits[j + points] - offset : 0;
    }
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
// c'_j and c'_(j+M).
QUORVEL_AVX2 RangeRounding roundRange(const PointQuad* z, const PointQuad* weights, int points, int count,
                                      uint64_t* c, int begin, int end) {
  __m256d worst = _mm256_setzero_pd(), unusable = _mm256_setzero_pd();
  bool nonZero = false;
  for (int k = begin; k < end; ++k) {
    const CVec v = load(z[k]), w = load(weights[k]);
    const __m256d low = _mm256_fmadd_pd(v.re, w.re, _mm256_mul_pd(v.im, w.im));
    const __m256d high = _mm256_fmsub_pd(v.im, w.re, _mm256_mul_pd(v.re, w.im));
    int64_t lows[4], highs[4];
    roundQuad(low, lows, worst, unusable);
    roundQuad(high, highs, worst, unusable);
    const int j = 4 * k;
    if (j + 4 <= count) {
      std::memcpy(c + j, lows, sizeof lows);
    } else {
      for (int l = 0; l < 4; ++l) {
        if (j + l < count) {
          c[j + l] = static_cast<uint64_t>(lows[l]);
        } else {
          nonZero |= lows[l] != 0;
        }
      }
    }
    if (j + points + 4 <= count) {
      std::memcpy(c + j + points, highs, sizeof highs);
    } else {
      for (int l = 0; l < 4; ++l) {
        if (j + points + l < count) {
          c[j + points + l] = static_cast<uint64_t>(highs[l]);
        } else {
          nonZero |= highs[l] != 0;
        }
      }
    }
  }
  alignas(32) double lanes[4];
  _mm256_store_pd(lanes, worst);
  RangeRounding result;
  result.worst = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
  result.unusable = nonZero || _mm256_movemask_pd(unusable) != 0;
  return result;
}

}  // namespace

void loadCentredDigits(const std::vector<int32_t>& digits, int32_t offset, PointQuad* z, int points) {
  const int count = static_cast<int>(digits.size());
  forEachRange(points / 4, FFT_PARALLEL_RANGE_POINTS / 4, [&](int64_t begin, int64_t end) {
    loadRange(digits.data(), count, offset, z, points, static_cast<int>(begin), static_cast<int>(end));
  });
}

Convolution convolveCentred(const Avx2Plan& plan, const std::vector<int32_t>& x, int32_t offset, int count,
                            const PointQuad* spectrum, std::vector<uint64_t>& c) {
  const int points = plan.points();
  auto z = std::make_unique_for_overwrite<PointQuad[]>(static_cast<size_t>(points / 4));
  loadCentredDigits(x, offset, z.get(), points);
  if (!convolve(plan, z.get(), static_cast<int>(x.size()) <= points, spectrum, 1.0 / points)) return {true, 0};
  c.resize(count);
  const int ranges = rangeCount(points / 4, FFT_PARALLEL_RANGE_POINTS / 4);
  std::vector<RangeRounding> parts(static_cast<size_t>(ranges));
  forRanges(points / 4, ranges, [&](int r, int64_t begin, int64_t end) {
    parts[static_cast<size_t>(r)] = roundRange(z.get(), plan.weights(), points, count, c.data(),
                                               static_cast<int>(begin), static_cast<int>(end));
  });
  double worst = 0;
  for (const RangeRounding& part : parts) {
    if (part.unusable) return {false, HUGE_VAL};
    worst = std::max(worst, part.worst);
  }
  return {false, worst};
}

}  // namespace quorvel::detail
