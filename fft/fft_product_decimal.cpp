// fftProductDecimal: product of two base-10^8 magnitudes through the real
// FFT, leaving (N/2) x y for the caller to divide down in base 10^8.
//
// Digits: mode 0 cuts a limb into two base-10^4 digits, mode 1 into four
// base-100 digits, least significant first. The transforms see them centred
// (fft_product_common.h); with the correction added back, element j is
// e_j = (N/2) c_j < 2^63, and the product is sum e_j 10^(4j) or
// sum e_j 10^(2j).
//
// Carry. One output limb takes a group of elements whose digit positions
// fill eight decimal places: (e0, e1) at 10^0, 10^4 or (e0, .., e3) at 10^0,
// 10^2, 10^4, 10^6. Each element is cut at the limb boundary before it is
// scaled, e.g. e1 10^4 = (e1 mod 10^4) 10^4 + (e1 div 10^4) 10^8, so the part
// inside the limb is below 10^8 and the rest moves to the next limb already
// divided by 10^8. acc then stays below 4 * 10^8 + 2^63/10^8 + 2^63/10^6 +
// 2^63/10^4 + 2^63/100 < 2^57: no 64-bit overflow although an element
// reaches 2^63.
#include <cassert>
#include <cstdint>
#include <limits>

#include "fft/fft_product.h"
#include "fft/fft_product_common.h"
#include "fft/limits.h"
#include "platform/abort_flags.h"

namespace quorvel {
namespace {

constexpr uint64_t BASE = DECIMAL_LIMB_BASE;  // 10^8

// The digits of one operand: mode 0 cuts a limb into limb mod 10^4 and
// limb div 10^4, mode 1 each of those again into mod 100 and div 100.
class DecimalDigits {
 public:
  DecimalDigits(const int32_t* limbs, int limbCount, int mode)
      : limbs_(limbs), mode_(mode), count_(limbCount * (mode == 0 ? 2 : 4)) {}
  int count() const { return count_; }
  int32_t operator[](int i) const {
    if (mode_ == 0) {
      const int32_t limb = limbs_[i / 2];
      return i % 2 == 0 ? limb % DECIMAL_MODE0_DIGIT_BASE : limb / DECIMAL_MODE0_DIGIT_BASE;
    }
    const int32_t limb = limbs_[i / 4];
    const int32_t half = (i % 4) < 2 ? limb % DECIMAL_MODE0_DIGIT_BASE : limb / DECIMAL_MODE0_DIGIT_BASE;
    return i % 2 == 0 ? half % DECIMAL_MODE1_DIGIT_BASE : half / DECIMAL_MODE1_DIGIT_BASE;
  }

 private:
  const int32_t* limbs_;
  int mode_;
  int count_;
};

using Correction = detail::CentringCorrection<DecimalDigits>;

// e_j = round(transform output) + centring correction, added unsigned as in
// the binary product (a failed transform may round to INT64_MIN).
double carryMode0(const long double* e, int length, Correction& correction, int32_t* out) {
  detail::NearestInteger round;
  auto element = [&](int j) { return round(e[j]) + static_cast<uint64_t>(correction.next()); };
  uint64_t acc = 0;
  int k = 0;
  for (int j = 0; j < length; j += 2, ++k) {
    const uint64_t e0 = element(j), e1 = element(j + 1);
    acc += e0 % BASE + e1 % 10000 * 10000;
    out[k] = static_cast<int32_t>(acc % BASE);
    acc = acc / BASE + e0 / BASE + e1 / 10000;
  }
  out[k] = static_cast<int32_t>(acc % BASE);
  out[k + 1] = static_cast<int32_t>(acc / BASE);
  return round.worst();
}

double carryMode1(const long double* e, int length, Correction& correction, int32_t* out) {
  detail::NearestInteger round;
  auto element = [&](int j) { return round(e[j]) + static_cast<uint64_t>(correction.next()); };
  uint64_t acc = 0;
  int k = 0;
  for (int j = 0; j < length; j += 4, ++k) {
    const uint64_t e0 = element(j), e1 = element(j + 1);
    const uint64_t e2 = element(j + 2), e3 = element(j + 3);
    acc += e0 % BASE + e1 % 1000000 * 100 + e2 % 10000 * 10000 + e3 % 100 * 1000000;
    out[k] = static_cast<int32_t>(acc % BASE);
    acc = acc / BASE + e0 / BASE + e1 / 1000000 + e2 / 10000 + e3 / 100;
  }
  out[k] = static_cast<int32_t>(acc % BASE);
  out[k + 1] = static_cast<int32_t>(acc / BASE);
  return round.worst();
}

}  // namespace

double fftProductDecimal(int h, const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                         int mode) {
  if (isAborted()) return 0;
  assert(mode == 0 || mode == 1);
  assert(h >= 4 && (h & (h - 1)) == 0);
  const int length = mode == 0 ? h : 2 * h;
  // Every coefficient of the digit product must fit: no cyclic wrap-around.
  [[maybe_unused]] const int digitsPerLimb = mode == 0 ? 2 : 4;
  assert(digitsPerLimb * (t + (square ? t : u)) - 1 <= length);
  const int32_t base = mode == 0 ? DECIMAL_MODE0_DIGIT_BASE : DECIMAL_MODE1_DIGIT_BASE;
  const int32_t offset = digitOffset(base);

  const DecimalDigits x(first, t, mode);
  const DecimalDigits y = square ? x : DecimalDigits(second, u, mode);
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
