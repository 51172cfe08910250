// FFT products of limb arrays: 30-bit limbs (vnum) and base-10^8 limbs
// (vnum10).
#pragma once

#include <cstdint>

namespace quorvel {

// out <- (N/2) * x * y for the magnitudes x = first[0..t) and y =
// second[0..u) (or x * x when `square` is non-zero; second and u are then
// ignored), as 30-bit limbs. N is the real transform length: h in mode 0
// (two 15-bit digits per limb), 2h in mode 1 (three 10-bit digits per limb).
// The caller divides by N/2 = 2^(log2 N - 1) with a right shift.
//
// Preconditions: h is a power of two and N holds every digit of the product,
// N >= 2 (t + u) in mode 0 and N >= 3 (t + u) in mode 1 (the vnum product
// passes the smallest such N); limbs in [0, 2^30); out holds h + 4
// zero-filled limbs. The callers' ranges are t + u up to
// 35,000 limbs in mode 0 and 600,000 in mode 1; there even operands with
// every digit at its maximum round within 9/64.
//
// Returns the largest |e - round(e)| over the transform outputs e. The
// product is exact when it is at most FFT_TRUSTED_ROUNDING_ERROR (fft/limits.h);
// above that the caller must not use it. Operands whose coefficients could
// reach 2^63 (far outside the ranges below) return infinity at once. In
// these two cases, and when the calling thread's abort flag is set (polled
// at entry and between transforms; the call then returns 0), out is left
// untouched.
double fftProductBinary(int h, const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                        int mode);

// The same for base-10^8 limbs (in [0, 10^8)): out <- (N/2) * x * y in
// base 10^8, N = h in mode 0 (two base-10^4 digits per limb), 2h in mode 1
// (four base-100 digits per limb). The caller divides by N/2 in base 10^8.
// The callers' ranges are t + u up to 190,000 limbs in mode 0 and 5,600,000
// in mode 1. Random operands round within 1/1000 there; operands with nearly
// every digit at its maximum may exceed the trusted distance in mode 0 above
// 131,072 limbs (5/16 at 190,000) and must then be recomputed.
double fftProductDecimal(int h, const int32_t* first, int t, const int32_t* second, int u, int32_t* out, int square,
                         int mode);

}  // namespace quorvel
