// One FFT product of two positive magnitudes.
//
// The fft library chooses the transform length and digit size for the mode
// (fft_product.h): mode 0 the fastest shape its precision table trusts,
// mode 1 one with a wider margin. The product comes back exact in 30-bit
// limbs, or with a rounding distance the caller must not trust.
#include <atomic>

#include "fft/fft_product.h"
#include "fft/limits.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {
// Written only by tests, which force the untrusted path with a negative bound.
std::atomic<double> trustedRoundingError{FFT_TRUSTED_ROUNDING_ERROR};
}  // namespace

void setFftTrustedRoundingErrorForTesting(double bound) { trustedRoundingError.store(bound); }

bool mulFft(vnum& out, const vnum& A, const vnum& B, int mode) {
  const FftShape shape = binaryProductShape(A.len, B.len, mode);
  if (shape.points == 0) return false;
  const int square = A.compare(B) == 0 ? 1 : 0;
  out = vnum();
  out.extendTo(A.len + B.len);
  const vnum& second = square ? A : B;
  const double distance = fftProductBinary(A.limbs, A.len, second.limbs, second.len, out.limbs, square, shape);
  if (distance > trustedRoundingError.load(std::memory_order_relaxed)) return false;
  // Both operands are positive, so each top limb is below 2^29 and the
  // product of A.len + B.len limbs has its top bit clear: positive.
  out.plus = 1;
  out.normalize();
  return true;
}

}  // namespace quorvel
