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
// normalising). The FFT modes trade transform length for digit size: mode 0
// cuts a limb into two 15-bit digits, mode 1 into three 10-bit digits, so
// that the largest convolution coefficient at each mode's upper limit stays
// far enough below 2^63 for the extended-precision transform to round it
// exactly. Above the last limit one three-product split halves the operands.
inline constexpr int32_t MUL_SCHOOLBOOK_MAX_LIMBS = 100;
inline constexpr int32_t MUL_FFT_MODE0_MAX_LIMBS = 35000;
inline constexpr int32_t MUL_FFT_MODE1_MAX_LIMBS = 600000;

}  // namespace quorvel
