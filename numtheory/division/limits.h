// Size thresholds and guard widths of division (the room's plan is in
// quotient.h). Bit counts are bits of a magnitude.
#pragma once

#include <cstdint>

namespace quorvel {

// Dividends below 2^60 are two limbs at most, so dividend and divisor fit a
// 64-bit word and one hardware division gives the quotient.
inline constexpr int NATIVE_QUOTIENT_BITS = 60;

// Long division on words (div_words.cpp) costs about qn * dn word steps
// for a quotient of qn and a divisor of dn limbs, plus the conversion of
// both to words; the reciprocal method costs a few products whose combined
// length grows as qn + dn, or as 2 qn when the quotient is the shorter: its
// estimates then read only the divisor's top bits, and its remainder is one
// product of qn by dn limbs, which Karatsuba and Toom form faster than the
// rows of a long division. Long division is chosen while
//     qn * dn <= DIV_SCHOOLBOOK_HARMONIC_LIMBS * (qn + min(qn, dn)).
// Measured with the word division on mulx/adcx/adox rows (thread CPU time,
// least of 7 batches of 10 ms, 2-core Xeon with AVX-512 at load 3 to 5),
// long division / reciprocal, quotient and remainder: balanced qn = dn =
// 240: 0.72 / 0.65, 400: 0.88 / 0.72, 560: 0.81 / 0.72; qn = 20,000 with
// dn = 240: 0.54 / 0.58, 320: 0.68 / 0.67, 480: 0.93 / 0.70; a shorter
// quotient, dn = 200: 0.38 to 0.58 for qn = 10 to 120; dn = 1,000: 1.13 to
// 1.82 (quotient) and 0.93 to 1.57 (remainder) for qn = 10 to 240; dn =
// 20,000: 1.6 to 2.4 and 1.2 to 1.4. So level at about qn dn / (qn + dn) =
// 300 for a longer quotient and at dn = 600 for a shorter one. (On 30-bit
// limbs, before, the methods met at about 40.)
inline constexpr int64_t DIV_SCHOOLBOOK_HARMONIC_LIMBS = 300;

// The recursive division (recursive_quotient.cpp) takes a divisor of
// DIV_RECURSIVE_MIN_LIMBS to DIV_RECURSIVE_MAX_LIMBS limbs with a quotient
// at least as long, before the rule above is asked. Measured with the
// IFMA schoolbook products below it (thread CPU time, least of 5 batches of
// 10 ms, 2-core Xeon with AVX-512 at load 4 to 6), microseconds for the
// quotient, long division / reciprocal / recursive, divisor limbs dn and
// quotient qn:
//   dn = 200:  qn = dn 8.5 / 14 / 10, 4 dn 32 / 37 / 36 (long division
//              everywhere);
//   dn = 300:  qn = dn 17.9 / 20 / 16.4, 4 dn 66 / 58 / 64, 30 dn 487 /
//              447 / 521;
//   dn = 400:  qn = dn 29 / 25 / 26, 4 dn 110 / 82 / 89, 30 dn 810 / 707 /
//              662 (about even);
//   dn = 500:  qn = dn 44 / 33 / 29, 4 dn 169 / 115 / 117, 30 dn 1245 / 944
//              / 906;
//   dn = 700:  qn = dn 80 / 57 / 46, 4 dn 314 / 294 / 185, 30 dn 2391 /
//              1667 / 1438;
//   dn = 2,000:  qn = dn 613 / 241 / 216, 30 dn 18,350 / 8,316 / 6,746;
//   dn = 3,500:  qn = dn 1,839 / 477 / 487, 4 dn 7,307 / 2,248 / 1,980,
//                30 dn 55,210 / 20,640 / 15,180;
//   dn = 15,000: qn = dn 4,573 / 4,840, 4 dn 22,780 / 18,950 (reciprocal /
//                recursive);
//   dn = 33,000: qn = dn 17,020 / 17,440, 4 dn 53,330 / 69,510.
// Remainders alone cost the recursive division the same and the reciprocal
// up to a third more (its last block forms the product by the divisor).
// With a quotient shorter than the divisor the recursion would divide a
// dividend padded to twice the divisor; the other methods keep those.
inline constexpr int64_t DIV_RECURSIVE_MIN_LIMBS = 450;
inline constexpr int64_t DIV_RECURSIVE_MAX_LIMBS = 20000;
// It ends in long divisions of a divisor of at most this many limbs
// (2n-by-n limbs). 200,000 / 50,000 bits, 1,000,000 / 20,000 and 1,000,000
// / 200,000 took 0.57 / 2.6 / 6.0 ms with leaves of 30 limbs at most, 0.52 /
// 2.35 / 5.6 at 60, 0.52 / 2.2 / 5.8 at 100 and 0.51 / 2.3 / 5.5 at 200 (the
// IFMA products are several times faster per word product than the long
// division's rows, so deep recursion pays until the per-step work counts);
// 9,000 / 4,500 to 30,000 / 15,000 bits gave 64 the edge over 40 and 100.
inline constexpr int64_t DIV_RECURSIVE_LEAF_LIMBS = 64;
// A dividend is divided in blocks of n >= dn limbs; the top block may hold
// only the k limbs by which it passes a multiple of n. Up to this many, its
// quotient of k limbs comes from a long division of k rows, not from a full
// recursion: at n = 1,000 the recursion costs 77 us and a row 0.16 us, at
// n = 500 29 us and 0.09 us, so the two meet at a few hundred rows; 128
// stays below that across the range.
inline constexpr int32_t DIV_RECURSIVE_SHORT_TOP_LIMBS = 128;

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
