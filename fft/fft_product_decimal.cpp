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
// constant.
#include <cassert>
#include <cstdint>
#include <limits>
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

// d-place digits of limbs[0..count), least significant first.
template <int D>
std::vector<int32_t> cutDigits(const int32_t* limbs, int count) {
  constexpr uint64_t base = POWERS_OF_TEN[D];
  const int64_t places = int64_t{LIMB_PLACES} * count;
  std::vector<int32_t> digits(static_cast<size_t>((places + D - 1) / D));
  uint64_t window = 0;  // below 10^windowPlaces
  int windowPlaces = 0, next = 0;
  for (int32_t& digit : digits) {
    if (windowPlaces < D && next < count) {
      window += static_cast<uint64_t>(limbs[next++]) * POWERS_OF_TEN[windowPlaces];
      windowPlaces += LIMB_PLACES;
    }
    digit = static_cast<int32_t>(window % base);
    window /= base;
    windowPlaces -= D;
  }
  return digits;
}

// out[0..limbs) <- sum c_j 10^(D j). False when the value needs more limbs.
template <int D>
bool carryIntoLimbs(const std::vector<uint64_t>& c, int32_t* out, int limbs) {
  constexpr uint64_t base = POWERS_OF_TEN[D];
  uint64_t carry = 0, window = 0;
  int windowPlaces = 0, k = 0;
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
  for (uint64_t coefficient : c) {
    const uint64_t v = coefficient + carry;
    emit(v % base);
    carry = v / base;
  }
  for (; carry != 0; carry /= base) emit(carry % base);
  for (; k < limbs; window /= LIMB_BASE) out[k++] = static_cast<int32_t>(window % LIMB_BASE);
  return fits && window == 0;
}

template <int D>
double product(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, bool square, int points) {
  constexpr int32_t base = static_cast<int32_t>(POWERS_OF_TEN[D]);
  const std::vector<int32_t> x = cutDigits<D>(first, significantLimbs(first, t));
  std::vector<int32_t> y = square ? std::vector<int32_t>{} : cutDigits<D>(second, significantLimbs(second, u));
  const size_t dy = square ? x.size() : y.size();
  if (!detail::isTransformLength(points) || x.size() + dy - 1 > 2 * static_cast<size_t>(points) ||
      !detail::coefficientsFit(x.size(), dy, base))
    return std::numeric_limits<double>::infinity();
  std::vector<uint64_t> c;
  detail::Convolution result;
  if (square) {
    result = detail::squareDigits(x, base, points, c);
  } else {
    const detail::DigitSpectrum spectrum(std::move(y), base, points);
    result = detail::convolveDigits(x, spectrum, c);
  }
  if (result.aborted) return 0;
  return carryIntoLimbs<D>(c, out, t + u) ? result.distance : std::numeric_limits<double>::infinity();
}

}  // namespace

double fftProductDecimal(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                         FftShape shape) {
  if (isAborted()) return 0;
  assert(t > 0 && u > 0 && (!square || (first == second && t == u)));
  switch (shape.digitSize) {
    case 2: return product<2>(first, t, second, u, out, square != 0, shape.points);
    case 3: return product<3>(first, t, second, u, out, square != 0, shape.points);
    case 4: return product<4>(first, t, second, u, out, square != 0, shape.points);
    case 5: return product<5>(first, t, second, u, out, square != 0, shape.points);
    case 6: return product<6>(first, t, second, u, out, square != 0, shape.points);
    case 7: return product<7>(first, t, second, u, out, square != 0, shape.points);
    default: return std::numeric_limits<double>::infinity();
  }
}

}  // namespace quorvel
