// fftProductBinary: product of two 30-bit-limb magnitudes through the real
// FFT, leaving (N/2) x y for the caller to shift down.
//
// Digits: mode 0 cuts a limb into two 15-bit digits, mode 1 into three
// 10-bit digits (smaller digits keep the coefficients of longer products
// below 2^63). The transforms see them centred (fft_product_common.h); with
// the correction added back, element j is e_j = (N/2) c_j, an integer below
// 2^63, and the product is sum e_j 2^(bits j) with bits = 15 or 10.
//
// Carry. One output limb takes a group of elements whose digit positions fill
// 30 bits: (e0, e1) at bit offsets 0, 15 or (e0, e1, e2) at 0, 10, 20. Each
// element is cut at the limb boundary before it is scaled, e.g. in mode 1
//   e1 2^10 = (e1 mod 2^20) 2^10 + (e1 >> 20) 2^30,
// so the part inside the limb is below 2^30 and the rest moves to the next
// limb already divided by 2^30. acc then stays below
// 3 * 2^30 + 2^33 + 2^43 + 2^53 < 2^54 (mode 0: below 2^49): no 64-bit
// overflow although an element reaches 2^63.
#include <cassert>
#include <cstdint>
#include <limits>

#include "fft/fft_product.h"
#include "fft/fft_product_common.h"
#include "fft/limits.h"
#include "platform/abort_flags.h"

namespace quorvel {
namespace {

constexpr uint64_t LIMB_MASK_30 = (uint64_t{1} << 30) - 1;

// The digits of one operand: mode 0 cuts a limb into limb & 0x7fff and
// limb >> 15, mode 1 into limb & 0x3ff, (limb >> 10) & 0x3ff and limb >> 20.
class BinaryDigits {
 public:
  BinaryDigits(const int32_t* limbs, int limbCount, int mode)
      : limbs_(limbs),
        perLimb_(mode == 0 ? 2 : 3),
        bits_(mode == 0 ? BINARY_MODE0_DIGIT_BITS : BINARY_MODE1_DIGIT_BITS),
        count_(limbCount * perLimb_) {}
  int count() const { return count_; }
  int32_t operator[](int i) const {
    return (limbs_[i / perLimb_] >> (bits_ * (i % perLimb_))) & ((1 << bits_) - 1);
  }

 private:
  const int32_t* limbs_;
  int perLimb_;
  int bits_;
  int count_;
};

using Correction = detail::CentringCorrection<BinaryDigits>;

// e_j = round(transform output) + centring correction. Unsigned addition: a
// failed transform may round to INT64_MIN, and the wrapped sum is harmless
// because the distance already condemns that product.
double carryMode0(const long double* e, int length, Correction& correction, int32_t* out) {
  detail::NearestInteger round;
  auto element = [&](int j) { return round(e[j]) + static_cast<uint64_t>(correction.next()); };
  uint64_t acc = 0;
  int k = 0;
  for (int j = 0; j < length; j += 2, ++k) {
    const uint64_t e0 = element(j), e1 = element(j + 1);
    acc += (e0 & LIMB_MASK_30) + ((e1 & 0x7fff) << 15);
    out[k] = static_cast<int32_t>(acc & LIMB_MASK_30);
    acc = (acc >> 30) + (e0 >> 30) + (e1 >> 15);
  }
  out[k] = static_cast<int32_t>(acc & LIMB_MASK_30);
  out[k + 1] = static_cast<int32_t>(acc >> 30);
  return round.worst();
}

double carryMode1(const long double* e, int length, Correction& correction, int32_t* out) {
  detail::NearestInteger round;
  auto element = [&](int j) { return round(e[j]) + static_cast<uint64_t>(correction.next()); };
  uint64_t acc = 0;
  int k = 0;
  for (int j = 0; j < length; j += 3, ++k) {
    // length = 2h is not a multiple of 3: the last group runs past the end.
    const uint64_t e0 = element(j);
    const uint64_t e1 = j + 1 < length ? element(j + 1) : 0;
    const uint64_t e2 = j + 2 < length ? element(j + 2) : 0;
    acc += (e0 & LIMB_MASK_30) + ((e1 & 0xfffff) << 10) + ((e2 & 0x3ff) << 20);
    out[k] = static_cast<int32_t>(acc & LIMB_MASK_30);
    acc = (acc >> 30) + (e0 >> 30) + (e1 >> 20) + (e2 >> 10);
  }
  out[k] = static_cast<int32_t>(acc & LIMB_MASK_30);
  out[k + 1] = static_cast<int32_t>(acc >> 30);
  return round.worst();
}

}  // namespace

double fftProductBinary(int h, const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                        int mode) {
  if (isAborted()) return 0;
  assert(mode == 0 || mode == 1);
  assert(h >= 4 && (h & (h - 1)) == 0);
  const int length = mode == 0 ? h : 2 * h;
  // Every coefficient of the digit product must fit: no cyclic wrap-around.
  [[maybe_unused]] const int digitsPerLimb = mode == 0 ? 2 : 3;
  assert(digitsPerLimb * (t + (square ? t : u)) - 1 <= length);
  const int32_t base = 1 << (mode == 0 ? BINARY_MODE0_DIGIT_BITS : BINARY_MODE1_DIGIT_BITS);
  const int32_t offset = digitOffset(base);

  const BinaryDigits x(first, t, mode);
  const BinaryDigits y = square ? x : BinaryDigits(second, u, mode);
  if (!detail::coefficientsFit(length, x.count(), y.count(), base)) return std::numeric_limits<double>::infinity();
  const detail::ExtendedPrecisionScope precision;
  detail::FftConvolution convolution(length, square != 0);
  detail::loadCentredDigits(x, offset, convolution.first(), length);
  if (!square) detail::loadCentredDigits(y, offset, convolution.second(), length);
  if (!convolution.run()) return 0;
  Correction correction(x, y, offset, length);
  return mode == 0 ? carryMode0(convolution.first(), length, correction, out)
                   : carryMode1(convolution.first(), length, correction, out);
}

}  // namespace quorvel
