// binaryProductShape and decimalProductShape: the transform length and digit
// size of one FFT product.
//
// A product of t and u limbs cut into digits of size s has
// D(s) = ceil(Lt/s) + ceil(Lu/s) - 1 coefficients (L = 30 bits or 8 decimal
// places per limb) and needs a transform of M >= D(s)/2 complex points. For
// every supported length M (2^k and 3 2^k) the largest trusted digit size
// comes from the measured precision table (limits.h); the cheapest length
// whose largest digits fit wins, by the estimated cost M log2 M, and is then
// given the smallest digits that fit it: the same transform with the widest
// margin.
#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "fft/fft_product.h"
#include "fft/limits.h"

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

// Work of one transform of M points, in units that only need to compare.
double estimatedCost(int64_t points) { return static_cast<double>(points) * log2Floor(points); }

template <class MaxDigitSize>
FftShape cheapestShape(int64_t t, int64_t u, int placesPerLimb, int minDigitSize, MaxDigitSize maxDigitSize) {
  FftShape best{0, 0};
  for (const int64_t family : {int64_t{1}, int64_t{3}}) {
    // The first length of a family that fits is its cheapest.
    for (int64_t points = family * FFT_MIN_POINTS; points <= FFT_MAX_POINTS; points *= 2) {
      const int largest = maxDigitSize(static_cast<int>(points));
      if (largest < minDigitSize || coefficientCount(t, u, placesPerLimb, largest) > 2 * points) continue;
      if (best.points == 0 || estimatedCost(points) < estimatedCost(best.points)) {
        int size = minDigitSize;
        while (coefficientCount(t, u, placesPerLimb, size) > 2 * points) ++size;
        best = {static_cast<int>(points), size};
      }
      break;
    }
  }
  return best;
}

}  // namespace

FftShape binaryProductShape(int64_t t, int64_t u, int mode) {
  return cheapestShape(t, u, BINARY_LIMB_BITS, FFT_MIN_DIGIT_BITS, [mode](int points) {
    return std::min(FFT_MAX_DIGIT_BITS, fftMaxDigitBits(points) - (mode == 0 ? 0 : FFT_SAFE_MARGIN_BITS));
  });
}

FftShape decimalProductShape(int64_t t, int64_t u, int mode) {
  return cheapestShape(t, u, DECIMAL_LIMB_PLACES, FFT_MIN_DECIMAL_PLACES, [mode](int points) {
    return std::min(FFT_MAX_DECIMAL_PLACES, fftMaxDecimalPlaces(points) - (mode == 0 ? 0 : FFT_SAFE_MARGIN_PLACES));
  });
}

}  // namespace quorvel
