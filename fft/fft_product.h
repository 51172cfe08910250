// FFT products of limb arrays: 30-bit limbs (vnum) and base-10^8 limbs
// (vnum10).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quorvel {

namespace detail {
class DigitSpectrum;
}

// The transforms under the products: the x87 transform in extended
// precision (lengths 2^k and 3 2^k), the baseline on every x86-64, and the
// AVX2 transform in double precision (2^k, 3 2^k and 5 2^k), about ten
// times faster where the processor has AVX2 and FMA.
enum class FftKernel { x87, avx2 };

// The transform the products use on this processor: avx2 when hasAvx2Fma()
// (platform/cpu_features.h), else x87.
FftKernel preferredFftKernel();

// The shape of one FFT product: its transform, its length in complex points
// (the digit convolution has room for 2 points coefficients) and the size
// of its digits, in bits for 30-bit limbs or in decimal places for
// base-10^8 limbs. points == 0: no shape.
struct FftShape {
  int points;
  int digitSize;
  FftKernel kernel = FftKernel::x87;
};

// The cheapest shape of the kernel for a product of t and u limbs. Mode 0
// allows each transform length the largest digits its measured precision
// trusts (limits.h); mode 1 keeps a wider margin, for a product that mode 0
// could not trust. Within the length chosen, the digits are the smallest
// that still fit, which widens the margin further. No shape (points 0) when
// the product is too long for every length the mode allows.
FftShape binaryProductShape(int64_t t, int64_t u, int mode, FftKernel kernel = preferredFftKernel());
FftShape decimalProductShape(int64_t t, int64_t u, int mode, FftKernel kernel = preferredFftKernel());

// out[0 .. t + u) <- x y for the magnitudes x = first[0..t) and y =
// second[0..u) (or x^2 when `square` is non-zero; second and u must then be
// first and t), limbs in [0, 2^30), through one FFT product of the given
// shape. Every limb of out is written; out may not overlap the operands.
//
// Returns the largest |e - round(e)| over the transform outputs e. The
// product is exact when it is at most FFT_TRUSTED_ROUNDING_ERROR
// (fft/limits.h); above that the caller must not use it. Infinity when the
// shape does not fit the operands or the limbs came out wrong (a product
// longer than t + u limbs). When the calling thread's abort flag is set
// (polled at entry, between the transforms and inside long ones) the call
// returns 0 and leaves out untouched; a flag set while the task pool runs
// a pass may instead skip some of its pieces and leave out meaningless, so
// callers test the flag after the call too (mulFftSpans does).
double fftProductBinary(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                        FftShape shape);

// A binary product with one operand kept: its digits are transformed once,
// and each multiply() forms another operand times it with the two
// transforms that remain, a third less work than fftProductBinary. For a
// long operand cut into pieces of the short one's size, so that no
// transform is mostly zeros; the shape is that of the longest piece.
class FftBinaryMultiplier {
 public:
  // Keeps second[0..u) for pieces of up to longestFirst limbs, in the shape
  // binaryProductShape(longestFirst, u, mode) gives. Polls the abort flag.
  FftBinaryMultiplier(const int32_t* second, int u, int longestFirst, int mode);
  ~FftBinaryMultiplier();
  FftBinaryMultiplier(const FftBinaryMultiplier&) = delete;
  FftBinaryMultiplier& operator=(const FftBinaryMultiplier&) = delete;

  // points == 0 when no shape of the mode holds such products.
  FftShape shape() const { return shape_; }

  // out[0 .. t + u) <- first[0..t) times the kept operand, t <= longestFirst;
  // returns and writes like fftProductBinary.
  double multiply(const int32_t* first, int t, int32_t* out);

 private:
  FftShape shape_;
  int u_;
  std::unique_ptr<detail::DigitSpectrum> spectrum_;
};

// The same as fftProductBinary for base-10^8 limbs (in [0, 10^8)):
// out[0 .. t + u) <- x y in base 10^8.
double fftProductDecimal(const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                         FftShape shape);

// `count` limbs (30-bit, or base 10^8 when `decimal`) whose every digit of
// digitSize bits (decimal places) is B/2 - 1, B the digit base: the
// operands whose products round worst (a constant digit of the largest
// balanced size), by which the precision tables are measured and tested.
std::vector<int32_t> worstRoundingLimbs(bool decimal, int count, int digitSize);

}  // namespace quorvel
