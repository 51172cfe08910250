// The part of an FFT product shared by the binary and decimal routines
// (internal to the fft library): the x87 mode, the convolution of two digit
// sequences through the right-angle transform, the rounding and the exact
// centring correction.
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

#include <fpu_control.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fft/fft_plan.h"
#include "fft/split_storage.h"

namespace quorvel::detail {

// Sets the x87 control word to 64-bit precision, rounding to nearest (ties
// to even) and every exception masked for the lifetime of the object, and
// puts the caller's word back afterwards.
class ExtendedPrecisionScope {
 public:
  ExtendedPrecisionScope();
  ~ExtendedPrecisionScope();
  ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
  ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;

 private:
  fpu_control_t saved_;
};

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
// their forward transform for products through `points` complex points,
// kept to multiply any number of other operands.
class DigitSpectrum {
 public:
  // Transforms the centred digits; aborted() when the abort flag stopped it.
  DigitSpectrum(std::vector<int32_t> digits, int32_t base, int points);
  DigitSpectrum(const DigitSpectrum&) = delete;
  DigitSpectrum& operator=(const DigitSpectrum&) = delete;

  bool aborted() const { return aborted_; }
  const std::vector<int32_t>& digits() const { return digits_; }
  int32_t base() const { return base_; }
  int points() const { return points_; }
  const FftPlan& plan() const { return *plan_; }
  const SplitPoint* spectrum() const { return spectrum_.get(); }

 private:
  std::vector<int32_t> digits_;
  int32_t base_;
  int points_;
  std::shared_ptr<const FftPlan> plan_;
  std::unique_ptr<SplitPoint[]> spectrum_;
  bool aborted_ = false;
};

// c[j] <- sum_(i+k=j) x_i y_k, exactly when the returned distance is below
// 1/2, for 0 <= j < Dx + Dy - 1, y being the spectrum's operand (2 points >=
// Dx + Dy - 1, digits below its base). Polls the abort flag between
// transforms and inside long ones; c is not written when it stops.
Convolution convolveDigits(const std::vector<int32_t>& x, const DigitSpectrum& y, std::vector<uint64_t>& c);

// The same for y = x, with one forward transform less.
Convolution squareDigits(const std::vector<int32_t>& x, int32_t base, int points, std::vector<uint64_t>& c);

}  // namespace quorvel::detail
