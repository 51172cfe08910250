// Sizes and limits of the power, square root, GCD and factorial functions.
#pragma once

#include <cstddef>
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

// --- modular power ---

// Moduli up to this many bits are exponentiated on 64-bit words with the
// word-by-word reduction (quadratic, no allocation in the loop); larger ones
// on vnum products with REDC by two more products. A whole modular power
// (exponent as long as the modulus), words / vnum, thread CPU time on this
// 2-core machine at load 1.2, two runs: 0.81-0.94 at 1,024 bits, 0.34-0.54
// at 1,536, 0.53-0.63 at 2,048, 0.83-1.18 at 3,072, 0.80-0.98 at 4,096,
// 1.39-1.53 at 8,192. (With the products of before, schoolbook up to 100
// combined limbs and a transform above, one squaring met near 160,000
// bits.) Faster vnum products move it down.
inline constexpr int64_t MODPOW_WORD_MAX_BITS = 4096;
// Widest window of the sliding-window power (bits): its table holds
// 2^(w-1) odd powers. The cost model stops paying beyond this width for
// any exponent within the cap.
inline constexpr int MODPOW_MAX_WINDOW_BITS = 10;
// The table of odd powers may hold at most this many bytes of forms, so
// that a huge modulus takes a narrower window instead of a huge table.
inline constexpr int64_t MODPOW_TABLE_MAX_BYTES = int64_t{16} << 20;

// --- greatest common divisor ---

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

// --- falling factorial P(n, r), n!, nPr, nCr ---

// Largest r accepted by P(n, r) ("Too big value." above): 2^20.
inline constexpr int32_t FALLING_FACTORIAL_MAX_R = 1048576;
// Up to this n the whole product is formed in a signed 64-bit word:
// 20! = 2432902008176640000 < 2^63 < 21!.
inline constexpr int32_t FALLING_FACTORIAL_WORD_MAX_N = 20;
// n below 2^63 keeps every factor n - i in one machine word, packed and
// multiplied in words; from this many bits on the factors are vnums.
inline constexpr int64_t WORD_FACTOR_MAX_BITS = 63;
// P(n, r) comes from its prime factorisation when n <= this times r, and
// from the product of its r factors otherwise. From primes / by factors,
// CPU time on this machine under load, at r = n / 2: 1.2 for n = 30,000,
// 0.86 for 100,000, 0.6 for 300,000; the primes win more as r nears n
// (0.45 at n = 100,000, r = 3n / 4) and lose below n / 4 for small n.
inline constexpr uint32_t FALLING_PRIMES_MAX_SPAN = 2;
// Products of up to this many packed words are accumulated word by word
// (one mulWordsBy pass per word); larger ones are split into vnum products.
// A leaf of c words / two leaves of c/2 and their vnum product, thread CPU
// time on this machine at load 2: 0.76 at 32 words, 0.77 at 64, 0.83 at
// 128, 1.42 at 256, 1.41 at 512, 1.55 at 1,024. (With the products of
// before the leaf was ahead up to about 1,500 words.) Faster vnum products
// move it down.
inline constexpr int32_t WORD_PRODUCT_MAX_WORDS = 128;
// Products of at least this many packed words form their two halves side by
// side on the task pool; a product tree of that many vnum factors (n of 64
// bits or more) hands each level's products to it in ranges, at most
// PRODUCT_TREE_RANGES_PER_THREAD per thread.
inline constexpr int32_t WORD_PRODUCT_PARALLEL_MIN_WORDS = 4096;
inline constexpr int PRODUCT_TREE_RANGES_PER_THREAD = 2;
// P(n, r) by primes forms its Q_j side by side on the task pool from this
// many primes up to n on.
inline constexpr size_t FACTORIAL_PARALLEL_MIN_PRIMES = 4096;
// C(n, k) comes from the primes up to n (Kummer) when n <= this times k,
// and from cancelling k!'s primes out of the k factors above. Measured
// before the products, on this machine: the sieve and exponents cost about
// 2 ns per unit of n, the cancelling about 40 ns per factor (its strides
// through the factors miss the cache).
inline constexpr uint32_t BINOMIAL_PRIMES_MAX_SPAN = 16;
// Odd numbers per segment of the prime sieve (one flag byte each): 64 KB
// of flags, which stay in the second-level cache, and a poll per segment
// (a fraction of a millisecond).
inline constexpr int32_t SIEVE_SEGMENT_ODDS = 65536;
// The binomials poll the abort flag once per this many primes. Cancelling
// visits about k / p factors for the prime p, so the first block (primes up
// to 311) costs the most: some 2k visits, 12 to 25 ms at k = 2^20 (CPU
// time on this machine under load).
inline constexpr size_t PRIME_POLL_INTERVAL = 64;
// Bits taken off Stirling's lower bound on log2 n! before it is compared
// with the cap. The bound's own rounding is below 10^-8 bits at the cap;
// the slack must stay below the 5.9 bits by which 298,594! passes it.
inline constexpr double FACTORIAL_SIZE_SLACK_BITS = 1.0;
// Bits of slack taken off the estimated log2 of an nPr or nCr result before
// it is compared with the cap. The estimate's floating error is far below one
// bit; the slack only makes sure that no result that fits is refused.
inline constexpr double RESULT_SIZE_SLACK_BITS = 64.0;

}  // namespace quorvel
