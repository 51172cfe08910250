// Operands of an exact normalised length, and the threshold check shared by
// the multiplication tests.
#pragma once

#include "fft/limits.h"
#include "tests/support/vnum_gmp.h"

namespace quorvel::test {

// A positive odd value whose normal length is exactly len limbs; with
// maxDigits every significant limb is 2^30 - 1.
vnum oddOperandOfLength(std::mt19937_64& g, int32_t len, bool maxDigits);

// Products whose combined normal length is T - 2, T and T + 2 (lengths are
// even), balanced and unbalanced, random and all-ones, product and square,
// compared with GMP.
void checkAroundThreshold(int32_t T, uint64_t salt);

}  // namespace quorvel::test
