// Transforms and pointwise product shared by both FFT products.
//
// Convolution theorem on the packed real spectra of realFft: with A and B
// the forward transforms of the zero-padded digit sequences, the product of
// spectra at each frequency k (0 < k < N/2) is the complex product
// (A[2k] + i A[2k+1]) (B[2k] + i B[2k+1]); the two real frequencies 0 and N/2
// sit in A[0] and A[1] and multiply as reals. The inverse transform of the
// product is (N/2) times the cyclic convolution of the digits, which equals
// the plain convolution because the callers' N holds every coefficient.
#include "fft/fft_product_common.h"

#include "fft/real_fft.h"
#include "platform/abort_flags.h"

namespace quorvel::detail {

ExtendedPrecisionScope::ExtendedPrecisionScope() {
  _FPU_GETCW(saved_);
  fpu_control_t word = _FPU_EXTENDED | _FPU_RC_NEAREST | _FPU_MASK_IM | _FPU_MASK_DM | _FPU_MASK_ZM | _FPU_MASK_OM |
                       _FPU_MASK_UM | _FPU_MASK_PM | (_FPU_DEFAULT & _FPU_RESERVED);
  _FPU_SETCW(word);
}

ExtendedPrecisionScope::~ExtendedPrecisionScope() { _FPU_SETCW(saved_); }

FftConvolution::FftConvolution(int length, bool square)
    : length_(length),
      first_(std::make_unique_for_overwrite<long double[]>(length)),
      second_(square ? nullptr : std::make_unique_for_overwrite<long double[]>(length)),
      twiddles_(std::make_unique_for_overwrite<long double[]>(length / 2)),
      indexTable_(std::make_unique_for_overwrite<int[]>(realFftIndexTableSize(length))) {}

bool FftConvolution::run() {
  const int n = length_;
  long double* a = first_.get();
  long double* b = second_.get();
  int* ip = indexTable_.get();
  long double* w = twiddles_.get();

  ip[0] = 0;  // builds the tables in the first transform
  if (isAborted()) return false;
  realFft(n, 1, a, ip, w);
  if (b) {
    if (isAborted()) return false;
    realFft(n, 1, b, ip, w);
    const long double nyquist = a[1] * b[1];
    a[1] = 0;  // so that j = 0 below multiplies the two real values a[0], b[0]
    b[1] = 0;
    for (int j = 0; j < n; j += 2) {
      const long double re = a[j], im = a[j + 1];
      const long double otherRe = b[j], otherIm = b[j + 1];
      a[j] = otherRe * re - otherIm * im;
      a[j + 1] = otherRe * im + otherIm * re;
    }
    a[1] = nyquist;
  } else {
    const long double nyquist = a[1] * a[1];
    a[1] = 0;
    for (int j = 0; j < n; j += 2) {
      const long double re = a[j], im = a[j + 1];
      a[j] = re * re - im * im;
      a[j + 1] = 2 * re * im;
    }
    a[1] = nyquist;
  }
  if (isAborted()) return false;
  realFft(n, -1, a, ip, w);
  return true;
}

}  // namespace quorvel::detail
