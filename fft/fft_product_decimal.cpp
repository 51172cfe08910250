// fftProductDecimal: product of two base-10^8 magnitudes through the
// right-angle transform.
//
// Digits: groups of d decimal places, d = shape.digitSize (2 to 7; a group
// may straddle two limbs), least significant first, then balanced
// (fft_product_common.h). Coefficient j of the convolution is the exact
// signed integer c_j, |c_j| < 2^62, and the product is sum c_j 10^(d j).
//
// Carry, in two exact steps per coefficient: first into base 10^d,
//   v = c_j + carry,  digit_j = v mod 10^d,  carry = floor(v / 10^d),
// with |carry| < 2^62 / (10^d - 1), so |v| stays below 2^63; then the
// digits are packed into base-10^8 limbs through a window of fewer than
// 8 + d places (below 10^15), in the ranges of carryInRanges
// (fft_product_common.h). d is a template parameter so that every division
// is by a constant.
#include <algorithm>
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
constexpr int64_t DECIMAL_LIMB_BASE = 100000000;  // 10^8
constexpr uint64_t POWERS_OF_TEN[] = {1,         10,         100,         1000,         10000,
                                      100000,    1000000,    10000000,    100000000,    1000000000,
                                      10000000000, 100000000000, 1000000000000, 10000000000000, 100000000000000};

int significantLimbs(const int32_t* limbs, int count) {
  while (count > 1 && limbs[count - 1] == 0) --count;
  return count;
}

// The D-place digits of limbs[0..count).
template <int D>
class DecimalDigits final : public detail::BalancedDigits {
 public:
  static constexpr uint64_t BASE = POWERS_OF_TEN[D];

  DecimalDigits(const int32_t* limbs, int count)
      : BalancedDigits((int64_t{LIMB_PLACES} * count + D - 1) / D, static_cast<int32_t>(BASE)),
        limbs_(limbs),
        limbCount_(count) {}

 private:
  uint64_t limb(int64_t k) const { return k < limbCount_ ? static_cast<uint64_t>(limbs_[k]) : 0; }

  int32_t raw(int64_t j) const override {
    const int64_t place = j * D;
    const int64_t k = place / LIMB_PLACES;
    const int offset = static_cast<int>(place % LIMB_PLACES);
    const uint64_t window = limb(k) / POWERS_OF_TEN[offset] + limb(k + 1) * POWERS_OF_TEN[LIMB_PLACES - offset];
    return static_cast<int32_t>(window % BASE);
  }

  void cutRaw(int64_t begin, int64_t end, int32_t* out) const override {
    const int64_t place = begin * D;
    int64_t next = place / LIMB_PLACES + 1;
    const int offset = static_cast<int>(place % LIMB_PLACES);
    uint64_t window = limb(next - 1) / POWERS_OF_TEN[offset];  // below 10^windowPlaces
    int windowPlaces = LIMB_PLACES - offset;
    for (int64_t j = begin; j < end; ++j) {
      if (windowPlaces < D) {
        window += limb(next++) * POWERS_OF_TEN[windowPlaces];
        windowPlaces += LIMB_PLACES;
      }
      out[j - begin] = static_cast<int32_t>(window % BASE);
      window /= BASE;
      windowPlaces -= D;
    }
  }

  const int32_t* limbs_;
  int limbCount_;
};

// floor(v / b), and v - b floor(v / b) in remainder, for a constant b.
template <int64_t B>
inline int64_t floorDivide(int64_t v, int64_t& remainder) {
  int64_t quotient = v / B;
  remainder = v - quotient * B;
  if (remainder < 0) {
    remainder += B;
    --quotient;
  }
  return quotient;
}

// Base-10^8 limbs for carryInRanges.
struct DecimalLimbs {
  static constexpr int64_t LIMB_BASE = DECIMAL_LIMB_BASE;
  static int64_t floorDivide(int64_t v, int64_t& remainder) { return quorvel::floorDivide<LIMB_BASE>(v, remainder); }
};

// out[0..limbs) <- sum c_j 10^(D j), in the ranges of carryInRanges
// (fft_product_common.h). False when the value needs more limbs or comes
// out negative, which a true product never does.
template <int D>
bool carryIntoLimbs(const detail::Coefficients& c, int32_t* out, int limbs) {
  constexpr int64_t base = static_cast<int64_t>(POWERS_OF_TEN[D]);
  const int64_t alignment = LIMB_PLACES / std::gcd(D, LIMB_PLACES);
  return detail::carryInRanges<DecimalLimbs>(
      c.count(), alignment, out, limbs,
      [&](detail::LimbWriter& writer, int64_t begin, int64_t end, bool last) __attribute__((always_inline)) {
        writer.start(begin * D / LIMB_PLACES);
        int64_t carry = 0;
        uint64_t window = 0;
        int windowPlaces = 0;
        auto emit = [&](int64_t digit) {
          window += static_cast<uint64_t>(digit) * POWERS_OF_TEN[windowPlaces];
          windowPlaces += D;
          if (windowPlaces >= LIMB_PLACES) {
            writer.put(static_cast<int64_t>(window % DECIMAL_LIMB_BASE));
            window /= DECIMAL_LIMB_BASE;
            windowPlaces -= LIMB_PLACES;
          }
        };
        int64_t chunk[detail::DIGIT_CHUNK];
        for (int64_t first = begin; first < end; first += detail::DIGIT_CHUNK) {
          const int64_t last = std::min(end, first + detail::DIGIT_CHUNK);
          c.read(first, last, chunk);
          for (int64_t j = 0; j < last - first; ++j) {
            int64_t digit;
            carry = floorDivide<base>(chunk[j] + carry, digit);
            emit(digit);
          }
        }
        if (!last) return carry;  // the window is empty: the range ends on a limb boundary
        // The final carry's digits, down to 0 or -1 (floor division keeps
        // -1 at -1), then the window's places with that sign above them.
        while (carry != 0 && carry != -1) {
          int64_t digit;
          carry = floorDivide<base>(carry, digit);
          emit(digit);
        }
        const int64_t top = static_cast<int64_t>(window) + carry * static_cast<int64_t>(POWERS_OF_TEN[windowPlaces]);
        int64_t limb;
        const int64_t rest = floorDivide<DECIMAL_LIMB_BASE>(top, limb);
        writer.put(limb);
        return rest;
      });
}

template <int D>
double product(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, bool square,
               FftShape shape) {
  const DecimalDigits<D> x(first, significantLimbs(first, t));
  const DecimalDigits<D> y(second, significantLimbs(second, u));
  const bool length = shape.kernel == FftKernel::avx2 ? detail::isAvx2Length(shape.points)
                                                      : detail::isTransformLength(shape.points);
  if (!length || x.count() + y.count() - 1 > 2 * int64_t{shape.points} ||
      !detail::coefficientsFit(x.count(), y.count(), x.base()))
    return std::numeric_limits<double>::infinity();
  detail::Coefficients c;
  detail::Convolution result;
  if (square) {
    result = detail::squareDigits(x, shape.points, shape.kernel, c);
  } else {
    const detail::DigitSpectrum spectrum(y, shape.points, shape.kernel);
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
