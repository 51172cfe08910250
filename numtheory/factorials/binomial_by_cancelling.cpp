// C(n, k) = n (n-1) ... (n-k+1) / k! without a long division: every prime
// p <= k is divided out of the k factors v_p(k!) = sum_i floor(k / p^i)
// times, and the product of what remains is the binomial.
//
// The factors hold enough of each p because C(n, k) is an integer. The
// multiples of p among them are every p-th, from index n mod p on (factor i
// is n - i). An odd p is tested and divided out with its inverse modulo
// 2^64 (Granlund and Montgomery): f is a multiple of p exactly when
// f * p^-1 mod 2^64 <= (2^64 - 1) / p, and then that product is f / p. The
// prime 2 comes off by trailing zero counts. The visits number about
// k ln ln k.
#include <algorithm>
#include <bit>
#include <cassert>
#include <utility>

#include "numtheory/factorials/limits.h"
#include "numtheory/factorials/prime_products.h"
#include "numtheory/words/word_span.h"
#include "platform/abort_flags.h"

namespace quorvel {

bool binomialByCancelling(vnum& result, uint64_t n, uint32_t k) {
  assert(n < (uint64_t{1} << 63) && uint64_t{k} <= n / 2);
  std::vector<uint64_t> factors(k);
  for (uint32_t i = 0; i < k; ++i) factors[i] = n - i;
  std::vector<uint32_t> primes;
  if (!primesUpTo(k, primes)) return false;
  for (size_t index = 0; index < primes.size(); ++index) {
    if (index % PRIME_POLL_INTERVAL == 0 && isAborted()) return false;
    const uint32_t p = primes[index];
    uint64_t need = legendreExponent(k, p);
    if (p == 2) {
      for (uint64_t i = n & 1; need > 0 && i < k; i += 2) {
        const uint64_t take = std::min<uint64_t>(std::countr_zero(factors[i]), need);
        factors[i] >>= take;
        need -= take;
      }
    } else {
      const uint64_t inverse = 0 - negatedInverseWord(p);
      const uint64_t limit = UINT64_MAX / p;
      for (uint64_t i = n % p; need > 0 && i < k; i += p) {
        while (need > 0 && factors[i] * inverse <= limit) {
          factors[i] *= inverse;
          --need;
        }
      }
    }
    assert(need == 0);
  }
  WordPacker packer;
  for (uint64_t f : factors)
    if (f != 1) packer.add(f);
  return storeProductOfWords(result, packer);
}

}  // namespace quorvel
