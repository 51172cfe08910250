// The quadratic product of 30-bit limb spans on AVX-512 IFMA (mul_ifma.cpp),
// which mulSchoolbook and sqrSchoolbook take for base 2^30 where
// hasIfmaKernel() says yes.
#pragma once

#include <cstdint>

namespace quorvel {

// AVX-512 IFMA with the 256-bit forms (VL), unless SIMD is switched off.
bool hasIfmaKernel();

// out[0 .. an+bn) <- a b for an >= bn >= 1, bn at most
// MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS; out overlaps neither operand. Only after
// hasIfmaKernel() said yes.
void mulIfma(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn);

// 52-bit digits (in 64-bit words) that hold n 30-bit limbs.
constexpr int32_t digitCount(int32_t limbs) { return (30 * limbs + 51) / 52; }
// d[0 .. digitCount(n)) <- the 52-bit digits of the limbs x[0..n).
void toDigits(uint64_t* d, const int32_t* x, int32_t n);

// d[0..n) <- the 64-bit column sums columns[0..n) carried into 52-bit
// digits (d may be columns); returns the carry out of the top. Each column
// plus a carry must stay below 2^64.
uint64_t carryDigits(uint64_t* d, const uint64_t* columns, int32_t n);

}  // namespace quorvel
