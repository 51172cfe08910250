// fftProductBinary: product of two 30-bit-limb magnitudes through the
// right-angle transform.
//
// Digits: b-bit slices of the operands' bits, b = shape.digitSize (any size
// up to 30; a digit may straddle two limbs), least significant first, then
// balanced (fft_product_common.h). Coefficient j of the convolution is the
// exact signed integer c_j, |c_j| < 2^62, and the product is sum c_j 2^(b j).
//
// Carry, in two exact steps per coefficient: first into base 2^b,
//   v = c_j + carry,  digit_j = v mod 2^b,  carry = floor(v / 2^b),
// (an arithmetic shift), where |carry| < 2^62 / (2^b - 1) keeps |v| below
// 2^63; then the b-bit digits are packed into 30-bit limbs through a window
// of at most 29 + 30 bits, in the ranges of carryInRanges
// (fft_product_common.h).
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

constexpr int LIMB_BITS_30 = 30;
constexpr uint64_t LIMB_MASK_30 = (uint64_t{1} << LIMB_BITS_30) - 1;

// The significant limbs of a magnitude: its zero top limbs carry no digits.
int significantLimbs(const int32_t* limbs, int count) {
  while (count > 1 && limbs[count - 1] == 0) --count;
  return count;
}

// The b-bit digits of limbs[0..count).
class BinaryDigits final : public detail::BalancedDigits {
 public:
  BinaryDigits(const int32_t* limbs, int count, int bits)
      : BalancedDigits((int64_t{LIMB_BITS_30} * count + bits - 1) / bits, int32_t{1} << bits),
        limbs_(limbs),
        limbCount_(count),
        bits_(bits),
        mask_((uint64_t{1} << bits) - 1) {}

 private:
  uint64_t limb(int64_t k) const { return k < limbCount_ ? static_cast<uint64_t>(limbs_[k]) : 0; }

  int32_t raw(int64_t j) const override {
    const int64_t bit = j * bits_;
    const int64_t k = bit / LIMB_BITS_30;
    return static_cast<int32_t>(((limb(k) | limb(k + 1) << LIMB_BITS_30) >> (bit % LIMB_BITS_30)) & mask_);
  }

  void cutRawDigits(int64_t begin, int64_t end, int32_t* out) const override {
    const int64_t bit = begin * bits_;
    int64_t next = bit / LIMB_BITS_30 + 1;
    const int shift = static_cast<int>(bit % LIMB_BITS_30);
    uint64_t window = limb(next - 1) >> shift;
    int windowBits = LIMB_BITS_30 - shift;
    // While the limbs to come all exist, without checking each one.
    const int64_t inside = std::min(end, begin + (int64_t{limbCount_ - next} * LIMB_BITS_30 + windowBits) / bits_);
    int64_t j = begin;
    for (; j < inside; ++j) {
      // windowBits < bits <= 30 before the refill, so the window stays below
      // 2^60.
      if (windowBits < bits_) {
        window |= static_cast<uint64_t>(limbs_[next++]) << windowBits;
        windowBits += LIMB_BITS_30;
      }
      out[j - begin] = static_cast<int32_t>(window & mask_);
      window >>= bits_;
      windowBits -= bits_;
    }
    for (; j < end; ++j) {
      if (windowBits < bits_) {
        window |= limb(next++) << windowBits;
        windowBits += LIMB_BITS_30;
      }
      out[j - begin] = static_cast<int32_t>(window & mask_);
      window >>= bits_;
      windowBits -= bits_;
    }
  }

  const int32_t* limbs_;
  int limbCount_;
  int bits_;
  uint64_t mask_;
};

// 30-bit limbs for carryInRanges.
struct BinaryLimbs {
  static constexpr int64_t LIMB_BASE = int64_t{1} << LIMB_BITS_30;
  static int64_t floorDivide(int64_t v, int64_t& remainder) {
    remainder = v & static_cast<int64_t>(LIMB_MASK_30);
    return v >> LIMB_BITS_30;
  }
};

// out[0..limbs) <- sum c_j 2^(bits j). False when the value needs more
// limbs or comes out negative, which a true product never does.
bool carryIntoLimbs(const detail::Coefficients& c, int bits, int32_t* out, int limbs) {
  const uint64_t mask = (uint64_t{1} << bits) - 1;
  const int64_t alignment = LIMB_BITS_30 / std::gcd(bits, LIMB_BITS_30);
  return detail::carryInRanges<BinaryLimbs>(
      c.count(), alignment, out, limbs, [&](detail::LimbWriter& writer, int64_t begin,
                                                                  int64_t end, bool last) __attribute__((always_inline)) {
        writer.start(begin * bits / LIMB_BITS_30);
        int64_t carry = 0;
        uint64_t window = 0;
        int windowBits = 0;
        auto emit = [&](uint64_t digit) {
          window |= digit << windowBits;
          windowBits += bits;
          if (windowBits >= LIMB_BITS_30) {
            writer.put(static_cast<int32_t>(window & LIMB_MASK_30));
            window >>= LIMB_BITS_30;
            windowBits -= LIMB_BITS_30;
          }
        };
        c.forEach(begin, end, [&](int64_t coefficient) {
          const int64_t v = coefficient + carry;
          emit(static_cast<uint64_t>(v) & mask);
          carry = v >> bits;
        });
        if (!last) return carry;  // the window is empty: the range ends on a limb boundary
        // The final carry's digits, down to 0 or -1 (-1 shifts into itself),
        // then the window's bits with that sign above them.
        for (; carry != 0 && carry != -1; carry >>= bits) emit(static_cast<uint64_t>(carry) & mask);
        const int64_t top = static_cast<int64_t>(window) + carry * (int64_t{1} << windowBits);
        writer.put(top & static_cast<int64_t>(LIMB_MASK_30));
        return top >> LIMB_BITS_30;
      });
}

// The digits of both operands fit the shape's transform without wrapping
// around, and their coefficients fit the 64-bit arithmetic.
bool shapeHolds(FftShape shape, int64_t dx, int64_t dy) {
  const bool length = shape.kernel == FftKernel::avx2 ? detail::isAvx2Length(shape.points)
                                                      : detail::isTransformLength(shape.points);
  return length && dx + dy - 1 <= 2 * int64_t{shape.points} &&
         detail::coefficientsFit(dx, dy, int32_t{1} << shape.digitSize);
}

double trustedOrInfinite(bool carried, double distance) {
  return carried ? distance : std::numeric_limits<double>::infinity();
}

}  // namespace

double fftProductBinary(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                        FftShape shape) {
  if (isAborted()) return 0;
  assert(t > 0 && u > 0 && (!square || (first == second && t == u)));
  assert(shape.digitSize >= 1 && shape.digitSize <= LIMB_BITS_30);
  const BinaryDigits x(first, significantLimbs(first, t), shape.digitSize);
  const BinaryDigits y(second, significantLimbs(second, u), shape.digitSize);
  if (!shapeHolds(shape, x.count(), y.count())) return std::numeric_limits<double>::infinity();
  detail::Coefficients c;
  detail::Convolution result;
  if (square) {
    result = detail::squareDigits(x, shape.points, shape.kernel, c);
  } else {
    const detail::DigitSpectrum spectrum(y, shape.points, shape.kernel);
    result = detail::convolveDigits(x, spectrum, c);
  }
  if (result.aborted) return 0;
  return trustedOrInfinite(carryIntoLimbs(c, shape.digitSize, out, t + u), result.distance);
}

FftBinaryMultiplier::FftBinaryMultiplier(const int32_t* second, int u, int longestFirst, int mode)
    : shape_(binaryProductShape(longestFirst, u, mode)), u_(u) {
  if (shape_.points == 0 || isAborted()) return;
  const BinaryDigits y(second, significantLimbs(second, u), shape_.digitSize);
  const int64_t longestDigits = (int64_t{LIMB_BITS_30} * longestFirst + shape_.digitSize - 1) / shape_.digitSize;
  if (!shapeHolds(shape_, longestDigits, y.count())) {
    shape_ = {0, 0};
    return;
  }
  spectrum_ = std::make_unique<detail::DigitSpectrum>(y, shape_.points, shape_.kernel);
}

FftBinaryMultiplier::~FftBinaryMultiplier() = default;

double FftBinaryMultiplier::multiply(const int32_t* first, int t, int32_t* out) {
  if (shape_.points == 0) return std::numeric_limits<double>::infinity();
  if (isAborted() || !spectrum_ || spectrum_->aborted()) return 0;
  const BinaryDigits x(first, significantLimbs(first, t), shape_.digitSize);
  if (!shapeHolds(shape_, x.count(), spectrum_->digitCount())) return std::numeric_limits<double>::infinity();
  detail::Coefficients c;
  const detail::Convolution result = detail::convolveDigits(x, *spectrum_, c);
  if (result.aborted) return 0;
  return trustedOrInfinite(carryIntoLimbs(c, shape_.digitSize, out, t + u_), result.distance);
}

}  // namespace quorvel
