// binaryProductShape and decimalProductShape: the transform length and digit
// size of one FFT product.
//
// A product of t and u limbs cut into digits of size s has
// D(s) = ceil(Lt/s) + ceil(Lu/s) - 1 coefficients (L = 30 bits or 8 decimal
// places per limb) and needs a transform of M >= D(s)/2 complex points. For
// every length M the kernel supports, the largest trusted digit size comes
// from its measured precision table (limits.h); the cheapest length whose
// largest digits fit wins, by the kernel's measured cost per length, and is
// then given the smallest digits that fit it: the same transform with the
// widest margin.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "fft/avx2_plan.h"
#include "fft/fft_plan.h"
#include "fft/fft_product.h"
#include "fft/limits.h"
#include "platform/cpu_features.h"

namespace quorvel {
namespace {

int log2Floor(int64_t v) {
  int bits = 0;
  while ((int64_t{2} << bits) <= v) ++bits;
  return bits;
}

int64_t coefficientCount(int64_t t, int64_t u, int placesPerLimb, int digitSize) {
  return (placesPerLimb * t + digitSize - 1) / digitSize + (placesPerLimb * u + digitSize - 1) / digitSize - 1;
}

// Work of one transform of M = R 2^k points, in units that only need to
// compare within one kernel.
double estimatedCost(int64_t points, FftKernel kernel) {
  const int64_t odd = points >> __builtin_ctzll(static_cast<uint64_t>(points));
  const double perPoint = kernel == FftKernel::avx2 ? AVX2_FFT_FAMILY_COST[odd == 1 ? 0 : odd == 3 ? 1 : 2] : 1.0;
  return perPoint * static_cast<double>(points) * log2Floor(points);
}

bool supported(int64_t points, FftKernel kernel) {
  return kernel == FftKernel::avx2 ? detail::isAvx2Length(static_cast<int>(points))
                                   : detail::isTransformLength(static_cast<int>(points));
}

template <class MaxDigitSize>
FftShape cheapestShape(int64_t t, int64_t u, int placesPerLimb, int minDigitSize, FftKernel kernel,
                       MaxDigitSize maxDigitSize) {
  FftShape best{0, 0, kernel};
  const int64_t longest = kernel == FftKernel::avx2 ? AVX2_FFT_MAX_POINTS : FFT_MAX_POINTS;
  for (const int64_t family : {int64_t{1}, int64_t{3}, int64_t{5}}) {
    // The first length of a family that fits is its cheapest.
    for (int64_t points = family * FFT_MIN_POINTS; points <= longest; points *= 2) {
      if (!supported(points, kernel)) continue;
      const int largest = maxDigitSize(static_cast<int>(points));
      if (largest < minDigitSize || coefficientCount(t, u, placesPerLimb, largest) > 2 * points) continue;
      if (best.points == 0 || estimatedCost(points, kernel) < estimatedCost(best.points, kernel)) {
        int size = minDigitSize;
        while (coefficientCount(t, u, placesPerLimb, size) > 2 * points) ++size;
        best = {static_cast<int>(points), size, kernel};
      }
      break;
    }
  }
  return best;
}

}  // namespace

FftKernel preferredFftKernel() { return hasAvx2Fma() ? FftKernel::avx2 : FftKernel::x87; }

FftShape binaryProductShape(int64_t t, int64_t u, int mode, FftKernel kernel) {
  return cheapestShape(t, u, BINARY_LIMB_BITS, FFT_MIN_DIGIT_BITS, kernel, [mode, kernel](int points) {
    return std::min(FFT_MAX_DIGIT_BITS, fftMaxDigitBits(points, kernel) - (mode == 0 ? 0 : FFT_SAFE_MARGIN_BITS));
  });
}

FftShape decimalProductShape(int64_t t, int64_t u, int mode, FftKernel kernel) {
  return cheapestShape(t, u, DECIMAL_LIMB_PLACES, FFT_MIN_DECIMAL_PLACES, kernel, [mode, kernel](int points) {
    return std::min(FFT_MAX_DECIMAL_PLACES,
                    fftMaxDecimalPlaces(points, kernel) - (mode == 0 ? 0 : FFT_SAFE_MARGIN_PLACES));
  });
}

std::vector<int32_t> worstRoundingLimbs(bool decimal, int count, int digitSize) {
  std::vector<int32_t> limbs(static_cast<size_t>(count), 0);
  // Place p of the number (a bit, or a decimal place) is the top place of
  // its digit when p % digitSize == digitSize - 1: there the digit B/2 - 1
  // has 0 (binary: 0111...1) or 4 (decimal: 4999...9), elsewhere 1 or 9.
  const int placesPerLimb = decimal ? DECIMAL_LIMB_PLACES : BINARY_LIMB_BITS;
  for (int k = 0; k < count; ++k) {
    int32_t limb = 0;
    for (int i = placesPerLimb - 1; i >= 0; --i) {
      const bool top = (int64_t{placesPerLimb} * k + i) % digitSize == digitSize - 1;
      limb = decimal ? limb * 10 + (top ? 4 : 9) : limb * 2 + (top ? 0 : 1);
    }
    limbs[static_cast<size_t>(k)] = limb;
  }
  return limbs;
}

}  // namespace quorvel
