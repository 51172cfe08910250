// The digit convolution shared by both FFT products, on either kernel:
// BalancedDigits, DigitSpectrum, convolveDigits and squareDigits.
//
// y, unless squaring, is transformed on its own into the spectrum
// (DigitSpectrum, which can then serve several products); x goes into the
// buffer that the fused convolution transforms, multiplies by that spectrum
// and transforms back (x87_convolution.cpp, avx2_convolution.cpp).
#include "fft/fft_product_common.h"

#include <cassert>
#include <type_traits>

#include "fft/avx2_transform.h"
#include "fft/transform.h"
#include "platform/abort_flags.h"

namespace quorvel::detail {

void BalancedDigits::cut(int64_t begin, int64_t end, int32_t* out) const {
  assert(0 <= begin && begin <= end);
  const int64_t last = std::clamp(count_, begin, end), top = count_ - 1;
  if (begin < last) {
    cutRawDigits(begin, last, out);
    const int32_t half = base_ / 2;
    int32_t g = begin > 0 && raw(begin - 1) >= half ? 1 : 0;
    for (int64_t j = begin; j < std::min(last, top); ++j) {
      const int32_t r = out[j - begin];
      const int32_t next = r >= half ? 1 : 0;
      out[j - begin] = r + g - base_ * next;
      g = next;
    }
    if (top < last) out[top - begin] += g;  // the top digit, in [0, B]
  }
  std::fill(out + (last - begin), out + (end - begin), 0);
}

void BalancedDigits::cutRaw(int64_t begin, int64_t end, int32_t* out) const {
  assert(0 <= begin && begin <= end);
  const int64_t last = std::clamp(count_, begin, end);
  out[0] = begin > 0 && begin < count_ ? raw(begin - 1) : 0;
  if (begin < last) cutRawDigits(begin, last, out + 1);
  std::fill(out + 1 + (last - begin), out + 1 + (end - begin), 0);
}

bool coefficientsFit(int64_t dx, int64_t dy, int32_t base) {
  const long double largest = static_cast<long double>(std::min(dx, dy)) * (base - 1.0L) * (base - 1.0L);
  return largest < 0x1p62L;
}

DigitSpectrum::DigitSpectrum(const BalancedDigits& digits, int points, FftKernel kernel)
    : digitCount_(digits.count()), points_(points), kernel_(kernel) {
  assert(digitCount_ > 0 && digitCount_ <= 2 * int64_t{points});
  if (isAborted()) {
    aborted_ = true;
    return;
  }
  if (kernel == FftKernel::avx2) {
    assert(isAvx2Length(points));
    avx2Plan_ = sharedAvx2Plan(points);
    avx2Spectrum_ = takeBuffer<PointQuad>(static_cast<size_t>(points / 4));
    aborted_ = !transformDigits(*avx2Plan_, digits, avx2Spectrum_.get());
    return;
  }
  assert(isTransformLength(points));
  const ExtendedPrecisionScope precision;
  x87Plan_ = sharedPlan(points);
  x87Spectrum_ = takeBuffer<SplitPoint>(static_cast<size_t>(points));
  aborted_ = !transformDigits(*x87Plan_, digits, x87Spectrum_.get());
}

namespace {

// Loads x and runs the fused convolution on a buffer of the kernel's points.
template <class Plan, class Point>
Convolution convolveWith(const Plan& plan, const BalancedDigits& x, int64_t count, const Point* spectrum,
                         Coefficients& c) {
  const int points = plan.points();
  constexpr int pointsPerElement = std::is_same_v<Point, PointQuad> ? 4 : 1;
  auto z = takeBuffer<Point>(static_cast<size_t>(points / pointsPerElement));
  const Convolution result = convolveInto(plan, x, spectrum, count, z.get());
  if (!result.aborted) c = Coefficients(std::move(z), points, count);
  return result;
}

}  // namespace

Convolution convolveDigits(const BalancedDigits& x, const DigitSpectrum& y, Coefficients& c) {
  if (y.aborted() || isAborted()) return {true, 0};
  const int64_t count = x.count() + y.digitCount() - 1;
  assert(count <= 2 * int64_t{y.points()});
  if (y.kernel() == FftKernel::avx2) return convolveWith(*y.avx2Plan(), x, count, y.avx2Spectrum(), c);
  const ExtendedPrecisionScope precision;
  return convolveWith(*y.x87Plan(), x, count, y.x87Spectrum(), c);
}

Convolution squareDigits(const BalancedDigits& x, int points, FftKernel kernel, Coefficients& c) {
  if (isAborted()) return {true, 0};
  const int64_t count = 2 * x.count() - 1;
  if (kernel == FftKernel::avx2) {
    assert(isAvx2Length(points));
    return convolveWith(*sharedAvx2Plan(points), x, count, static_cast<const PointQuad*>(nullptr), c);
  }
  assert(isTransformLength(points));
  const ExtendedPrecisionScope precision;
  return convolveWith(*sharedPlan(points), x, count, static_cast<const SplitPoint*>(nullptr), c);
}

}  // namespace quorvel::detail
