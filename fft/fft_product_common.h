// The part of an FFT product shared by the binary and decimal routines
// (internal to the fft library): the convolution of two digit sequences
// through either transform, and the exact centring correction.
//
// Centred digits. The transforms see x'_i = x_i - m and y'_k = y_k - m
// (m = half the digit base) instead of the digits themselves. With
// I_j = {i : 0 <= i < Dx, 0 <= j - i < Dy} (Dx, Dy the digit counts),
//   c_j = sum_(i in I_j) x_i y_(j-i)
//       = c'_j + m SX_j + m SY_j + m^2 |I_j|,
//   SX_j = sum_(i in I_j) x'_i,  SY_j = sum_(i in I_j) y'_(j-i),
// where c'_j is the convolution of the centred digits. The FFT computes c'_j
// and the rest is added back in exact integer arithmetic after rounding.
// |c'_j| is at most m^2 |I_j|, a quarter of the largest c_j (all digits
// 2m - 1), and far less for random digits, whose centred sums cancel; the
// rounding error of the transforms shrinks with it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fft/avx2_plan.h"
#include "fft/fft_plan.h"
#include "fft/fft_product.h"
#include "fft/parallel_pieces.h"
#include "fft/split_storage.h"

namespace quorvel::detail {

// The largest possible coefficient of two digit sequences of these lengths,
// min(Dx, Dy) (base - 1)^2, stays below 2^62: then every c_j, every rounded
// c'_j and every carry of the routines fit a 64-bit word with room for their
// sums.
bool coefficientsFit(size_t dx, size_t dy, int32_t base);

// How a convolution ended.
struct Convolution {
  bool aborted;
  double distance;  // largest |c' - round(c')| seen; infinity if unusable
};

// One operand's digits (least significant first, each in [0, base)) and
// their forward transform for products of the given length and kernel,
// kept to multiply any number of other operands.
class DigitSpectrum {
 public:
  // Transforms the centred digits; aborted() when the abort flag stopped it.
  DigitSpectrum(std::vector<int32_t> digits, int32_t base, int points, FftKernel kernel);
  DigitSpectrum(const DigitSpectrum&) = delete;
  DigitSpectrum& operator=(const DigitSpectrum&) = delete;

  bool aborted() const { return aborted_; }
  const std::vector<int32_t>& digits() const { return digits_; }
  int32_t base() const { return base_; }
  int points() const { return points_; }
  FftKernel kernel() const { return kernel_; }
  // The transform of the kernel that is not in use stays null.
  const std::shared_ptr<const FftPlan>& x87Plan() const { return x87Plan_; }
  const SplitPoint* x87Spectrum() const { return x87Spectrum_.get(); }
  const std::shared_ptr<const Avx2Plan>& avx2Plan() const { return avx2Plan_; }
  const PointQuad* avx2Spectrum() const { return avx2Spectrum_.get(); }

 private:
  std::vector<int32_t> digits_;
  int32_t base_;
  int points_;
  FftKernel kernel_;
  std::shared_ptr<const FftPlan> x87Plan_;
  std::unique_ptr<SplitPoint[]> x87Spectrum_;
  std::shared_ptr<const Avx2Plan> avx2Plan_;
  std::unique_ptr<PointQuad[]> avx2Spectrum_;
  bool aborted_ = false;
};

// c[j] <- c'_j (two's complement), the convolution of the centred digits of
// x and of the spectrum's operand y, exactly when the returned distance is
// below 1/2, for 0 <= j < Dx + Dy - 1 (2 points >= Dx + Dy - 1, digits below
// the spectrum's base). Polls the abort flag between transforms and inside
// long ones; c is not written when it stops.
Convolution convolveDigits(const std::vector<int32_t>& x, const DigitSpectrum& y, std::vector<uint64_t>& c);

// The same for y = x, with one forward transform less.
Convolution squareDigits(const std::vector<int32_t>& x, int32_t base, int points, FftKernel kernel,
                         std::vector<uint64_t>& c);

// What each kernel does for convolveDigits (x87_convolution.cpp,
// avx2_convolution.cpp): the centred digits loaded into a fresh buffer of
// plan.points() points, and the fused convolution with the spectrum (null:
// squared) followed by the rounding of c'_j, j < count, into c.
void loadCentredDigits(const std::vector<int32_t>& digits, int32_t offset, SplitPoint* z, int points);
void loadCentredDigits(const std::vector<int32_t>& digits, int32_t offset, PointQuad* z, int points);
Convolution convolveCentred(const FftPlan& plan, const std::vector<int32_t>& x, int32_t offset, int count,
                            const SplitPoint* spectrum, std::vector<uint64_t>& c);
Convolution convolveCentred(const Avx2Plan& plan, const std::vector<int32_t>& x, int32_t offset, int count,
                            const PointQuad* spectrum, std::vector<uint64_t>& c);

// The centring correction m SX_j + m SY_j + m^2 |I_j| of the coefficients
// j = first, first + 1, ... in turn. I_j slides one step per j: its top end
// i = j enters while j < Dx, its bottom end i = j - Dy leaves while
// Dy <= j < Dx + Dy, and the same holds for y with the roles swapped, so
// each step costs a few additions; the sums at `first` are added up once.
// Every term is bounded by the largest coefficient (coefficientsFit), so
// the sums cannot overflow.
class CentringCorrection {
 public:
  CentringCorrection(const std::vector<int32_t>& x, const std::vector<int32_t>& y, int32_t offset, int64_t first);
  int64_t next() {
    const int64_t j = j_++;
    if (j < dx_) {
      sumX_ += x_[j] - m_;
      ++overlap_;
    }
    if (j < dy_) sumY_ += y_[j] - m_;
    if (j >= dy_) {
      sumX_ -= x_[j - dy_] - m_;
      --overlap_;
    }
    if (j >= dx_) sumY_ -= y_[j - dx_] - m_;
    return m_ * (sumX_ + sumY_) + m_ * m_ * overlap_;
  }

 private:
  const int32_t* x_;
  const int32_t* y_;
  int64_t dx_, dy_, m_, j_;
  int64_t sumX_ = 0, sumY_ = 0, overlap_ = 0;
};

// Items [0, count) (digits to cut, coefficients to carry) in `ranges`
// consecutive ranges, every cut at a multiple of `alignment` so that each
// range starts on a limb boundary: body(r, begin, end) for each, as pool
// pieces when there are several. rangeCount(count,
// FFT_PARALLEL_RANGE_POINTS) gives the number of ranges: one with one
// thread.
template <class F>
void forAlignedRanges(int64_t count, int64_t alignment, int ranges, F&& body) {
  auto cut = [&](int k) { return k == ranges ? count : count * k / ranges / alignment * alignment; };
  forRanges(ranges, ranges, [&](int r, int64_t, int64_t) { body(r, cut(r), cut(r + 1)); });
}

}  // namespace quorvel::detail
