// Limb-array kernels shared by the vnum operations. They see raw arrays only:
// no sign, no normalisation, no allocation. Lengths are limb counts.
#pragma once

#include <cstdint>

namespace quorvel {

// dst[i] = (a'[i] + b'[i] + carry) mod 2^30 for i in [0, n), where a'[i] is
// a[i], XORed with LIMB_MASK when invertA, and b'[i] is b[i] for i < bn and
// bFill beyond, XORed with LIMB_MASK when invertB. Returns the carry out of
// limb n-1. n is a multiple of 4; a is read for all n limbs; dst may be a.
// With one operand inverted and carry 1 this is the other minus it on the
// two's complement limbs.
uint32_t addLimbs(int32_t* dst, const int32_t* a, int32_t n, const int32_t* b, int32_t bn, int32_t bFill,
                  bool invertA, bool invertB, uint32_t carry);

// p[i] ^= LIMB_MASK for i in [0, n rounded up to 4); the slack up to the next
// multiple of 4 must be inside the allocation.
void complementLimbs(int32_t* p, int32_t n);

inline int32_t roundUpToGroup(int32_t n) { return (n + 3) & ~3; }

}  // namespace quorvel
