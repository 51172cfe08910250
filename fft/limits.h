// Sizes and numeric limits of the FFT products and their kernel.
#pragma once

#include <cstdint>

namespace quorvel {

// Every transform element is an x87 extended real: 64-bit significand,
// stored in a 16-byte slot. The split storage of the complex transform
// (split_storage.h) reuses that slot for two doubles, so both facts matter.
inline constexpr int EXTENDED_SIGNIFICAND_BITS = 64;
inline constexpr int EXTENDED_SLOT_BYTES = 16;

// Smallest real transform length, in reals: two complex points.
inline constexpr int FFT_MIN_LENGTH = 4;

// Blocks of at most this many complex points (16 KiB of split storage) are
// finished level by level in the first-level data cache (48 KiB here);
// larger blocks are split depth-first by radix-4 passes, so each level of the
// recursion streams its block once. On the development machine (Xeon,
// Sapphire Rapids, 2 cores) leaves of 128 to 2048 points gave the same
// 4.55-4.75 ns per butterfly for 2^14 to 2^16 reals: the stores of the x87
// unit, not the cache, set the pace once a block fits the second level.
inline constexpr int FFT_LEAF_POINTS = 512;

// Largest |x - round(x)| over the transform outputs of a product that its
// caller still trusts. The exact values are integers: an error below 1/2
// still rounds to the right one, and the largest distance over all outputs
// measures the error of the whole transform, so stopping above 1/4 keeps a
// factor of two between what was seen and what would be wrong. Within the
// callers' ranges the outputs stay below 2^61 (centred digits), where
// extended reals are at most 1/8 apart: the grid resolves this threshold.
inline constexpr double FFT_TRUSTED_ROUNDING_ERROR = 0.25;

// Digit bases of the four splits (digits per limb x digit bits = limb size).
inline constexpr int32_t BINARY_MODE0_DIGIT_BITS = 15;  // 2 digits per 30-bit limb
inline constexpr int32_t BINARY_MODE1_DIGIT_BITS = 10;  // 3 digits per 30-bit limb
inline constexpr int32_t DECIMAL_LIMB_BASE = 100000000;  // 10^8
inline constexpr int32_t DECIMAL_MODE0_DIGIT_BASE = 10000;  // 2 digits per limb
inline constexpr int32_t DECIMAL_MODE1_DIGIT_BASE = 100;  // 4 digits per limb

// The transforms see every digit d as d - base/2 (fft_product_common.h).
// Centred digits shrink the coefficients the FFT must round: by 4x when
// every digit is at its maximum, by orders of magnitude for random digits
// (their sums cancel). At the callers' limits with every digit at its
// maximum this takes the largest rounding distance from 1/2 to 1/8 or 9/64,
// except decimal mode 0 (5/16 at 190,000 limbs, 1/8 up to 131,072); random
// operands go from up to 5/16 to below 1/1000.
inline constexpr int32_t digitOffset(int32_t digitBase) { return digitBase / 2; }

}  // namespace quorvel
