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

#include <cstdint>
#include <vector>

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

// Two digit sequences, least significant first, as the routine cut them from
// their limbs; y is x itself for a square.
struct DigitOperands {
  const std::vector<int32_t>& x;
  const std::vector<int32_t>& y;
  bool square;
  int32_t base;  // every digit lies in [0, base)
};

// The largest possible coefficient, min(Dx, Dy) (base - 1)^2, stays below
// 2^62: then every c_j, every rounded c'_j and every carry of the routines
// fit a 64-bit word with room for their sums.
bool coefficientsFit(const DigitOperands& digits);

// How a convolution ended.
struct Convolution {
  bool aborted;
  double distance;  // largest |c' - round(c')| seen; infinity if unusable
};

// c[j] <- sum_(i+k=j) x_i y_k, exactly when the returned distance is below
// 1/2, for 0 <= j < Dx + Dy - 1, through one transform of `points` complex
// points (2 points >= Dx + Dy - 1). Polls the abort flag between transforms
// and inside long ones; c is not written when it stops.
Convolution convolveDigits(const DigitOperands& digits, int points, std::vector<uint64_t>& c);

}  // namespace quorvel::detail
