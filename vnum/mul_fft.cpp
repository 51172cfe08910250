// One FFT product of two positive magnitudes, written straight into the
// caller's limbs.
//
// The fft library chooses the transform length and digit size for the mode
// (fft_product.h): mode 0 the fastest shape its precision table trusts,
// mode 1 one with a wider margin. The product comes back exact in 30-bit
// limbs, or with a rounding distance the caller must not trust.
#include <algorithm>
#include <atomic>

#include "fft/fft_product.h"
#include "fft/limits.h"
#include "platform/abort_flags.h"
#include "vnum/limb_spans.h"
#include "vnum/mul_spans.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {
// Written only by tests, which force the untrusted path with a negative bound.
std::atomic<double> trustedRoundingError{FFT_TRUSTED_ROUNDING_ERROR};
}  // namespace

void setFftTrustedRoundingErrorForTesting(double bound) { trustedRoundingError.store(bound); }

int32_t toom3MaxLimbs(bool square) {
  if (preferredFftKernel() == FftKernel::avx2) return square ? SQR_TOOM3_MAX_LIMBS_AVX2 : MUL_TOOM3_MAX_LIMBS_AVX2;
  return square ? SQR_TOOM3_MAX_LIMBS : MUL_TOOM3_MAX_LIMBS;
}

int32_t karatsubaMaxLimbs(bool square) {
  if (preferredFftKernel() == FftKernel::avx2)
    return square ? SQR_KARATSUBA_MAX_LIMBS_AVX2 : MUL_KARATSUBA_MAX_LIMBS_AVX2;
  return square ? SQR_KARATSUBA_MAX_LIMBS : MUL_KARATSUBA_MAX_LIMBS;
}

bool mulFftSpans(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode) {
  const FftShape shape = binaryProductShape(an, bn, mode);
  if (shape.points == 0) return false;
  // Equal operands are a square: one forward transform fewer.
  const bool square = an == bn && (a == b || std::equal(a, a + an, b));
  const double distance = fftProductBinary(a, an, square ? a : b, bn, out, square ? 1 : 0, shape);
  if (isAborted()) {
    // A cancelled product leaves out as it was: zeros, as after any
    // cancelled kernel.
    zeroSpan(out, an + bn);
    return true;
  }
  return distance <= trustedRoundingError.load(std::memory_order_relaxed);
}

bool mulFft(vnum& out, const vnum& A, const vnum& B, int mode) {
  vnum product;
  // Two zero limbs above the A.len + B.len written keep the sign bit clear.
  product.extendTo(A.len + B.len + 2);
  const bool square = A.compare(B) == 0;
  if (!mulFftSpans(product.limbs, A.limbs, A.len, square ? A.limbs : B.limbs, square ? A.len : B.len, mode))
    return false;
  product.plus = 1;
  product.normalize();
  out.swap(product);
  return true;
}

}  // namespace quorvel
