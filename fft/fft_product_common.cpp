// The digit convolution shared by both FFT products, on either kernel:
// DigitSpectrum, convolveDigits and squareDigits, and the centring
// correction.
//
// y, unless squaring, is transformed on its own into the spectrum
// (DigitSpectrum, which can then serve several products); x goes into the
// buffer that the fused convolution transforms, multiplies by that spectrum
// and transforms back (x87_convolution.cpp, avx2_convolution.cpp).
#include "fft/fft_product_common.h"

#include <cassert>

#include "fft/avx2_transform.h"
#include "fft/transform.h"
#include "platform/abort_flags.h"

namespace quorvel::detail {

bool coefficientsFit(size_t dx, size_t dy, int32_t base) {
  const long double largest = static_cast<long double>(std::min(dx, dy)) * (base - 1.0L) * (base - 1.0L);
  return largest < 0x1p62L;
}

DigitSpectrum::DigitSpectrum(std::vector<int32_t> digits, int32_t base, int points, FftKernel kernel)
    : digits_(std::move(digits)), base_(base), points_(points), kernel_(kernel) {
  assert(!digits_.empty() && static_cast<int>(digits_.size()) <= 2 * points);
  if (isAborted()) {
    aborted_ = true;
    return;
  }
  const bool realInput = static_cast<int>(digits_.size()) <= points;
  if (kernel == FftKernel::avx2) {
    assert(isAvx2Length(points));
    avx2Plan_ = sharedAvx2Plan(points);
    avx2Spectrum_ = std::make_unique_for_overwrite<PointQuad[]>(static_cast<size_t>(points / 4));
    loadCentredDigits(digits_, base / 2, avx2Spectrum_.get(), points);
    aborted_ = !forwardTransform(*avx2Plan_, avx2Spectrum_.get(), realInput);
    return;
  }
  assert(isTransformLength(points));
  const ExtendedPrecisionScope precision;
  x87Plan_ = sharedPlan(points);
  x87Spectrum_ = std::make_unique_for_overwrite<SplitPoint[]>(points);
  loadCentredDigits(digits_, base / 2, x87Spectrum_.get(), points);
  aborted_ = !forwardTransform(*x87Plan_, x87Spectrum_.get(), realInput);
}

Convolution convolveDigits(const std::vector<int32_t>& x, const DigitSpectrum& y, std::vector<uint64_t>& c) {
  if (y.aborted() || isAborted()) return {true, 0};
  const int count = static_cast<int>(x.size() + y.digits().size() - 1);
  assert(count <= 2 * y.points());
  if (y.kernel() == FftKernel::avx2) return convolveCentred(*y.avx2Plan(), x, y.base() / 2, count, y.avx2Spectrum(), c);
  return convolveCentred(*y.x87Plan(), x, y.base() / 2, count, y.x87Spectrum(), c);
}

Convolution squareDigits(const std::vector<int32_t>& x, int32_t base, int points, FftKernel kernel,
                         std::vector<uint64_t>& c) {
  if (isAborted()) return {true, 0};
  const int count = 2 * static_cast<int>(x.size()) - 1;
  if (kernel == FftKernel::avx2) {
    assert(isAvx2Length(points));
    return convolveCentred(*sharedAvx2Plan(points), x, base / 2, count, nullptr, c);
  }
  assert(isTransformLength(points));
  return convolveCentred(*sharedPlan(points), x, base / 2, count, nullptr, c);
}

CentringCorrection::CentringCorrection(const std::vector<int32_t>& x, const std::vector<int32_t>& y, int32_t offset,
                                       int64_t first)
    : x_(x.data()),
      y_(y.data()),
      dx_(static_cast<int64_t>(x.size())),
      dy_(static_cast<int64_t>(y.size())),
      m_(offset),
      j_(first) {
  if (first == 0) return;
  // The sums over I_(first - 1): x indices [max(0, first - Dy),
  // min(first - 1, Dx - 1)], y indices [max(0, first - Dx),
  // min(first - 1, Dy - 1)].
  const int64_t xLow = std::max<int64_t>(0, first - dy_), xHigh = std::min(first - 1, dx_ - 1);
  const int64_t yLow = std::max<int64_t>(0, first - dx_), yHigh = std::min(first - 1, dy_ - 1);
  for (int64_t i = xLow; i <= xHigh; ++i) sumX_ += x_[i];
  for (int64_t k = yLow; k <= yHigh; ++k) sumY_ += y_[k];
  overlap_ = std::max<int64_t>(0, xHigh - xLow + 1);
  sumX_ -= m_ * overlap_;
  sumY_ -= m_ * overlap_;
}

}  // namespace quorvel::detail
