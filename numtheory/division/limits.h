// Size thresholds and guard widths of division (the room's plan is in
// quotient.h). Bit counts are bits of a magnitude.
#pragma once

#include <cstdint>

namespace quorvel {

// Dividends below 2^60 are two limbs at most, so dividend and divisor fit a
// 64-bit word and one hardware division gives the quotient.
inline constexpr int NATIVE_QUOTIENT_BITS = 60;

// Long division on limbs (div_schoolbook.cpp) costs about qn * dn limb
// steps for a quotient of qn and a divisor of dn limbs; the reciprocal
// method costs a few products whose combined length grows as qn + dn (as
// qn + min(qn, dn) without a remainder: its last block reads only the
// divisor's top bits). Long division is chosen while
//     qn * dn <= DIV_SCHOOLBOOK_HARMONIC_LIMBS * (qn + dn'),
// i.e. while qn dn / (qn + dn') is at most this many limbs. Measured with
// the Karatsuba and Toom-3 products (thread CPU time, least of 5 batches,
// this 2-core machine at load 1.5), schoolbook / reciprocal: 0.74 (quotient)
// and 0.96 (remainder) at qn = dn = 80, 1.30 and 1.11 at 100; 0.98 and 1.10
// at dn = 40 for qn = 20,000, 1.55 and 1.69 at dn = 70; 4.0 (remainder) at
// qn = 40 for dn = 20,000; i.e. level at about 40. (With the products of
// before, schoolbook up to 100 combined limbs and a transform above, the
// methods met at 900 to 1,100.) A faster product for a few hundred limbs
// moves this down; measure again when it changes.
inline constexpr int64_t DIV_SCHOOLBOOK_HARMONIC_LIMBS = 40;

// Extra divisor bits kept beyond the quotient width when the divisor is
// truncated for the reciprocal. With 4 bits the truncation moves the
// estimate by at most 2^-2 (the bound is X/(C(C+1)) < 2^(w-m+2)).
inline constexpr int DIVISOR_GUARD_BITS = 4;
// The reciprocal carries this many bits beyond the quotient width, so its
// own error (at most 6 units) moves the estimate by at most 6/4.
inline constexpr int RECIPROCAL_GUARD_BITS = 2;
// Bits of the partial dividend kept below the divisor's width when the
// dividend is truncated before the multiplication by the reciprocal. Each
// dropped unit is worth at most 2^-(this - 1) of a quotient unit.
inline constexpr int DIVIDEND_GUARD_BITS = 8;

// Precision (bits of the reciprocal, and of the divisor's top) of the first
// Newton stage, computed exactly by one 128-bit division: 2^(2k) must fit
// 128 bits and the quotient (below 2^(k+1)) 64 bits.
inline constexpr int64_t RECIPROCAL_START_BITS = 62;
// A Newton stage of k bits feeds a stage of at most 2k - 6 bits: the carried
// estimate is within 6 * 2^(k'-k) of the target, and its squared error
// 36 * 2^(2(k'-k)) / 2^k' stays below 36/64 of a unit, so every stage ends
// less than 2 units below its target.
inline constexpr int64_t NEWTON_STAGE_LOSS_BITS = 6;
// Bits of the Newton residue kept below the stage's precision k: the residue
// is cut to its bits from k - 4 up, which lowers the step by less than
// 2^(k+1) 2^(k-4) / 2^(2k) = 1/8 of a unit and shortens its product by k
// bits.
inline constexpr int64_t RECIPROCAL_RESIDUE_GUARD_BITS = 4;

// The block count of a division minimises the combined length of its
// products (reciprocal_quotient.cpp). The Newton reciprocal of W bits costs
// about this many times W: its stages sum to about two and a half products
// of the last stage's combined length 2W. For 5,000,000 / 2,500,000 bits
// the measure picks two blocks, which cost 3.0 / 3.8 products of 2.5M bits
// (quotient / remainder; thread CPU time, interleaved runs) against
// 3.6 / 4.6 with one block and 3.7 / 4.8 with three.
inline constexpr double RECIPROCAL_COST_FACTOR = 5.0;

// A quotient without remainder estimates its last block with this many more
// bits; the bits show whether the estimate, within -1..+2 of the truth, can
// still straddle a multiple of 2^g, and only then is the block's remainder
// formed. An estimate whose guard bits lie within this margin of a multiple
// of 2^g is checked (the bound needs 1 below and 3 above; 4 is kept on both
// sides). Random operands take the check with probability 2^-29.
inline constexpr int64_t QUOTIENT_GUARD_BITS = 32;
inline constexpr uint64_t QUOTIENT_GUARD_MARGIN = 4;

// The quotient estimate is at most 2 below and 1 above the true quotient;
// a correction that needs more steps than this is a broken bound.
inline constexpr int MAX_QUOTIENT_CORRECTIONS = 4;

}  // namespace quorvel
