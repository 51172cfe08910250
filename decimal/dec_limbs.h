// Kernels on raw base-10^8 limb arrays: no sign, no allocation, no trimming.
// Lengths are limb counts; every limb is 0 .. DEC_LIMB_BASE - 1 on entry and
// on exit.
#pragma once

#include <cstdint>

#include "decimal/limits.h"

namespace quorvel {

// Three-way comparison of the magnitudes a[0..an) and b[0..bn), both trimmed
// (no zero limb on top unless the length is 1).
int compareDecLimbs(const int32_t* a, int32_t an, const int32_t* b, int32_t bn);

// dst[0..dn) += src[0..sn) with sn <= dn. Returns the carry out of dst[dn-1]
// (0 or 1); callers size dst so that the sum fits and it is 0.
uint32_t addDecLimbs(int32_t* dst, int32_t dn, const int32_t* src, int32_t sn);

// dst[0..dn) -= src[0..sn) with sn <= dn and src <= dst as numbers, so no
// borrow leaves the top limb.
void subDecLimbs(int32_t* dst, int32_t dn, const int32_t* src, int32_t sn);

}  // namespace quorvel
