// The smallest prime above x: machine words below LARGEST_WORD_PRIME, a
// sieve over windows of odd candidates above (primes.h).
//
// The window holds c, c + 2, ..., c + 2 (W - 1) for the first odd c above
// x. For each odd prime p below the sieve bound, c + 2i = 0 (mod p) at
// i = (p - c mod p) (p + 1) / 2 mod p ((p + 1) / 2 is the inverse of 2), and
// every p-th index after it: all such candidates have the factor p and are
// struck (none is p itself, being above 2^64). The rest take Baillie-PSW
// in order; the first that passes is the answer. Their factors below the
// sieve bound are known to be absent, which is the test's precondition.
//
// The fraction done is that of a wait whose length is exponential with
// the mean gap ln(x): 1 - exp(-passed / ln x), which only grows and stays
// below 1 until the answer is found.
#include <algorithm>
#include <cmath>

#include "numtheory/primes/limits.h"
#include "numtheory/primes/primes.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

vnum vnumOfWord(uint64_t w) {
  vnum v(static_cast<int64_t>(w >> 1));
  v.shift(1);
  if (w & 1) v += vnum(int32_t{1});
  return v;
}

}  // namespace

vnum nextPrime(const vnum& x) {
  if (!x.plus || x < vnum(int32_t{2})) return vnum(int32_t{2});
  if (x < vnumOfWord(LARGEST_WORD_PRIME)) {
    uint64_t w = 0;
    for (int32_t i = x.len - 1; i >= 0; --i) w = (w << LIMB_BITS) | static_cast<uint32_t>(x.limbs[i]);
    return vnumOfWord(nextPrimeWord(w));
  }
  vnum c = x + vnum(int32_t{1});
  if ((c.limbs[0] & 1) == 0) c += vnum(int32_t{1});
  // Every candidate is at least c.
  if (c.bitLength() > scaleLimitBits) throw MSG_SCALE_OVER;

  const ProgressTask progress;
  const int64_t bits = c.bitLength();
  const double meanGap = static_cast<double>(bits) * std::log(2.0);
  const int64_t window = std::max(NEXT_PRIME_MIN_WINDOW, bits * NEXT_PRIME_WINDOW_PER_BIT);
  const auto sieveBound = static_cast<uint32_t>(
      std::clamp<int64_t>(bits * NEXT_PRIME_SIEVE_PER_BIT, NEXT_PRIME_SIEVE_MIN, NEXT_PRIME_SIEVE_MAX));
  const auto primes = oddPrimesBelow(sieveBound);
  if (!primes) return vnum();
  std::vector<char> struck(static_cast<size_t>(window));
  for (int64_t passed = 0;; passed += 2 * window) {
    const auto residues = residuesModPrimes(c, *primes);
    if (!residues) return vnum();
    std::fill(struck.begin(), struck.end(), 0);
    for (size_t j = 0; j < primes->size(); ++j) {
      const uint64_t p = (*primes)[j];
      const uint64_t first = (p - (*residues)[j]) % p * ((p + 1) / 2) % p;
      for (uint64_t i = first; i < static_cast<uint64_t>(window); i += p) struck[i] = 1;
    }
    for (int64_t i = 0; i < window; ++i) {
      if (struck[static_cast<size_t>(i)]) continue;
      progress.report(1 - std::exp(-static_cast<double>(passed + 2 * i) / meanGap));
      vnum candidate = c + vnum(2 * i);
      if (candidate.bitLength() > scaleLimitBits) throw MSG_SCALE_OVER;
      // An inner task: the test's own fraction is not the search's.
      const ProgressTask test;
      const BpswResult result = bailliePsw(candidate, RingChoice::BY_SIZE, test);
      if (isAborted()) return vnum();
      if (result == BpswResult::PROBABLE_PRIME) return candidate;
    }
    c += vnum(2 * window);
  }
}

}  // namespace quorvel
