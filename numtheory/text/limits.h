// Numbers from text, and powers of ten: parseNumberText
// (parse_number_text.cpp) filters and scans text, hexadecimal digits become
// limbs directly, and a run of decimal digits becomes blocks of 2,048 digits
// (decimal_digits_to_number.cpp) joined by a product tree over
// decPowerLadder (dec_power_ladder.cpp, squared in on first use).
// scaleByPowerOfTen (scale_by_power_of_ten.cpp, the "Exp" key and the
// exponent of pasted text) builds 10^k from the same ladder or by squaring.
// Below are their size thresholds; digit counts are decimal digits.
#pragma once

#include <cstdint>

namespace quorvel {

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

// 10^k is built by squaring 10^floor(k/2) rather than from the ladder when
// that costs less (scale_by_power_of_ten.cpp), measuring an FFT product by
// its combined length and a square by this fraction of it: squaring
// 10^500,000 took 0.73 of the time of 10^500,000 * 10^499,999 here (thread
// CPU time, interleaved runs), since the FFT transforms one operand only.
// A squaring kernel that gains more should lower it.
inline constexpr double SQUARE_COST_FACTOR = 0.73;
// Below this many digits the products are schoolbook-sized, where a square
// costs as much as any product and the ladder is used.
inline constexpr int64_t EXP_SQUARING_MIN_DIGITS = 1000;

// --- reading decimal text ---

// Decimal text is converted in blocks of 2,048 digits, joined in a product
// tree whose level j multiplies by 10^(2048 * 2^j) = ladder entry 8 + j.
inline constexpr int DECIMAL_BLOCK_DIGITS = 2048;
inline constexpr int DECIMAL_BLOCK_LADDER_ENTRY = 8;
// Inside a block, digits are gathered in groups of 16 in a 64-bit word
// (10^16 < 2^54) and joined by Horner's rule in base 10^16, applied as two
// steps of 10^8 so that a limb times the multiplier fits in 64 bits.
inline constexpr int DECIMAL_GROUP_DIGITS = 16;
// A run of at least READER_PARALLEL_MIN_DIGITS digits has its blocks and
// the pairs of each level of the tree read in ranges on the task pool, at
// most READER_RANGES_PER_THREAD per thread. 40,000 digits (133,000 bits)
// keeps shorter texts on one thread; each range is at least ten 2048-digit
// blocks with both threads.
inline constexpr int64_t READER_PARALLEL_MIN_DIGITS = 40000;
inline constexpr int READER_RANGES_PER_THREAD = 2;

}  // namespace quorvel
