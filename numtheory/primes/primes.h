// The primes room: the primality verdict and the next prime (functions.h
// has the public calls), and the pieces they share.
//
// A verdict on n travels: n < 2 is "not prime"; n below 2^64 gets the
// deterministic test on one machine word (word_primality.cpp: the small
// primes, then the strong test to the first twelve prime bases); above,
// trial division by the primes below TRIAL_DIVISION_BOUND
// (small_residues.cpp, a few primes per pass over the limbs), then the
// Baillie-PSW test (baillie_psw.cpp): the strong test to base 2 and the
// strong Lucas test with Selfridge's parameters, on the residue ring that
// suits n's size (residue_rings.h). No composite is known to pass it; it is
// not a proof, hence "probable prime".
//
// The next prime after x (next_prime.cpp) steps through machine words below
// 2^64 - 59, the largest prime of one word; above, it sieves windows of odd
// candidates by their residues mod the small primes and runs Baillie-PSW
// on those the sieve lets through, in order.
//
// Both poll the abort flag once per exponent bit of their powers and once
// per pass of the residues, and report their fraction done (exponent bits
// done; candidates passed against the expected gap). A cancelled call
// returns a meaningless value; the callers poll before they use it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "numtheory/functions.h"
#include "platform/progress.h"
#include "vnum/vnum.h"

namespace quorvel {

// --- one machine word (word_primality.cpp) ---

// The verdict on n, deterministic: a strong pseudoprime to all of the first
// twelve prime bases is above 3.18 * 10^23 (Sorenson and Webster 2015),
// far above 2^64.
PrimeVerdict wordPrimalityVerdict(uint64_t n);
// The smallest prime above n, for n below LARGEST_WORD_PRIME.
uint64_t nextPrimeWord(uint64_t n);
// 2^64 - 59, the largest prime below 2^64.
inline constexpr uint64_t LARGEST_WORD_PRIME = 18446744073709551557ull;

// --- small primes and residues (small_residues.cpp) ---

// The odd primes below `bound`, ascending; nothing when the abort flag
// stopped the sieve.
std::optional<std::vector<uint32_t>> oddPrimesBelow(uint32_t bound);
// x mod p for each p of `primes` (x >= 0), or nothing when the abort flag
// stopped the passes.
std::optional<std::vector<uint32_t>> residuesModPrimes(const vnum& x, const std::vector<uint32_t>& primes);

// --- Baillie-PSW (baillie_psw.cpp) ---

enum class BpswResult { PROBABLE_PRIME, FAILS_BASE_2, FAILS_LUCAS, SQUARE };
// Which residue ring carries the test: chosen by size, or one of the two
// (tests run both on the same values).
enum class RingChoice { BY_SIZE, WORDS, VNUM };

// The strong Lucas test with Selfridge's parameters on an odd n > 1,000
// (any factor of D or Q in n counts as failing).
bool strongLucasProbablePrime(const vnum& n, RingChoice ring);

// Baillie-PSW on an odd n above 2^64 without a prime factor below
// TRIAL_DIVISION_BOUND. Reports the fraction done through `progress`
// mapped onto [from, to). Meaningless after a cancel.
BpswResult bailliePsw(const vnum& n, RingChoice ring, const ProgressTask& progress, double from = 0,
                      double to = 1);

}  // namespace quorvel
