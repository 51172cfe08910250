// The digit convolution shared by both FFT products: DigitSpectrum,
// convolveDigits and squareDigits.
//
// y, unless squaring, is transformed on its own into the spectrum
// (DigitSpectrum, which can then serve several products); x goes into the
// buffer that the fused convolution transforms, multiplies by that spectrum
// and transforms back. The 1/M of the inverse transform is folded into the
// pointwise product. Point j of the result, times conj(omega^j), is
// c'_j + i c'_(j+M) (transform.h); both are rounded to the nearest integer,
// and positions at or beyond Dx + Dy - 1, which hold no coefficient, must
// round to zero. The centring correction then turns c' into c.
#include "fft/fft_product_common.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <memory>

#include "fft/fft_plan.h"
#include "fft/transform.h"
#include "platform/abort_flags.h"

namespace quorvel::detail {
namespace {

// Rounds transform outputs to the nearest integer and keeps the largest
// distance seen. (x + C) - C with C = 1.5 2^63 places x in the significand
// of a value between 2^63 and 2^64, whose unit in the last place is 1: the
// rounding happens in the register, ties to even, exactly for |x| < 2^62,
// without the store and reload of a round trip through an integer. A NaN or
// an output of 2^62 or more condemns the product: its distance becomes
// infinite, so that no such product is ever trusted.
class NearestInteger {
 public:
  int64_t operator()(long double x) {
    const long double r = (x + ROUNDING_CONSTANT) - ROUNDING_CONSTANT;
    const long double distance = fabsl(x - r);
    // A branch, rarely taken once a few outputs are seen: a conditional
    // move would chain every output's comparison to the previous one. The
    // empty asm keeps the compiler from turning it into one.
    if (distance > worst_) {
      asm volatile("");
      worst_ = distance;
    }
    int64_t rounded;
    asm("fistpll %0" : "=m"(rounded) : "t"(r) : "st");
    // A NaN stores INT64_MIN, which fails this test as well.
    unusable_ |= static_cast<uint64_t>(rounded) + LIMIT > 2 * LIMIT;
    return rounded;
  }
  // A position that holds no coefficient: anything but zero condemns the
  // product.
  void expectZero(long double x) { unusable_ |= (*this)(x) != 0; }
  double worst() const { return unusable_ ? HUGE_VAL : static_cast<double>(worst_); }

 private:
  static constexpr double ROUNDING_CONSTANT = 0x1.8p63;
  static constexpr uint64_t LIMIT = uint64_t{1} << 62;
  long double worst_ = 0;
  bool unusable_ = false;
};

// z_j = (x'_j, x'_(j+M)), the centred digits, zero past the last one. When
// they fit the real parts, only re.hi is written: the transforms' real input.
void loadCentredDigits(const std::vector<int32_t>& digits, int32_t offset, SplitPoint* z, int points) {
  const int count = static_cast<int>(digits.size());
  if (count <= points) {
    for (int j = 0; j < points; ++j) z[j].re.hi = j < count ? digits[j] - offset : 0;
    return;
  }
  for (int j = 0; j < points; ++j) {
    storeExact(z[j].re, digits[j] - offset);
    storeExact(z[j].im, j + points < count ? digits[j + points] - offset : 0);
  }
}

// c_j += m SX_j + m SY_j + m^2 |I_j|. I_j slides one step per j: its top end
// i = j enters while j < Dx, its bottom end i = j - Dy leaves while
// Dy <= j < Dx + Dy, and the same holds for y with the roles swapped, so
// each step costs a few additions. Every term is bounded by the largest
// coefficient (coefficientsFit), so the int64 sums cannot overflow; the
// addition to c is unsigned, since a failed transform may have rounded to
// anything and is condemned by its distance anyway.
void addCentringCorrection(const std::vector<int32_t>& x, const std::vector<int32_t>& y, int32_t offset,
                           std::vector<uint64_t>& c) {
  const int dx = static_cast<int>(x.size()), dy = static_cast<int>(y.size());
  const int64_t m = offset;
  int64_t sumX = 0, sumY = 0, overlap = 0;
  for (int j = 0; j < static_cast<int>(c.size()); ++j) {
    if (j < dx) {
      sumX += x[j] - m;
      ++overlap;
    }
    if (j < dy) sumY += y[j] - m;
    if (j >= dy) {
      sumX -= x[j - dy] - m;
      --overlap;
    }
    if (j >= dx) sumY -= y[j - dx] - m;
    c[j] += static_cast<uint64_t>(m * (sumX + sumY) + m * m * overlap);
  }
}

// The common end of a product or square: the fused convolution of x with
// the spectrum (squared without one), the rounding with the weights removed,
// and the correction.
Convolution finishConvolution(const FftPlan& plan, const std::vector<int32_t>& x, const std::vector<int32_t>& y,
                              int32_t base, const SplitPoint* spectrum, std::vector<uint64_t>& c) {
  const int points = plan.points();
  const int dx = static_cast<int>(x.size()), dy = static_cast<int>(y.size());
  const int count = dx + dy - 1;
  assert(dx > 0 && dy > 0 && count <= 2 * points);
  const int32_t offset = base / 2;
  auto z = std::make_unique_for_overwrite<SplitPoint[]>(points);
  loadCentredDigits(x, offset, z.get(), points);
  if (!convolve(plan, z.get(), dx <= points, spectrum, 1.0L / points)) return {true, 0};

  // Both halves of every point at once: Re and Im of z_j conj(omega^j).
  c.assign(count, 0);
  NearestInteger round;
  const SplitPoint* weights = plan.weights();
  for (int j = 0; j < points; ++j) {
    const long double wc = load(weights[j].re), ws = load(weights[j].im);
    const long double a = load(z[j].re), b = load(z[j].im);
    const long double low = a * wc + b * ws;
    if (j < count) {
      c[j] = static_cast<uint64_t>(round(low));
    } else {
      round.expectZero(low);
    }
    const long double high = b * wc - a * ws;
    if (j + points < count) {
      c[j + points] = static_cast<uint64_t>(round(high));
    } else {
      round.expectZero(high);
    }
  }
  addCentringCorrection(x, y, offset, c);
  return {false, round.worst()};
}

}  // namespace

ExtendedPrecisionScope::ExtendedPrecisionScope() {
  _FPU_GETCW(saved_);
  fpu_control_t word = _FPU_EXTENDED | _FPU_RC_NEAREST | _FPU_MASK_IM | _FPU_MASK_DM | _FPU_MASK_ZM | _FPU_MASK_OM |
                       _FPU_MASK_UM | _FPU_MASK_PM | (_FPU_DEFAULT & _FPU_RESERVED);
  _FPU_SETCW(word);
}

ExtendedPrecisionScope::~ExtendedPrecisionScope() { _FPU_SETCW(saved_); }

bool coefficientsFit(size_t dx, size_t dy, int32_t base) {
  const long double largest = static_cast<long double>(std::min(dx, dy)) * (base - 1.0L) * (base - 1.0L);
  return largest < 0x1p62L;
}

DigitSpectrum::DigitSpectrum(std::vector<int32_t> digits, int32_t base, int points)
    : digits_(std::move(digits)), base_(base), points_(points) {
  assert(!digits_.empty() && static_cast<int>(digits_.size()) <= 2 * points && isTransformLength(points));
  if (isAborted()) {
    aborted_ = true;
    return;
  }
  const ExtendedPrecisionScope precision;
  plan_ = sharedPlan(points);
  spectrum_ = std::make_unique_for_overwrite<SplitPoint[]>(points);
  loadCentredDigits(digits_, base / 2, spectrum_.get(), points);
  aborted_ = !forwardTransform(*plan_, spectrum_.get(), static_cast<int>(digits_.size()) <= points);
}

Convolution convolveDigits(const std::vector<int32_t>& x, const DigitSpectrum& y, std::vector<uint64_t>& c) {
  if (y.aborted() || isAborted()) return {true, 0};
  const ExtendedPrecisionScope precision;
  return finishConvolution(y.plan(), x, y.digits(), y.base(), y.spectrum(), c);
}

Convolution squareDigits(const std::vector<int32_t>& x, int32_t base, int points, std::vector<uint64_t>& c) {
  assert(isTransformLength(points));
  if (isAborted()) return {true, 0};
  const ExtendedPrecisionScope precision;
  const std::shared_ptr<const FftPlan> plan = sharedPlan(points);
  return finishConvolution(*plan, x, x, base, nullptr, c);
}

}  // namespace quorvel::detail
