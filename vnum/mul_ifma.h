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

}  // namespace quorvel
