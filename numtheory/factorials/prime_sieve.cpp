// The primes up to m by a segmented sieve of Eratosthenes over odd numbers.
//
// The odd primes up to sqrt(m) come from a first small sieve; each segment
// then strikes their odd multiples from p^2 on (smaller multiples have a
// smaller prime factor and are struck by it), stepping 2p to skip the even
// ones. A segment's flags stay in cache, and the abort flag is polled once
// per segment.
#include <algorithm>
#include <cmath>

#include "numtheory/factorials/limits.h"
#include "numtheory/factorials/prime_products.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// floor(sqrt(m)), exact: the double estimate is off by at most one.
uint32_t floorSqrt(uint32_t m) {
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(m)));
  while (r * r > m) --r;
  while ((r + 1) * (r + 1) <= m) ++r;
  return static_cast<uint32_t>(r);
}

// Odd primes up to m by the plain sieve (m small).
std::vector<uint32_t> oddPrimesUpTo(uint32_t m) {
  std::vector<uint32_t> primes;
  std::vector<bool> composite(m / 2 + 1, false);  // composite[i] is 2i + 1
  for (uint32_t i = 1; 2 * i + 1 <= m; ++i) {
    if (composite[i]) continue;
    const uint32_t p = 2 * i + 1;
    primes.push_back(p);
    for (uint64_t q = uint64_t{p} * p; q <= m; q += 2 * p) composite[q / 2] = true;
  }
  return primes;
}

}  // namespace

bool primesUpTo(uint32_t m, std::vector<uint32_t>& primes) {
  primes.clear();
  if (m < 2) return true;
  primes.push_back(2);
  const std::vector<uint32_t> base = oddPrimesUpTo(floorSqrt(m));
  std::vector<uint8_t> composite(SIEVE_SEGMENT_ODDS);
  // A segment holds the odd numbers low, low + 2, ..., low + 2 (S - 1).
  for (uint64_t low = 3; low <= m; low += 2 * uint64_t{SIEVE_SEGMENT_ODDS}) {
    if (isAborted()) return false;
    const uint64_t high = std::min<uint64_t>(low + 2 * (uint64_t{SIEVE_SEGMENT_ODDS} - 1), m);
    std::fill(composite.begin(), composite.end(), 0);
    for (uint32_t p : base) {
      const uint64_t square = uint64_t{p} * p;
      if (square > high) break;
      // The first odd multiple of p at or above max(p^2, low).
      uint64_t q = std::max(square, (low + p - 1) / p * p);
      if ((q & 1) == 0) q += p;
      for (; q <= high; q += 2 * uint64_t{p}) composite[(q - low) / 2] = 1;
    }
    for (uint64_t q = low; q <= high; q += 2)
      if (!composite[(q - low) / 2]) primes.push_back(static_cast<uint32_t>(q));
  }
  return true;
}

}  // namespace quorvel
