// The integer square root: squareRoot (square_root.cpp) takes an inverse
// square root of half the root's length from inverseSqrt
// (inverse_sqrt.cpp), Newton stages of doubling precision from an x87
// estimate, then forms the root with one fused Newton step and corrects its
// last unit by the exact remainder. Below are the precisions and guard widths
// that keep every stage within a few units of its target.
#pragma once

#include <cstdint>

namespace quorvel {

// Bits of x up to which floor(sqrt(x)) is read straight off a double: x is
// exact below 2^53, and for x < 2^50 the gap between sqrt(k^2 - 1) and k
// (about 1/(2k) > 2^-26) is wider than half an ulp near k < 2^25 (2^-29), so
// the correctly rounded root truncates to the exact floor.
inline constexpr int64_t SQRT_DOUBLE_MAX_BITS = 50;
// Bits of x taken into the extended-precision estimate of 1/sqrt(x): the
// 64-bit significand of the x87 format.
inline constexpr int64_t SQRT_ESTIMATE_BITS = 64;
// Precision of the first inverse square root, read off that estimate: its
// real value is within 2^-62 relative (two roundings and the truncation of
// x), a quarter of a unit at 58 bits.
inline constexpr int64_t SQRT_START_BITS = 58;
// A Newton stage of k bits feeds one of at most 2k - 6: the squared error
// of an estimate within 3 units then costs less than half a unit.
inline constexpr int64_t SQRT_STAGE_LOSS_BITS = 6;
// Bits of x read beyond the precision being built: the truncation moves the
// target by less than 2^-(guard - 1) of its last bit.
inline constexpr int64_t SQRT_TOP_GUARD_BITS = 4;
// A residue is cut before its last product to the bits worth at least
// 2^-4 of a unit of the result, which shortens that product by half.
inline constexpr int64_t SQRT_RESIDUE_GUARD_BITS = 4;
// The inverse root carries this many bits beyond half the root's length;
// the fused last step then errs by at most 31 * 2^-(2 * this) units.
inline constexpr int64_t SQRT_FUSED_GUARD_BITS = 4;
// The fused root is within 1.2 of sqrt(x), so at most two unit steps make
// it exact; more would be a broken bound.
inline constexpr int MAX_ROOT_CORRECTIONS = 2;

}  // namespace quorvel
