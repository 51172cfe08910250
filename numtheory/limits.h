// Size thresholds and guard widths of division, decimal scaling and the text
// reader. Bit counts are bits of a magnitude; digit counts are decimal digits.
#pragma once

#include <cstdint>

namespace quorvel {

// --- division ---

// Dividends below 2^60 are two limbs at most, so dividend and divisor fit a
// 64-bit word and one hardware division gives the quotient.
inline constexpr int NATIVE_QUOTIENT_BITS = 60;

// Largest bit-length difference (dividend bits - divisor bits) divided with
// the bitwise reciprocal: about this many subtract-and-shift passes over
// the divisor's top bits (at most this many plus the guard, 35 limbs):
// some 35,000 limb steps at most, and no products.
inline constexpr int64_t BITWISE_RECIPROCAL_MAX_DIFF = 1000;

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
// Newton stage, refined to its fixpoint from 2^32 by refineReciprocal.
inline constexpr int64_t RECIPROCAL_START_BITS = 32;
// A Newton stage of k bits feeds a stage of at most 2k - 6 bits: the carried
// estimate is within 6 * 2^(k'-k) of the target, and its squared error
// 36 * 2^(2(k'-k)) / 2^k' stays below 36/64 of a unit, so every stage ends
// less than 2 units below its target.
inline constexpr int64_t NEWTON_STAGE_LOSS_BITS = 6;

// Width of the quotient blocks (reciprocal_quotient.cpp, blockWidth).
// Work per block: a product of about 2w bits and one of w + lb bits; the
// reciprocal, made once, costs about this many times a w-bit block product
// (its stages sum to roughly five w-bit products).
inline constexpr double NEWTON_BLOCK_BALANCE = 5.0;
// Divisors up to this many bits take blocks of SHORT_DIVISOR_BLOCK_BITS, so
// that both products of a block (608 x 603 and 600 x 1500 bits at most) stay
// within the schoolbook range of the multiplication (100 combined limbs),
// whose small products cost far less than an FFT's. 600 was the fastest of
// 300 / 600 / 1000 / 1500 for 5,000,000-bit dividends by 50 and 1,000 bits
// (bench/numtheory_cases.cpp, this machine); it is also the least width of
// any block.
inline constexpr int64_t SHORT_DIVISOR_BITS = 1500;
inline constexpr int64_t SHORT_DIVISOR_BLOCK_BITS = 600;

// The quotient estimate is at most 2 below and 1 above the true quotient;
// a correction that needs more steps than this is a broken bound.
inline constexpr int MAX_QUOTIENT_CORRECTIONS = 4;

// --- decimal exponent ("Exp") ---

// The right operand of "Exp" supplies an exponent from its lowest limb; a
// magnitude of 2^30 or more is read as the saturated 32-bit exponent, which
// the scaling turns into "Scale over" (positive) or 0 (negative).
inline constexpr int64_t EXP_OPERAND_LIMIT = int64_t{1} << 30;

// log2(10) from below, as LOG2_TEN_NUM / LOG2_TEN_DEN: e * log2(10) is then
// bounded below exactly in 64-bit integers for any 32-bit e (e * NUM stays
// below 2^63). The truncation costs less than 0.003 bits for e up to the
// 1,505,150 digits of the largest value, so the guards stay tight there.
inline constexpr int64_t LOG2_TEN_NUM = 3321928094;
inline constexpr int64_t LOG2_TEN_DEN = 1000000000;

// --- reading decimal text ---

// Decimal text is converted in blocks of 2,048 digits, joined in a product
// tree whose level j multiplies by 10^(2048 * 2^j) = ladder entry 8 + j.
inline constexpr int DECIMAL_BLOCK_DIGITS = 2048;
inline constexpr int DECIMAL_BLOCK_LADDER_ENTRY = 8;
// Inside a block, digits are gathered in groups of 16 in a 64-bit word
// (10^16 < 2^54) and joined by Horner's rule in base 10^16, applied as two
// steps of 10^8 so that a limb times the multiplier fits in 64 bits.
inline constexpr int DECIMAL_GROUP_DIGITS = 16;

}  // namespace quorvel
