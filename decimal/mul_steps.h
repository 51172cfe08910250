// The product methods that vnum10::mulMagnitudes chooses between, besides
// vnum10::mulFft. Each computes result <- |x| * |y| for trimmed x >= y > 0
// (as magnitudes); result is neither x nor y.
#pragma once

#include "decimal/vnum10.h"

namespace quorvel {

// The quadratic kernel, for a few limbs.
void mulSchoolbookStep(vnum10& result, const vnum10& x, const vnum10& y);

// One Karatsuba step: three products of about half the size, each through
// vnum10::mulMagnitudes (which may split again); trustedError is passed on.
void mulKaratsubaStep(vnum10& result, const vnum10& x, const vnum10& y, double trustedError);

}  // namespace quorvel
