// Bit-level reading and building of non-negative vnum values, shared by the
// division methods, the square root, the GCD and the text reader. Every function here costs time in
// proportion to the bits it reads or writes, not to the whole operand, which
// is what keeps the blockwise quotient and the digit blocks linear.
#pragma once

#include <cstdint>
#include <vector>

#include "vnum/vnum.h"

namespace quorvel {

// Bits of a non-negative normalised value: 30 * (index of the top non-zero
// limb) + width of that limb; 0 for zero (bitLength() says 1 there).
int64_t magnitudeBits(const vnum& x);

// floor(x / 2^offset) mod 2^count for a non-negative x.
vnum bitField(const vnum& x, int64_t offset, int64_t count);

// 2^n for n >= 0.
vnum powerOfTwo(int64_t n);

// |x| as a new value.
vnum magnitudeOf(const vnum& x);

// The non-negative value whose 30-bit limbs, least significant first, are
// limbs[0..n). Every entry must be below 2^30.
vnum fromLimbs(const int32_t* limbs, int64_t n);

// Adds v * 2^offset into the limb array out (30-bit limbs), for a
// non-negative v whose bits land on zero bits of out: the caller places
// disjoint fields, so OR is addition here. out must be long enough.
void placeBits(std::vector<int32_t>& out, const vnum& v, int64_t offset);

}  // namespace quorvel
