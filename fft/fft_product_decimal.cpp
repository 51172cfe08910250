// fftProductDecimal: product of two base-10^8 magnitudes through the
// right-angle transform.
//
// Digits: groups of d decimal places, d = shape.digitSize (2 to 7; a group
// may straddle two limbs), least significant first. With the centring undone
// (fft_product_common.h), coefficient j is the exact integer c_j < 2^62 and
// the product is sum c_j 10^(d j).
//
// Carry, in two exact steps per coefficient: first into base 10^d,
//   v = c_j + carry,  digit_j = v mod 10^d,  carry = v div 10^d,
// with carry < 2^62 / (10^d - 1), so v stays below 2^63; then the digits are
// packed into base-10^8 limbs through a window of fewer than 8 + d places
// (below 10^15). d is a template parameter so that every division is by a
// constant. Both passes run in aligned ranges as in the binary product.
#include <cassert>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include "fft/fft_plan.h"
#include "fft/fft_product.h"
#include "fft/fft_product_common.h"
#include "platform/abort_flags.h"

namespace quorvel {
namespace {

constexpr int LIMB_PLACES = 8;
constexpr uint64_t LIMB_BASE = 100000000;  // 10^8
constexpr uint64_t POWERS_OF_TEN[] = {1,         10,         100,         1000,         10000,
                                      100000,    1000000,    10000000,    100000000,    1000000000,
                                      10000000000, 100000000000, 1000000000000, 10000000000000, 100000000000000};

int significantLimbs(const int32_t* limbs, int count) {
  while (count > 1 && limbs[count - 1] == 0) --count;
  return count;
}

// Digits per aligned group: a digit index that is a multiple of this starts
// on a limb boundary.
constexpr int64_t limbAlignment(int places) { return LIMB_PLACES / std::gcd(places, LIMB_PLACES); }

// d-place digits of limbs[0..count), least significant first.
template <int D>
std::vector<int32_t> cutDigits(const int32_t* limbs, int count) {
  constexpr uint64_t base = POWERS_OF_TEN[D];
  const int64_t digitCount = (int64_t{LIMB_PLACES} * count + D - 1) / D;
  std::vector<int32_t> digits(static_cast<size_t>(digitCount));
  const int ranges = detail::rangeCount(digitCount, FFT_PARALLEL_RANGE_POINTS);
  detail::forAlignedRanges(digitCount, limbAlignment(D), ranges, [&](int, int64_t begin, int64_t end) {
    uint64_t window = 0;  // below 10^windowPlaces
    int windowPlaces = 0;
    int64_t next = begin * D / LIMB_PLACES;
    for (int64_t j = begin; j < end; ++j) {
      if (windowPlaces < D && next < count) {
        window += static_cast<uint64_t>(limbs[next++]) * POWERS_OF_TEN[windowPlaces];
        windowPlaces += LIMB_PLACES;
      }
      digits[j] = static_cast<int32_t>(window % base);
      window /= base;
      windowPlaces -= D;
    }
  });
  return digits;
}

// out[k..limbs) += carry 10^(8 k), rippling. False when it runs past the end.
bool addCarry(int32_t* out, int limbs, int64_t k, uint64_t carry) {
  for (; carry != 0; ++k) {
    if (k >= limbs) return false;
    const uint64_t sum = static_cast<uint64_t>(out[k]) + carry % LIMB_BASE;
    out[k] = static_cast<int32_t>(sum % LIMB_BASE);
    carry = carry / LIMB_BASE + sum / LIMB_BASE;
  }
  return true;
}

// out[0..limbs) <- sum c_j 10^(D j), c the centred coefficients of x y with
// the correction still to add, in aligned ranges as for the binary product
// (fft_product_binary.cpp). False when the value needs more limbs.
template <int D>
bool carryIntoLimbs(const std::vector<uint64_t>& c, const std::vector<int32_t>& x, const std::vector<int32_t>& y,
                    int32_t* out, int limbs) {
  constexpr uint64_t base = POWERS_OF_TEN[D];
  constexpr int32_t offset = static_cast<int32_t>(base / 2);
  const int64_t count = static_cast<int64_t>(c.size());
  struct RangeEnd {
    int64_t end;
    uint64_t carry;
    bool fits;
  };
  const int ranges = detail::rangeCount(count, FFT_PARALLEL_RANGE_POINTS);
  std::vector<RangeEnd> ends(static_cast<size_t>(ranges));
  detail::forAlignedRanges(count, limbAlignment(D), ranges, [&](int r, int64_t begin, int64_t end) {
    detail::CentringCorrection correction(x, y, offset, begin);
    uint64_t carry = 0, window = 0;
    int windowPlaces = 0;
    int64_t k = begin * D / LIMB_PLACES;
    bool fits = true;
    auto emit = [&](uint64_t digit) {
      window += digit * POWERS_OF_TEN[windowPlaces];
      windowPlaces += D;
      for (; windowPlaces >= LIMB_PLACES; windowPlaces -= LIMB_PLACES, window /= LIMB_BASE) {
        if (k < limbs) {
          out[k++] = static_cast<int32_t>(window % LIMB_BASE);
        } else if (window % LIMB_BASE) {
          fits = false;
        }
      }
    };
    for (int64_t j = begin; j < end; ++j) {
      const uint64_t v = c[j] + static_cast<uint64_t>(correction.next()) + carry;
      emit(v % base);
      carry = v / base;
    }
    if (r == ranges - 1) {
      for (; carry != 0; carry /= base) emit(carry % base);
      for (; k < limbs; window /= LIMB_BASE) out[k++] = static_cast<int32_t>(window % LIMB_BASE);
      fits = fits && window == 0;
    }
    ends[static_cast<size_t>(r)] = {end, carry, fits};
  });
  bool fits = true;
  for (const RangeEnd& e : ends) fits = fits && e.fits && addCarry(out, limbs, e.end * D / LIMB_PLACES, e.carry);
  return fits;
}

template <int D>
double product(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, bool square,
               FftShape shape) {
  constexpr int32_t base = static_cast<int32_t>(POWERS_OF_TEN[D]);
  const std::vector<int32_t> x = cutDigits<D>(first, significantLimbs(first, t));
  std::vector<int32_t> y = square ? std::vector<int32_t>{} : cutDigits<D>(second, significantLimbs(second, u));
  const size_t dy = square ? x.size() : y.size();
  const bool length = shape.kernel == FftKernel::avx2 ? detail::isAvx2Length(shape.points)
                                                      : detail::isTransformLength(shape.points);
  if (!length || x.size() + dy - 1 > 2 * static_cast<size_t>(shape.points) ||
      !detail::coefficientsFit(x.size(), dy, base))
    return std::numeric_limits<double>::infinity();
  std::vector<uint64_t> c;
  if (square) {
    const detail::Convolution result = detail::squareDigits(x, base, shape.points, shape.kernel, c);
    if (result.aborted) return 0;
    return carryIntoLimbs<D>(c, x, x, out, t + u) ? result.distance : std::numeric_limits<double>::infinity();
  }
  const detail::DigitSpectrum spectrum(std::move(y), base, shape.points, shape.kernel);
  const detail::Convolution result = detail::convolveDigits(x, spectrum, c);
  if (result.aborted) return 0;
  return carryIntoLimbs<D>(c, x, spectrum.digits(), out, t + u) ? result.distance
                                                               : std::numeric_limits<double>::infinity();
}

}  // namespace

double fftProductDecimal(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                         FftShape shape) {
  if (isAborted()) return 0;
  assert(t > 0 && u > 0 && (!square || (first == second && t == u)));
  switch (shape.digitSize) {
    case 2: return product<2>(first, t, second, u, out, square != 0, shape);
    case 3: return product<3>(first, t, second, u, out, square != 0, shape);
    case 4: return product<4>(first, t, second, u, out, square != 0, shape);
    case 5: return product<5>(first, t, second, u, out, square != 0, shape);
    case 6: return product<6>(first, t, second, u, out, square != 0, shape);
    case 7: return product<7>(first, t, second, u, out, square != 0, shape);
    default: return std::numeric_limits<double>::infinity();
  }
}

}  // namespace quorvel
