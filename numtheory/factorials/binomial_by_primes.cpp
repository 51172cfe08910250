// C(n, k) from its prime factorisation (Kummer): the exponent of a prime p
// in C(n, k) is the number of borrows when k is subtracted from n in base p,
//   e(p) = sum_i floor(n / p^i) - floor(k / p^i) - floor((n - k) / p^i),
// each term 0 or 1. So p^e(p) <= n, one factor of one word per prime. Above
// sqrt(n) only the last digit can borrow: p divides C(n, k) exactly when
// n mod p < k mod p. Every prime up to n is visited once, in order.
#include <utility>

#include "numtheory/factorials/limits.h"
#include "numtheory/factorials/prime_products.h"
#include "platform/abort_flags.h"

namespace quorvel {

bool binomialByPrimes(vnum& result, uint32_t n, uint32_t k) {
  std::vector<uint32_t> primes;
  if (!primesUpTo(n, primes)) return false;
  const uint32_t m = n - k;
  WordPacker packer;
  for (size_t index = 0; index < primes.size(); ++index) {
    if (index % PRIME_POLL_INTERVAL == 0 && isAborted()) return false;
    const uint32_t p = primes[index];
    if (uint64_t{p} * p > n) {
      if (n % p < k % p) packer.add(p);
      continue;
    }
    uint64_t power = 1;
    for (uint64_t q = p; q <= n; q *= p)
      if (n / q - k / q - m / q) power *= p;
    packer.add(power);
  }
  return storeProductOfWords(result, packer);
}

}  // namespace quorvel
