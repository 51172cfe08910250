// The x87 kernel's part of a digit convolution: loading balanced digits
// into split points, and the fused convolution with its rounding.
//
// The 1/M of the inverse transform is folded into the pointwise product.
// Point j of the result, times conj(omega^j), is c_j + i c_(j+M)
// (transform.h); both are rounded to the nearest integer, and positions at
// or beyond the coefficient count, which hold no coefficient, must round to
// zero.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <memory>

#include "fft/fft_product_common.h"
#include "fft/parallel_pieces.h"
#include "fft/transform.h"

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

  friend NearestInteger worse(const NearestInteger& a, const NearestInteger& b) {
    NearestInteger both;
    both.worst_ = a.worst_ > b.worst_ ? a.worst_ : b.worst_;
    both.unusable_ = a.unusable_ || b.unusable_;
    return both;
  }
};

// z_j = (d_j, d_(j+M)), zero past the last digit. When the digits fit the
// real parts, only re.hi is written: the transforms' real input. Fresh
// buffers take their first touch here, in ranges on the pool's threads.
void loadDigits(const BalancedDigits& digits, SplitPoint* z, int points) {
  const bool realInput = digits.count() <= points;
  forEachRange(points, FFT_PARALLEL_RANGE_POINTS, [&](int64_t begin, int64_t end) {
    int32_t chunk[DIGIT_CHUNK];
    for (int64_t first = begin; first < end; first += DIGIT_CHUNK) {
      const int64_t last = std::min(end, first + DIGIT_CHUNK);
      digits.cut(first, last, chunk);
      if (realInput) {
        for (int64_t j = first; j < last; ++j) z[j].re.hi = chunk[j - first];
        continue;
      }
      for (int64_t j = first; j < last; ++j) storeExact(z[j].re, chunk[j - first]);
      digits.cut(first + points, last + points, chunk);
      for (int64_t j = first; j < last; ++j) storeExact(z[j].im, chunk[j - first]);
    }
  });
}

}  // namespace

bool transformDigits(const FftPlan& plan, const BalancedDigits& digits, SplitPoint* z) {
  loadDigits(digits, z, plan.points());
  return forwardTransform(plan, z, digits.count() <= plan.points());
}

Convolution convolveInto(const FftPlan& plan, const BalancedDigits& x, const SplitPoint* spectrum, int64_t count,
                         SplitPoint* z) {
  const int points = plan.points();
  loadDigits(x, z, points);
  if (!convolve(plan, z, x.count() <= points, spectrum, 1.0L / points)) return {true, 0};

  // Both halves of every point at once: Re and Im of z_j conj(omega^j),
  // stored over the point's re.hi and im.hi once it is read. Each range
  // keeps its own largest distance; the largest of those is the same
  // whatever the cut.
  const SplitPoint* weights = plan.weights();
  const int ranges = rangeCount(points, FFT_PARALLEL_RANGE_POINTS);
  std::vector<NearestInteger> rounds(static_cast<size_t>(ranges));
  forRanges(points, ranges, [&](int r, int64_t begin, int64_t end) {
    NearestInteger& round = rounds[static_cast<size_t>(r)];
    for (int64_t j = begin; j < end; ++j) {
      const long double wc = load(weights[j].re), ws = load(weights[j].im);
      const long double a = load(z[j].re), b = load(z[j].im);
      const long double low = a * wc + b * ws;
      const long double high = b * wc - a * ws;
      if (j < count) {
        const int64_t rounded = round(low);
        std::memcpy(&z[j].re.hi, &rounded, sizeof rounded);
      } else {
        round.expectZero(low);
      }
      if (j + points < count) {
        const int64_t rounded = round(high);
        std::memcpy(&z[j].im.hi, &rounded, sizeof rounded);
      } else {
        round.expectZero(high);
      }
    }
  });
  NearestInteger round;
  for (const NearestInteger& part : rounds) round = worse(round, part);
  return {false, round.worst()};
}

}  // namespace quorvel::detail
