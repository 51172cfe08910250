// P(n, r) = n! / (n - r)! from its prime factorisation, by the bits of the
// exponents; r = n gives n!.
//
// With Legendre's L(x, p) = sum_i floor(x / p^i), the exponent of p in
// P(n, r) is e(p) = L(n, p) - L(n - r, p). With Q_j the product of the odd
// primes p <= n whose e(p) has bit j set,
//   odd part of P(n, r) = prod_j Q_j^(2^j) = (...((Q_t)^2 Q_(t-1))^2 ...)^2 Q_0,
// and the power of two, e(2) = (n - popcount(n)) - (m - popcount(m)) with
// m = n - r, is one shift at the end. The high bits hold a few small
// primes, Q_0 about half of all of them. The squarings carry the bulk of
// the length; the Q_j are short (for 100,000! they hold about 200,000 of
// its 1,516,705 bits), so their product trees cost little. They are formed
// before the squarings, each a piece for the task pool.
#include <algorithm>
#include <bit>
#include <utility>

#include "numtheory/factorials/limits.h"
#include "numtheory/factorials/prime_products.h"
#include "platform/abort_flags.h"
#include "platform/task_pool.h"

namespace quorvel {

bool fallingFactorialByPrimes(vnum& result, uint32_t n, uint32_t r) {
  const uint32_t m = n - r;
  std::vector<uint32_t> primes;
  if (!primesUpTo(n, primes)) return false;
  // exponents[i] = e(primes[i]) for the odd primes (index 0 is 2).
  std::vector<uint32_t> exponents(primes.size(), 0);
  uint32_t largest = 0;
  for (size_t i = 1; i < primes.size(); ++i) {
    exponents[i] = legendreExponent(n, primes[i]) - legendreExponent(m, primes[i]);
    largest = std::max(largest, exponents[i]);
  }
  const int topBit = std::bit_width(largest) - 1;
  // Every Q_j first, side by side on the task pool for a long list.
  std::vector<vnum> q(static_cast<size_t>(topBit + 1));
  auto formQ = [&](int j) {
    WordPacker packer;
    for (size_t i = 1; i < primes.size(); ++i)
      if ((exponents[i] >> j) & 1) packer.add(primes[i]);
    std::vector<uint64_t>& words = packer.finish();
    q[static_cast<size_t>(j)] = productOfWords(words.data(), words.size());
  };
  if (primes.size() >= FACTORIAL_PARALLEL_MIN_PRIMES) {
    parallelFor(topBit + 1, formQ);
  } else {
    for (int j = 0; j <= topBit; ++j) {
      if (isAborted()) return false;
      formQ(j);
    }
  }
  vnum acc(int32_t{1});
  for (int j = topBit; j >= 0; --j) {
    if (isAborted()) return false;
    if (j < topBit) acc *= acc;
    acc *= q[static_cast<size_t>(j)];
  }
  acc.shift((static_cast<int64_t>(n) - std::popcount(n)) - (static_cast<int64_t>(m) - std::popcount(m)));
  if (isAborted()) return false;
  result = std::move(acc);
  return true;
}

}  // namespace quorvel
