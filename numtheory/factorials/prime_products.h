// The factorials room: factorial.cpp holds P(n, r) and the keys n!, nPr
// and nCr on it, with their checks; falling_factorial_by_primes.cpp,
// binomial_by_primes.cpp and binomial_by_cancelling.cpp the prime
// factorisations; prime_sieve.cpp the primes; word_product.cpp the products
// of packed words. The thresholds are in limits.h.
//
// The factorial family's building blocks: a prime sieve, a product of many
// machine words, P(n, r) and n! from their prime factorisations, and C(n, k)
// either from its primes (Kummer) or from its factors with k!'s primes
// cancelled.
//
// n! = 2^(n - popcount(n)) * prod p^e(p) over odd primes p <= n, with
// Legendre's e(p) = sum floor(n / p^i). Reading the exponents bit by bit
// from the top, acc <- acc^2 * Q_j with Q_j the product of the primes whose
// exponent has bit j set, builds the odd part from about log2(n) squarings
// and products of primes whose total length is O(n) bits, instead of a
// product tree over the n log2 n bits of all factors.
//
// Every long loop polls the abort flag (per sieve segment, per block of
// primes, per squaring and per tree node); a call that sees it returns false
// or a meaningless value and writes nothing but its own locals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vnum/vnum.h"

namespace quorvel {

// primes <- every prime up to m, ascending. False when the abort flag
// stopped the sieve.
bool primesUpTo(uint32_t m, std::vector<uint32_t>& primes);

// Collects factors into as few words as possible: each word is the product
// of consecutive factors, closed when the next one would carry it past 2^64.
class WordPacker {
 public:
  void add(uint64_t factor);
  // The packed words, the open one included.
  std::vector<uint64_t>& finish();

 private:
  std::vector<uint64_t> words_;
  uint64_t open_ = 1;
};

// The product of count words (1 for none). A meaningless value when the
// abort flag stopped it; callers poll after the call.
vnum productOfWords(const uint64_t* words, size_t count);

// result <- the product of the packer's words. False, with result untouched,
// when the abort flag stopped it.
bool storeProductOfWords(vnum& result, WordPacker& packer);

// v_p(x!) = sum over i >= 1 of floor(x / p^i) (Legendre's formula); below
// x / (p - 1) <= x, so it fits x's own type.
inline uint32_t legendreExponent(uint32_t x, uint32_t p) {
  uint32_t e = 0;
  for (uint32_t q = x / p; q > 0; q /= p) e += q;
  return e;
}

// result <- P(n, r) = n! / (n - r)! for r <= n <= 2^21. False, with result
// untouched, when the abort flag stopped it.
bool fallingFactorialByPrimes(vnum& result, uint32_t n, uint32_t r);

// result <- C(n, k) for k <= n / 2, k <= 2^21 and n < 2^63. False, with
// result untouched, when the abort flag stopped it.
bool binomialByCancelling(vnum& result, uint64_t n, uint32_t k);

// result <- C(n, k) for k <= n from the primes up to n. False, with result
// untouched, when the abort flag stopped it.
bool binomialByPrimes(vnum& result, uint32_t n, uint32_t k);

}  // namespace quorvel
