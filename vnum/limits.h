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

// FFT products by combined size m = A.len + B.len (limbs, after
// normalising). The FFT modes trade transform length for digit size: mode 0
// cuts a limb into two 15-bit digits, mode 1 into three 10-bit digits, so
// that the largest convolution coefficient at each mode's upper limit stays
// far enough below 2^63 for the extended-precision transform to round it
// exactly. Above the last limit a product is split into smaller ones.
inline constexpr int32_t MUL_FFT_MODE0_MAX_LIMBS = 35000;
inline constexpr int32_t MUL_FFT_MODE1_MAX_LIMBS = 600000;

// The product methods below the FFT, by combined size m = an + bn of the
// operands' significant limbs (mulMagnitudes in mul_magnitudes.cpp): the
// schoolbook kernel while the shorter operand's balanced size 2 bn is at
// most MUL_SCHOOLBOOK_MAX_LIMBS, then Karatsuba up to
// MUL_KARATSUBA_MAX_LIMBS, then Toom-3 (Toom-2.5 for unbalanced operands) up
// to MUL_TOOM3_MAX_LIMBS, then the FFT. Squares have their own kernels and
// limits (SQR_*, on m = 2n).
//
// Measured with `quorvel-bench --crossover binary`, which times every method
// on the same operands across sizes (sub-products by the dispatcher with the
// limits below) and prints the crossover table; to reset them, run it, set
// the printed values here and run it again until they stay put.
// MEASURED-ON: (filled in below with the measurement)
inline constexpr int32_t MUL_SCHOOLBOOK_MAX_LIMBS = 64;
inline constexpr int32_t MUL_KARATSUBA_MAX_LIMBS = 300;
inline constexpr int32_t MUL_TOOM3_MAX_LIMBS = 20000;
inline constexpr int32_t SQR_SCHOOLBOOK_MAX_LIMBS = 64;
inline constexpr int32_t SQR_KARATSUBA_MAX_LIMBS = 300;
inline constexpr int32_t SQR_TOOM3_MAX_LIMBS = 20000;

// Toom-2.5 instead of Toom-3 from an >= 5/4 bn (in quarters of bn): there
// Toom-3's top parts are short and its five products cost more than
// Toom-2.5's four products of half the shorter operand.
inline constexpr int32_t MUL_TOOM25_MIN_QUARTERS = 5;

// The schoolbook kernel keeps its column sums and operands on the stack:
// neither operand of one core call exceeds this many limbs, and the shorter
// operand of any schoolbook product never does.
inline constexpr int32_t MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS = 256;
static_assert(MUL_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);
static_assert(SQR_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);

}  // namespace quorvel
