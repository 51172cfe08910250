// Sizes and limits of the primality verdict and the next-prime search (the
// room's plan is in primes.h).
#pragma once

#include <cstdint>

namespace quorvel {

// Values of at most this many bits are decided by the deterministic test on
// one machine word; larger ones get the Baillie-PSW probable-prime test.
inline constexpr int64_t PRIME_WORD_BITS = 64;

// Trial division before the probable-prime test runs over the primes below
// this bound (168 primes). A prime factor found names the verdict's reason,
// and each costs one pass over the limbs per three primes: about 1 ms for a
// 10,000-bit value, under a hundredth of the test itself.
inline constexpr uint32_t TRIAL_DIVISION_BOUND = 1000;
// Moduli of the passes over the limbs are products of primes below 2^34, so
// that (r << 30) + limb with r below the modulus fits 64 bits.
inline constexpr uint64_t RESIDUE_MODULUS_LIMIT = uint64_t{1} << 34;

// Moduli up to this many bits run the tests on 64-bit word spans with the
// word-by-word reduction (quadratic, no allocation in the loop); larger ones
// on vnum products with REDC by two more products, which ride on the FFT.
// Baillie-PSW of a prime, words / vnum, best of the bench's runs on this
// 2-core machine under heavy load (quorvel-bench ring): 0.79 at 2,000 bits,
// 1.77 at 10,000. The same place as the modular power's limit
// (MODPOW_WORD_MAX_BITS), measured the same way; faster word rows move it
// up.
inline constexpr int64_t PRIME_WORD_RING_MAX_BITS = 4096;

// Selfridge's search for D tries this many values before it asks whether n
// is a square (a square n has no D with (D/n) = -1, so the search would
// not end).
inline constexpr int SELFRIDGE_TRIES_BEFORE_SQUARE_CHECK = 20;

// The next-prime search sieves windows of this many odd candidates per bit
// of the value, at least NEXT_PRIME_MIN_WINDOW: the gap to the next prime
// averages ln(x), 0.69 per bit, so a window holds the answer about three
// times in four (the gap is roughly exponential in distribution).
inline constexpr int64_t NEXT_PRIME_WINDOW_PER_BIT = 1;
inline constexpr int64_t NEXT_PRIME_MIN_WINDOW = 256;
// The sieve strikes multiples of the primes up to this many per bit of the
// value, between the bounds below: a candidate struck costs one residue per
// prime per window, one that gets through costs a strong test (as much as
// some hundred thousand residues at 10,000 bits).
inline constexpr uint32_t NEXT_PRIME_SIEVE_PER_BIT = 4;
inline constexpr uint32_t NEXT_PRIME_SIEVE_MIN = 1000;
inline constexpr uint32_t NEXT_PRIME_SIEVE_MAX = 1 << 20;

}  // namespace quorvel
