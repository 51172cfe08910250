// Residues of a long value mod many small primes.
//
// The primes are packed into moduli m = p1 p2 ... below 2^34, and one pass
// over the 30-bit limbs from the top, r <- (r 2^30 + limb) mod m, gives
// x mod m; each p then takes (x mod m) mod p. A 64-bit division per limb
// and modulus is the cost, so packing three primes of ten bits cuts the
// passes threefold. The abort flag is polled once per pass.
#include "numtheory/factorials/prime_products.h"
#include "numtheory/primes/limits.h"
#include "numtheory/primes/primes.h"
#include "platform/abort_flags.h"

namespace quorvel {

std::optional<std::vector<uint32_t>> oddPrimesBelow(uint32_t bound) {
  std::vector<uint32_t> primes;
  if (bound < 4) return primes;
  if (!primesUpTo(bound - 1, primes)) return std::nullopt;
  primes.erase(primes.begin());  // 2
  return primes;
}

std::optional<std::vector<uint32_t>> residuesModPrimes(const vnum& x, const std::vector<uint32_t>& primes) {
  std::vector<uint32_t> residues(primes.size());
  size_t first = 0;
  while (first < primes.size()) {
    if (isAborted()) return std::nullopt;
    // The primes first..last-1 share one pass.
    uint64_t m = primes[first];
    size_t last = first + 1;
    while (last < primes.size() && m * primes[last] < RESIDUE_MODULUS_LIMIT) m *= primes[last++];
    uint64_t r = 0;
    for (int32_t i = x.len - 1; i >= 0; --i) r = ((r << LIMB_BITS) | static_cast<uint32_t>(x.limbs[i])) % m;
    for (size_t j = first; j < last; ++j) residues[j] = static_cast<uint32_t>(r % primes[j]);
    first = last;
  }
  return residues;
}

}  // namespace quorvel
