// Primality of one machine word, deterministic.
//
// Trial division by the primes below 64 names a small factor; then the
// strong test (Miller 1976, Rabin 1980) to the first twelve prime bases
// 2, 3, ..., 37: n - 1 = d 2^s with d odd, and a prime n has, for every
// base a, a^d = 1 or a^(d 2^r) = -1 for some r < s. The smallest odd
// composite that passes all twelve bases is
// psi_12 = 318,665,857,834,031,151,167,461 (Sorenson and Webster, "Strong
// pseudoprimes to twelve prime bases", Math. Comp. 2017), above 2^64, so
// below 2^64 the test is a proof.
#include <array>

#include "numtheory/primes/primes.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

constexpr std::array<uint32_t, 12> BASES{2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};
// The primes below 64, for trial division before the strong tests.
constexpr std::array<uint32_t, 18> SMALL_PRIMES{2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61};

uint64_t mulMod(uint64_t a, uint64_t b, uint64_t n) { return static_cast<uint64_t>(static_cast<u128>(a) * b % n); }

uint64_t powMod(uint64_t a, uint64_t e, uint64_t n) {
  uint64_t r = 1;
  a %= n;
  for (; e; e >>= 1) {
    if (e & 1) r = mulMod(r, a, n);
    a = mulMod(a, a, n);
  }
  return r;
}

// The strong test of odd n > a to base a.
bool strongProbablePrime(uint64_t n, uint64_t a) {
  uint64_t d = n - 1;
  int s = 0;
  while ((d & 1) == 0) {
    d >>= 1;
    ++s;
  }
  uint64_t x = powMod(a, d, n);
  if (x == 1 || x == n - 1) return true;
  for (int r = 1; r < s; ++r) {
    x = mulMod(x, x, n);
    if (x == n - 1) return true;
  }
  return false;
}

}  // namespace

PrimeVerdict wordPrimalityVerdict(uint64_t n) {
  if (n < 2) return {PrimeVerdict::NOT_PRIME};
  for (uint32_t p : SMALL_PRIMES) {
    if (n == p) return {PrimeVerdict::PRIME};
    if (n % p == 0) return {PrimeVerdict::COMPOSITE, p};
  }
  // No factor below 64: n below 64^2 is prime.
  if (n < 64 * 64) return {PrimeVerdict::PRIME};
  for (uint32_t a : BASES) {
    if (!strongProbablePrime(n, a)) {
      PrimeVerdict composite{PrimeVerdict::COMPOSITE};
      composite.failsBase2 = a == 2;
      return composite;
    }
  }
  return {PrimeVerdict::PRIME};
}

uint64_t nextPrimeWord(uint64_t n) {
  if (n < 2) return 2;
  uint64_t c = n + 1 + (n & 1 ? 1 : 0);  // the first odd number above n
  while (wordPrimalityVerdict(c).kind != PrimeVerdict::PRIME) c += 2;
  return c;
}

}  // namespace quorvel
