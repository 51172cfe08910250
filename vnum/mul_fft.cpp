// One FFT product of two positive magnitudes.
//
// The product of t + u limbs has d(t + u) digits, d = 2 in mode 0 (15-bit
// digits) and 3 in mode 1 (10-bit digits), so a real transform of
// N = 2^c >= d(t + u) holds the digit convolution without wrap-around; the
// routine is told h = N in mode 0 and h = N/2 in mode 1. The unnormalised
// inverse leaves the product multiplied by N/2 = 2^(c-1), which is shifted
// out exactly at the end.
//
// Sizing by the digit count rather than by 4(t + u) makes no difference in
// mode 0, but in mode 1 it halves the transform whenever
// 3(t + u) <= 2^k < 4(t + u), about two sizes in five.
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
  const uint32_t digitsPerLimb = mode == 0 ? 2 : 3;
  const uint32_t N = std::bit_ceil(digitsPerLimb * static_cast<uint32_t>(A.len + B.len));
  const int c = std::countr_zero(N);
  const int32_t h = static_cast<int32_t>(mode == 0 ? N : N / 2);
  const int32_t f = h + 4;
  out = vnum();
  out.extendTo(f);
  const auto distance =
      fftProductBinary(h, A.limbs, A.len, B.limbs, B.len, out.limbs, square, mode);
  if (distance > trustedRoundingError.load(std::memory_order_relaxed)) return false;
  // The limbs are the non-negative product times 2^(c-1), far below
  // 2^(30f), so the top limb is clear and the value is positive.
  out.plus = 1;
  out.shift(-(c - 1));
  return true;
}

}  // namespace quorvel
