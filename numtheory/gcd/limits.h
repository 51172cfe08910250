// Window widths and method limits of the greatest common divisor (the room's
// plan is in half_gcd.h).
#pragma once

#include <cstdint>

namespace quorvel {

// A Lehmer step works on a window of the leading 127 bits of the larger
// value (the same bits of the other), so that both fit an unsigned 128-bit
// word with room for a subtraction. It keeps the window values >= 2^64 at
// least: with 2 * 64 >= 127 + 1 the step is valid for the whole values, and
// its matrix entries stay below 2^(127 - 64) = 2^63, so an entry times a
// pair of limbs (2^60) is below 2^123 and two of those with a carry fit a
// signed 128-bit word. Each step thus removes about 62 bits.
inline constexpr int LEHMER_WINDOW_BITS = 127;
inline constexpr int LEHMER_WINDOW_MIN_FLOOR_BITS = 64;
// The window is reduced by Euclid's steps in machine words, on its leading
// 63 bits at a time, kept >= 2^32 at least (2 * 32 >= 63 + 1); each such
// round moves about 30 bits and has entries below 2^31.
inline constexpr int LEHMER_WORD_BITS = 63;
inline constexpr int LEHMER_WORD_MIN_FLOOR_BITS = 32;
// Below this many bits (the larger operand) halfGcd is a loop of Lehmer
// steps; from here on it recurses on top halves and pays products. The
// balance is between the quadratic Lehmer passes and the products. With the
// IFMA schoolbook products (2-core Xeon with AVX-512, load 2 to 6; the
// one-thread CPU time of `quorvel-bench GCD` for two 1,000,000-bit values,
// ours / GMP in the same run): 2.1 at 125,000 (the limit before, set with
// products several times slower at a few thousand limbs), 1.5 to 1.6 at
// 32,000, 1.3 to 1.4 at 16,000, 1.16 to 1.18 at 8,000 (three runs), 0.8 and
// 1.6 at 4,000; GCDs of 80,000 and 160,000 bits (thread CPU time, least of
// 5 batches): 3.9 / 7.6 ms at 4,000, 2.5 / 6.8 at 8,000, 4.5 / 11.7 at
// 16,000.
inline constexpr int64_t HALF_GCD_LEHMER_MAX_BITS = 8000;
// GCD operands whose smaller value has at least this many bits are reduced
// by halfGcd on the whole values; below it, by Lehmer steps alone. Measured
// as above with the limit of 8,000, GCDs of random values of 20,000, 40,000,
// 80,000, 160,000 and 320,000 bits, milliseconds: Lehmer alone 0.32, 1.05,
// 3.8, 13.9, 53; from 60,000 bits 0.32, 1.06, 2.7 to 2.9, 7.0 to 7.5, 20 to
// 23; from 40,000 0.32, 1.01, 2.5, 6.8, 17; from 20,000 0.47, 1.5, 3.0, 6.8,
// 17.4.
inline constexpr int64_t GCD_HALF_GCD_MIN_BITS = 40000;
// With more than one thread, the four products that carry a sub-call's
// matrix to the whole values, and the seven of a matrix product, run side by
// side on the task pool once the split point (bits) or the matrix entries
// reach this size; below, handing off would cost more than the products
// save. Measured on GCDs of two random 5,000,000-bit values with two
// threads, limits of 30,000 bits, 120,000 and none (no hand-off) in
// interleaved rounds, least of 12 runs each, on the 2-core Xeon while other
// builds kept the load at 8 to 9: the process's CPU time was 1.04 s, 1.12 s
// and 1.06 s, the calling thread's own 0.62 s, 0.71 s and 0.75 s (one
// thread alone: 0.95 s). So the hand-off adds no measurable work and moves
// about a fifth of it off the calling thread, which shortens the critical
// path whenever the second core is free; with both cores taken by others
// the wall times did not tell the settings apart (least 2.07 s at 30,000,
// 2.08 s without). 30,000 bits is 1,000 limbs, where one product takes some
// tens of microseconds against a few for a hand-off. Toom-3 products from
// 3,000 limbs share their own pieces anyway (MUL_TOOM3_PARALLEL_MIN_LIMBS).
inline constexpr int64_t HALF_GCD_PARALLEL_MIN_BITS = 30000;

}  // namespace quorvel
