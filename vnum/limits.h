// Layout constants and size limits of the binary number type.
#pragma once

#include <cstdint>

namespace quorvel {

// A limb carries 30 value bits in a 32-bit word. The two spare bits are the
// headroom that lets a limb sum plus a carry (at most 2^31 - 1) and the
// partial sums of the schoolbook product stay inside one word.
inline constexpr int LIMB_BITS = 30;
inline constexpr int32_t LIMB_MASK = 0x3fffffff;
// Bit 29 of the top limb is the sign of the two's complement value.
inline constexpr int32_t LIMB_SIGN_BIT = 0x20000000;

// Capacity, in limbs, of a freshly constructed value.
inline constexpr int32_t FRESH_CAP = 256;
// A value that outgrows its storage reallocates to this many times the limb
// count it needs, so accumulators that keep growing rarely reallocate.
inline constexpr int32_t GROWTH_FACTOR = 8;

// Entries of the lazily squared powers-of-ten table: entry k is 10^(8*2^k).
inline constexpr int DEC_POWER_LADDER_SIZE = 40;
inline constexpr int SMALL_DEC_POWERS_SIZE = 8;

// Multiplication methods by combined size m = A.len + B.len (limbs, after
// normalising). An FFT product's transform length and digit size come from
// the precision table of fft/limits.h: mode 0 takes the largest digits each
// length trusts, mode 1 (the retry of a product mode 0 could not trust)
// smaller ones. Each mode's limit is the largest product it can shape within
// the longest transform (2^20 complex points: 19-bit digits in mode 0, 17-bit
// in mode 1); above the last limit one three-product split halves the
// operands.
inline constexpr int32_t MUL_SCHOOLBOOK_MAX_LIMBS = 100;
inline constexpr int32_t MUL_FFT_MODE0_MAX_LIMBS = 1300000;
inline constexpr int32_t MUL_FFT_MODE1_MAX_LIMBS = 1150000;

}  // namespace quorvel
