// The part of an FFT product shared by the binary and decimal routines
// (internal to the fft library): the x87 mode, the buffers, the centred
// digits and their exact correction, the transforms with the pointwise
// product, and the rounding of the results.
//
// Centred digits. The transforms see x'_i = x_i - m and y'_k = y_k - m
// (m = half the digit base) instead of the digits themselves. With
// I_j = {i : 0 <= i < Dx, 0 <= j - i < Dy} (Dx, Dy the digit counts),
//   c_j = sum_(i in I_j) x_i y_(j-i)
//       = c'_j + m SX_j + m SY_j + m^2 |I_j|,
//   SX_j = sum_(i in I_j) x'_i,  SY_j = sum_(i in I_j) y'_(j-i),
// where c'_j is the convolution of the centred digits. The FFT computes
// (N/2) c'_j and the rest is added back in exact integer arithmetic after
// rounding. |c'_j| is at most m^2 |I_j|, a quarter of the largest c_j (all
// digits 2m - 1), and far less for random digits, whose centred sums
// cancel; the rounding error of the transforms shrinks with it. The element
// handed to the carry is the same e_j = (N/2) c_j as without centring.
#pragma once

#include <fpu_control.h>

#include <cmath>
#include <cstdint>
#include <memory>

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

// The buffers of one product and the cyclic convolution of their contents.
// The caller fills first() (and second() unless squaring) with the centred
// digits, zero-padded to length(), runs the convolution and reads first():
// element j is then (N/2) c'_j, c'_j the j-th coefficient of their product.
class FftConvolution {
 public:
  FftConvolution(int length, bool square);

  int length() const { return length_; }
  long double* first() { return first_.get(); }
  long double* second() { return second_.get(); }  // null when squaring

  // Forward transforms, pointwise product (or square) of the packed spectra,
  // inverse transform. Polls the abort flag before each transform and
  // returns false, with the buffers in no useful state, when it is set.
  bool run();

 private:
  int length_;
  std::unique_ptr<long double[]> first_;
  std::unique_ptr<long double[]> second_;
  std::unique_ptr<long double[]> twiddles_;
  std::unique_ptr<int[]> indexTable_;
};

// Rounds transform outputs to the nearest integer (ties to even, through the
// x87 unit's own conversion) and keeps the largest distance seen. A NaN or
// an output beyond the 64-bit range counts as an infinite distance, so that
// no such product is ever trusted.
class NearestInteger {
 public:
  uint64_t operator()(long double x) {
    int64_t rounded;
    asm("fistpll %0" : "=m"(rounded) : "t"(x) : "st");
    const long double distance = fabsl(x - static_cast<long double>(rounded));
    if (!(distance <= worst_)) worst_ = distance == distance ? distance : HUGE_VALL;
    // Out of range, fistp stores INT64_MIN, whose distance is then huge.
    return static_cast<uint64_t>(rounded);
  }
  double worst() const { return static_cast<double>(worst_); }

 private:
  long double worst_ = 0;
};

// False when a coefficient (N/2) c_j might reach 2^63, beyond the signed
// 64-bit rounding: the largest possible one, reached when every digit is
// base - 1, is (N/2) min(Dx, Dy) (base - 1)^2. The callers' ranges stay below
// (2.5e18 at most); the check makes a call outside them report itself
// instead of wrapping around. Also bounds every term of the centring
// correction below (each at most 3/4 of that maximum).
inline bool coefficientsFit(int length, int digitsX, int digitsY, int32_t base) {
  const long double largest = static_cast<long double>(length / 2) * (digitsX < digitsY ? digitsX : digitsY) *
                              static_cast<long double>(base - 1) * (base - 1);
  return largest < 0x1p63L;
}

// Digits concept used below: count() digits of one operand, least
// significant first, read by operator[] as the routine cuts its limbs.

// buffer[i] = digits[i] - offset for i < count, 0 up to length.
template <class Digits>
void loadCentredDigits(const Digits& digits, int32_t offset, long double* buffer, int length) {
  const int count = digits.count();
  for (int i = 0; i < count; ++i) buffer[i] = digits[i] - offset;
  for (int i = count; i < length; ++i) buffer[i] = 0;
}

// (N/2)(m SX_j + m SY_j + m^2 |I_j|) for j = 0, 1, 2, ... in turn. I_j
// slides one step per j: its top end i = j enters while j < Dx, its bottom
// end i = j - Dy leaves while Dy <= j < Dx + Dy, and the same holds for y
// with the roles swapped, so each step costs a few additions. With
// |x'|, |y'| <= m the result lies between -(N/2) m^2 |I_j| and
// 3 (N/2) m^2 |I_j|, within 3/4 of the bound of coefficientsFit: int64
// holds every partial sum.
template <class Digits>
class CentringCorrection {
 public:
  CentringCorrection(const Digits& x, const Digits& y, int32_t offset, int length)
      : x_(x), y_(y), offset_(offset), halfLength_(length / 2), xCount_(x.count()), yCount_(y.count()) {}

  int64_t next() {
    const int j = j_++;
    if (j < xCount_) {
      sumX_ += x_[j] - offset_;
      ++overlap_;
    }
    if (j < yCount_) sumY_ += y_[j] - offset_;
    if (j >= yCount_ && j < xCount_ + yCount_) {
      sumX_ -= x_[j - yCount_] - offset_;
      --overlap_;
    }
    if (j >= xCount_ && j < xCount_ + yCount_) sumY_ -= y_[j - xCount_] - offset_;
    return halfLength_ * (offset_ * (sumX_ + sumY_) + offset_ * offset_ * overlap_);
  }

 private:
  const Digits& x_;
  const Digits& y_;
  const int64_t offset_;
  const int64_t halfLength_;
  const int xCount_, yCount_;
  int j_ = 0;
  int64_t sumX_ = 0, sumY_ = 0, overlap_ = 0;
};

}  // namespace quorvel::detail
