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
#include <utility>
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

  void cutRawDigits(int64_t begin, int64_t end, int32_t* out) const override {
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

// The carry into base 10^D, made unsigned: every coefficient gets the
// bias K (B - 1), B = 10^D, K B >= 2^62 > |c_j|, so that every v_j = c_j
// + bias + carry is non-negative and the divisions by B are plain unsigned
// ones by a constant. The biases add up to K (B^n - 1) over n coefficients;
// starting the first carry at K instead of 0 makes that K B^n, which comes
// off the final carry. A range other than the first starts at 0, so its
// digits come out K short and its carry K too long; the too long carry the
// range below hands on makes up for the short digits, so the carries are
// added between the ranges as they are.
template <int D>
struct DecimalCarry {
  static constexpr uint64_t BASE = POWERS_OF_TEN[D];
  static constexpr uint64_t K = ((uint64_t{1} << 62) + BASE - 2) / (BASE - 1);
  static constexpr uint64_t BIAS = K * (BASE - 1);
  // Coefficients per group that starts and ends on a limb boundary.
  static constexpr int GROUP = LIMB_PLACES / std::gcd(D, LIMB_PLACES);

  detail::LimbWriter& writer;
  uint64_t carry;
  uint64_t window = 0;  // below 10^(windowPlaces)
  int windowPlaces = 0;

  // One coefficient, its digit placed windowPlaces into the window.
  template <int PLACES>
  void step(int64_t c) {
    const uint64_t v = static_cast<uint64_t>(c) + BIAS + carry;
    carry = v / BASE;
    window += (v - carry * BASE) * POWERS_OF_TEN[PLACES];
    if constexpr (PLACES + D >= LIMB_PLACES) {
      writer.put(static_cast<int64_t>(window % DECIMAL_LIMB_BASE));
      window /= DECIMAL_LIMB_BASE;
    }
  }

  // A whole group from a limb boundary on, unrolled: where each digit goes
  // and which digit completes a limb is known at compile time.
  template <int... I>
  void group(const int64_t* c, std::integer_sequence<int, I...>) {
    (step<(D * I) % LIMB_PLACES>(c[I]), ...);
  }
  void group(const int64_t* c) { group(c, std::make_integer_sequence<int, GROUP>()); }

  // The same one coefficient at a time, with the places counted at run
  // time, for the tail of the last range.
  void single(int64_t c) {
    const uint64_t v = static_cast<uint64_t>(c) + BIAS + carry;
    carry = v / BASE;
    place(v - carry * BASE);
  }
  void place(uint64_t digit) {
    window += digit * POWERS_OF_TEN[windowPlaces];
    windowPlaces += D;
    if (windowPlaces >= LIMB_PLACES) {
      writer.put(static_cast<int64_t>(window % DECIMAL_LIMB_BASE));
      window /= DECIMAL_LIMB_BASE;
      windowPlaces -= LIMB_PLACES;
    }
  }
};

// out[0..limbs) <- sum c_j 10^(D j), in the ranges of carryInRanges
// (fft_product_common.h). False when the value needs more limbs or comes
// out negative, which a true product never does.
template <int D>
bool carryIntoLimbs(const detail::Coefficients& c, int32_t* out, int limbs) {
  using Carry = DecimalCarry<D>;
  return detail::carryInRanges<DecimalLimbs>(
      c.count(), Carry::GROUP, out, limbs,
      [&](detail::LimbWriter& writer, int64_t begin, int64_t end, bool last) __attribute__((always_inline)) {
        writer.start(begin * D / LIMB_PLACES);
        Carry carry{writer, begin == 0 ? Carry::K : 0};
        // Whole groups from the coefficients gathered a group at a time, then
        // the last range's tail one by one.
        const int64_t whole = begin + (end - begin) / Carry::GROUP * Carry::GROUP;
        int64_t group[Carry::GROUP];
        int filled = 0;
        c.forEach(begin, whole, [&](int64_t coefficient) {
          group[filled++] = coefficient;
          if (filled == Carry::GROUP) {
            carry.group(group);
            filled = 0;
          }
        });
        c.forEach(whole, end, [&](int64_t coefficient) { carry.single(coefficient); });
        // Only the last range can end inside a group: the others return their
        // carry with an empty window, on a limb boundary.
        if (!last) return static_cast<int64_t>(carry.carry);
        // The final carry less the biases' K (DecimalCarry), its
        // digits down to 0 or -1 (floor division keeps -1 at -1), then the
        // window's places with that sign above them.
        int64_t rest = static_cast<int64_t>(carry.carry - Carry::K);
        while (rest != 0 && rest != -1) {
          int64_t digit;
          rest = floorDivide<static_cast<int64_t>(Carry::BASE)>(rest, digit);
          carry.place(static_cast<uint64_t>(digit));
        }
        const int64_t top =
            static_cast<int64_t>(carry.window) + rest * static_cast<int64_t>(POWERS_OF_TEN[carry.windowPlaces]);
        int64_t limb;
        const int64_t above = floorDivide<DECIMAL_LIMB_BASE>(top, limb);
        writer.put(limb);
        return above;
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
