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
// steps; from here on it recurses on top halves and pays products. Measured
// on the 2-core AMD EPYC (Zen 3) build machine at load 1.1 to 1.4, with the
// Karatsuba and Toom-3 products: the GCD of two random 5,000,000-bit values
// (quorvel-bench GCD) took 2.5 to 2.6 s with this threshold anywhere from
// 32,000 to 125,000, 3.1 to 3.5 s at 250,000 and 4.9 s at 500,000 (the
// best value with the products of before, which were several times slower
// at a few thousand limbs). The balance is between the quadratic Lehmer
// passes and the products: faster products move it down.
inline constexpr int64_t HALF_GCD_LEHMER_MAX_BITS = 125000;
// GCD operands whose smaller value has at least this many bits are reduced
// by halfGcd on the whole values; below it, by Lehmer steps alone. Measured
// as above, thread CPU time of GCDs of random values, Lehmer alone /
// halfGcd: 17 / 17 ms at 150,000 bits, 32-48 / 42 ms at 200,000, 107 /
// 49 at 300,000, 250 / 116 at 500,000, 631 / 261 at 800,000. (With the
// products of before both ways cost the same at 1,000,000 bits.)
inline constexpr int64_t GCD_HALF_GCD_MIN_BITS = 250000;

}  // namespace quorvel
