// One FFT product of two positive magnitudes.
//
// For t + u limbs the transform of P = 2^c >= 4(t + u) reals (so h = P/2
// reals per operand in mode 0, P in mode 1) holds the digit convolution
// without wrap-around. The unnormalised inverse leaves the product multiplied
// by N/2 = 2^(c-2) (mode 0) or 2^(c-1) (mode 1); that power of two is shifted
// out exactly at the end.
#include <atomic>
#include <bit>

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
  const int square = A.compare(B) == 0 ? 1 : 0;
  const uint32_t e = std::bit_ceil(4u * static_cast<uint32_t>(A.len + B.len));
  const int c = std::countr_zero(e);
  const int32_t h = static_cast<int32_t>(e / 2);
  const int32_t f = h + 4;
  out = vnum();
  out.extendTo(f);
  const auto distance =
      fftProductBinary(h, A.limbs, A.len, B.limbs, B.len, out.limbs, square, mode);
  if (distance > trustedRoundingError.load(std::memory_order_relaxed)) return false;
  // The limbs are the non-negative product times 2^(c-2) or 2^(c-1), far
  // below 2^(30f), so the top limb is clear and the value is positive.
  out.plus = 1;
  out.shift(-(mode == 0 ? c - 2 : c - 1));
  return true;
}

}  // namespace quorvel
