// fftProductBinary: product of two 30-bit-limb magnitudes through the
// right-angle transform.
//
// Digits: b-bit slices of the operands' bits, b = shape.digitSize (any size
// up to 30; a digit may straddle two limbs), least significant first. With
// the centring undone (fft_product_common.h), coefficient j is the exact
// integer c_j < 2^62 and the product is sum c_j 2^(b j).
//
// Carry, in two exact steps per coefficient: first into base 2^b,
//   v = c_j + carry,  digit_j = v mod 2^b,  carry = v >> b,
// where carry < 2^62 / (2^b - 1) keeps v below 2^63; then the b-bit digits
// are packed into 30-bit limbs through a window of at most 29 + 30 bits.
//
// Both passes run in ranges on the task pool. A range of digits or
// coefficients starts at a multiple of 30 / gcd(b, 30), where a digit starts
// on a limb boundary, so each range cuts from, or writes, whole limbs of its
// own. A carry range ends with its carry still to add: the carry out of
// range r is worth carry 2^(b e_r), e_r its end, which is limb b e_r / 30,
// and is added there once every range has run, rippling upward (rarely more
// than a limb or two).
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

// Digits per aligned group: a digit index that is a multiple of this starts
// on a limb boundary.
int64_t limbAlignment(int bits) { return LIMB_BITS_30 / std::gcd(bits, LIMB_BITS_30); }

// b-bit digits of limbs[0..count), least significant first.
std::vector<int32_t> cutDigits(const int32_t* limbs, int count, int bits) {
  const int64_t totalBits = int64_t{LIMB_BITS_30} * count;
  const int64_t digitCount = (totalBits + bits - 1) / bits;
  std::vector<int32_t> digits(static_cast<size_t>(digitCount));
  const uint64_t mask = (uint64_t{1} << bits) - 1;
  const int ranges = detail::rangeCount(digitCount, FFT_PARALLEL_RANGE_POINTS);
  detail::forAlignedRanges(digitCount, limbAlignment(bits), ranges, [&](int, int64_t begin, int64_t end) {
    uint64_t window = 0;
    int windowBits = 0;
    int64_t next = begin * bits / LIMB_BITS_30;
    for (int64_t j = begin; j < end; ++j) {
      // windowBits < bits <= 30 before the refill, so the window stays below
      // 2^60.
      if (windowBits < bits && next < count) {
        window |= static_cast<uint64_t>(limbs[next++]) << windowBits;
        windowBits += LIMB_BITS_30;
      }
      digits[j] = static_cast<int32_t>(window & mask);
      window >>= bits;
      windowBits -= bits;
    }
  });
  return digits;
}

// out[k..limbs) += carry 2^(30 k), rippling. False when it runs past the end.
bool addCarry(int32_t* out, int limbs, int64_t k, uint64_t carry) {
  for (; carry != 0; ++k) {
    if (k >= limbs) return false;
    const uint64_t sum = static_cast<uint64_t>(out[k]) + (carry & LIMB_MASK_30);
    out[k] = static_cast<int32_t>(sum & LIMB_MASK_30);
    carry = (carry >> LIMB_BITS_30) + (sum >> LIMB_BITS_30);
  }
  return true;
}

// out[0..limbs) <- sum c_j 2^(bits j), c the centred coefficients of x y
// with the correction still to add. False when the value needs more limbs,
// which a true product of the operands never does.
bool carryIntoLimbs(const std::vector<uint64_t>& c, const std::vector<int32_t>& x, const std::vector<int32_t>& y,
                    int bits, int32_t* out, int limbs) {
  const uint64_t mask = (uint64_t{1} << bits) - 1;
  const int32_t offset = int32_t{1} << (bits - 1);
  const int64_t count = static_cast<int64_t>(c.size());
  struct RangeEnd {
    int64_t end;
    uint64_t carry;
    bool fits;
  };
  const int ranges = detail::rangeCount(count, FFT_PARALLEL_RANGE_POINTS);
  std::vector<RangeEnd> ends(static_cast<size_t>(ranges));
  detail::forAlignedRanges(count, limbAlignment(bits), ranges, [&](int r, int64_t begin, int64_t end) {
    detail::CentringCorrection correction(x, y, offset, begin);
    uint64_t carry = 0, window = 0;
    int windowBits = 0;
    int64_t k = begin * bits / LIMB_BITS_30;
    bool fits = true;
    auto emit = [&](uint64_t digit) {
      window |= digit << windowBits;
      windowBits += bits;
      for (; windowBits >= LIMB_BITS_30; windowBits -= LIMB_BITS_30, window >>= LIMB_BITS_30) {
        if (k < limbs) {
          out[k++] = static_cast<int32_t>(window & LIMB_MASK_30);
        } else if (window & LIMB_MASK_30) {
          fits = false;
        }
      }
    };
    for (int64_t j = begin; j < end; ++j) {
      const uint64_t v = c[j] + static_cast<uint64_t>(correction.next()) + carry;
      emit(v & mask);
      carry = v >> bits;
    }
    if (r == ranges - 1) {
      for (; carry != 0; carry >>= bits) emit(carry & mask);
      for (; k < limbs; window >>= LIMB_BITS_30) out[k++] = static_cast<int32_t>(window & LIMB_MASK_30);
      fits = fits && window == 0;
    }
    ends[static_cast<size_t>(r)] = {end, carry, fits};
  });
  bool fits = true;
  for (const RangeEnd& e : ends) fits = fits && e.fits && addCarry(out, limbs, e.end * bits / LIMB_BITS_30, e.carry);
  return fits;
}

// The digits of both operands fit the shape's transform without wrapping
// around, and their coefficients fit the 64-bit arithmetic.
bool shapeHolds(FftShape shape, size_t dx, size_t dy) {
  const bool length = shape.kernel == FftKernel::avx2 ? detail::isAvx2Length(shape.points)
                                                      : detail::isTransformLength(shape.points);
  return length && dx + dy - 1 <= 2 * static_cast<size_t>(shape.points) &&
         detail::coefficientsFit(dx, dy, int32_t{1} << shape.digitSize);
}

}  // namespace

double fftProductBinary(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                        FftShape shape) {
  if (isAborted()) return 0;
  assert(t > 0 && u > 0 && (!square || (first == second && t == u)));
  assert(shape.digitSize >= 1 && shape.digitSize <= LIMB_BITS_30);
  const int32_t base = int32_t{1} << shape.digitSize;
  const std::vector<int32_t> x = cutDigits(first, significantLimbs(first, t), shape.digitSize);
  std::vector<int32_t> y =
      square ? std::vector<int32_t>{} : cutDigits(second, significantLimbs(second, u), shape.digitSize);
  if (!shapeHolds(shape, x.size(), square ? x.size() : y.size())) return std::numeric_limits<double>::infinity();
  std::vector<uint64_t> c;
  detail::Convolution result;
  if (square) {
    result = detail::squareDigits(x, base, shape.points, shape.kernel, c);
    if (result.aborted) return 0;
    return carryIntoLimbs(c, x, x, shape.digitSize, out, t + u) ? result.distance
                                                                 : std::numeric_limits<double>::infinity();
  }
  const detail::DigitSpectrum spectrum(std::move(y), base, shape.points, shape.kernel);
  result = detail::convolveDigits(x, spectrum, c);
  if (result.aborted) return 0;
  return carryIntoLimbs(c, x, spectrum.digits(), shape.digitSize, out, t + u)
             ? result.distance
             : std::numeric_limits<double>::infinity();
}

FftBinaryMultiplier::FftBinaryMultiplier(const int32_t* second, int u, int longestFirst, int mode)
    : shape_(binaryProductShape(longestFirst, u, mode)), u_(u) {
  if (shape_.points == 0 || isAborted()) return;
  std::vector<int32_t> y = cutDigits(second, significantLimbs(second, u), shape_.digitSize);
  const size_t longestDigits = (size_t{LIMB_BITS_30} * longestFirst + shape_.digitSize - 1) / shape_.digitSize;
  if (!shapeHolds(shape_, longestDigits, y.size())) {
    shape_ = {0, 0};
    return;
  }
  spectrum_ = std::make_unique<detail::DigitSpectrum>(std::move(y), int32_t{1} << shape_.digitSize, shape_.points,
                                                      shape_.kernel);
}

FftBinaryMultiplier::~FftBinaryMultiplier() = default;

double FftBinaryMultiplier::multiply(const int32_t* first, int t, int32_t* out) {
  if (shape_.points == 0) return std::numeric_limits<double>::infinity();
  if (isAborted() || !spectrum_ || spectrum_->aborted()) return 0;
  const std::vector<int32_t> x = cutDigits(first, significantLimbs(first, t), shape_.digitSize);
  if (!shapeHolds(shape_, x.size(), spectrum_->digits().size())) return std::numeric_limits<double>::infinity();
  std::vector<uint64_t> c;
  const detail::Convolution result = detail::convolveDigits(x, *spectrum_, c);
  if (result.aborted) return 0;
  return carryIntoLimbs(c, x, spectrum_->digits(), shape_.digitSize, out, t + u_)
             ? result.distance
             : std::numeric_limits<double>::infinity();
}

}  // namespace quorvel
