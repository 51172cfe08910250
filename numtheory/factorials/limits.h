// Sizes and limits of the factorial family: P(n, r), n!, nPr and nCr (the
// room's plan is in prime_products.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

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
