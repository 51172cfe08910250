// Sizes and limits of the power, square root, GCD and factorial functions.
#pragma once

#include <cstdint>

namespace quorvel {

// --- integer square root ---

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

// --- Montgomery modulus ---

// Moduli up to this many bits get -N^-1 mod 2^k from the bit-serial loop,
// which costs k additions of k-bit values; larger ones lift the inverse by
// Newton's iteration mod 2^(2j), which costs a few products. At 5,000,000
// bits the loop would run for tens of minutes without any poll.
inline constexpr int64_t NP_BIT_SERIAL_MAX_BITS = 2048;

// --- falling factorial P(n, r), n!, nPr, nCr ---

// Largest r accepted by P(n, r) ("Too big value." above): 2^20.
inline constexpr int32_t FALLING_FACTORIAL_MAX_R = 1048576;
// Up to this n the whole product is formed in a signed 64-bit word:
// 20! = 2432902008176640000 < 2^63 < 21!.
inline constexpr int32_t FALLING_FACTORIAL_WORD_MAX_N = 20;
// A chunk of factors is flushed to the list once it reaches 2^40 (bits), so
// that below n = 2^23 a chunk times the next factor stays below 2^63.
inline constexpr int CHUNK_FLUSH_BITS = 40;
// Bits a chunk may never reach: a factor whose product with the chunk could
// pass 2^63 flushes the chunk first (factors of n >= 2^23).
inline constexpr int CHUNK_MAX_BITS = 63;
// Bits of slack taken off the estimated log2 of an nPr or nCr result before
// it is compared with the cap. The estimate's floating error is far below one
// bit; the slack only makes sure that no result that fits is refused.
inline constexpr double RESULT_SIZE_SLACK_BITS = 64.0;

}  // namespace quorvel
