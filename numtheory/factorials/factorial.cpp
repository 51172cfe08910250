// The falling factorial P(n, r) = n (n-1) ... (n-r+1) and the three keys on
// it: n! = P(n, n), nPr = P(n, r), nCr = C(n, r) = P(n, r) / r!.
//
// Plan of P(n, r), after the refusals:
//  1. n <= 20: the whole product in one signed 64-bit word (20! < 2^63).
//  2. n >= 2^63: every factor a vnum leaf of a balanced product tree.
//  3. n within FALLING_PRIMES_MAX_SPAN times r (so n <= 2^21): from the
//     prime factorisation, by squarings (falling_factorial_by_primes.cpp);
//     n! is the case r = n.
//  4. Otherwise the factors packed into words and multiplied by a product
//     tree (word_product.cpp).
// nCr is C(n, k) with k = min(r, n - r) for n < 2^63: from the primes up to
// n (Kummer, binomial_by_primes.cpp) when n is within
// BINOMIAL_PRIMES_MAX_SPAN times k, else from the k factors with k!'s
// primes cancelled (binomial_by_cancelling.cpp). Beyond 2^63, where r is
// far below n, it is the exact quotient P(n, r) / r!.
//
// Size guard of nPr and nCr: log2 P(n, r) is the sum of log2(n - i), taken as
// r log2(n - r + 1) when every factor has more than 32 bits (a lower bound,
// short by at most r^2 / (2 (n - r + 1) ln 2) bits: under 200 at the smallest
// such n, and shrinking as n grows) and from lgamma below, where n < 2^33 and
// lgamma's rounding stays far below a bit.
// A result is refused only when that estimate, less RESULT_SIZE_SLACK_BITS,
// still reaches the cap, so anything that fits is computed.
//
// Size guard of n!: Stirling's lower bound n! >= sqrt(2 pi n) (n / e)^n,
// less FACTORIAL_SIZE_SLACK_BITS for rounding. It is within a hundred-
// thousandth of a bit of log2 n! at the cap, where consecutive factorials
// differ by 18 bits, so the first n! over the cap (298,594!, 5,000,006
// bits) is refused and the last one within it (298,593!, 4,999,988 bits)
// is computed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "numtheory/factorials/limits.h"
#include "numtheory/factorials/prime_products.h"
#include "numtheory/functions.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "platform/task_pool.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// The low 64 bits of a non-negative value.
uint64_t low64(const vnum& v) {
  uint64_t w = static_cast<uint32_t>(v.limbs[0]);
  w |= static_cast<uint64_t>(static_cast<uint32_t>(v.limbs[1])) << LIMB_BITS;
  if (v.len > 2) w |= static_cast<uint64_t>(static_cast<uint32_t>(v.limbs[2])) << (2 * LIMB_BITS);
  return w;
}

// Plan step 2: leaves are the factors themselves, paired first with last at
// every level so that each product meets operands of similar length. False
// when the abort flag stopped it.
bool vnumFactorProduct(vnum& result, const vnum& n, int32_t r) {
  std::vector<vnum> chunks;
  chunks.reserve(static_cast<size_t>(r));
  vnum factor(n);
  const vnum one(int32_t{1});
  for (int32_t i = 0; i < r; ++i) {
    chunks.push_back(factor);
    factor -= one;
  }
  // The products of a level read chunks [c - c/2, c) and write [0, c/2):
  // independent, so a long level goes to the task pool in ranges.
  const int ranges = r >= WORD_PRODUCT_PARALLEL_MIN_WORDS ? PRODUCT_TREE_RANGES_PER_THREAD * taskPoolThreads() : 1;
  for (size_t c = chunks.size(); c >= 2;) {
    if (isAborted()) return false;
    const int64_t pairs = static_cast<int64_t>(c / 2);
    parallelRanges(pairs, static_cast<int>(std::min<int64_t>(pairs, ranges)), [&](int64_t begin, int64_t end) {
      for (int64_t i = begin; i < end; ++i) chunks[static_cast<size_t>(i)] *= chunks[c - 1 - static_cast<size_t>(i)];
    });
    c = (c + 1) / 2;
    chunks.resize(c);
  }
  if (isAborted()) return false;
  result = std::move(chunks[0]);
  return true;
}

// Plan step 4 for 21 <= m < 2^63.
bool wordFactorProduct(vnum& result, uint64_t m, int32_t r) {
  WordPacker packer;
  for (int32_t i = 0; i < r; ++i) packer.add(m - static_cast<uint64_t>(i));
  std::vector<uint64_t>& words = packer.finish();
  vnum product = productOfWords(words.data(), words.size());
  if (isAborted()) return false;
  result = std::move(product);
  return true;
}

// C(m, k) for m < 2^63 and k <= m / 2, by whichever of the two
// factorisations costs less before the products.
bool binomialChecked(vnum& result, uint64_t m, uint32_t k) {
  if (m <= uint64_t{BINOMIAL_PRIMES_MAX_SPAN} * k) return binomialByPrimes(result, static_cast<uint32_t>(m), k);
  return binomialByCancelling(result, m, k);
}

// The three refusals of P(n, r), in their order.
void checkArguments(const vnum& n, const vnum& r) {
  if (!n.plus || !r.plus) throw MSG_NEGATIVE_VALUE;
  if (n < r) throw MSG_BAD_ARGUMENT;
  if (r > vnum(FALLING_FACTORIAL_MAX_R)) throw MSG_TOO_BIG_VALUE;
}

// P(n, r) for checked arguments (r <= 2^20). False, with result untouched,
// when the abort flag stopped it.
bool fallingFactorialChecked(vnum& result, const vnum& n, int32_t r) {
  if (r == 0) {
    result = vnum(int32_t{1});
    return true;
  }
  if (n.bitLength() > WORD_FACTOR_MAX_BITS) return vnumFactorProduct(result, n, r);
  const uint64_t m = low64(n);
  if (m <= static_cast<uint64_t>(FALLING_FACTORIAL_WORD_MAX_N)) {
    int64_t product = 1;
    for (int32_t i = 0; i < r; ++i) product *= static_cast<int64_t>(m) - i;
    result = vnum(product);
    return true;
  }
  if (m <= uint64_t{FALLING_PRIMES_MAX_SPAN} * static_cast<uint64_t>(r))
    return fallingFactorialByPrimes(result, static_cast<uint32_t>(m), static_cast<uint32_t>(r));
  return wordFactorProduct(result, m, r);
}

// log2 of a positive value, from its top 53 bits (never above the truth by
// more than a rounding of log2).
double log2Of(const vnum& v) {
  const int64_t bits = v.bitLength();
  if (bits <= 53) return std::log2(static_cast<double>(low64(v)));
  vnum top(v);
  top.shift(53 - bits);
  return std::log2(static_cast<double>(low64(top))) + static_cast<double>(bits - 53);
}

// Estimated log2 P(n, r); see the size guard above.
double log2FallingFactorial(const vnum& n, int32_t r) {
  if (r == 0) return 0.0;
  vnum smallest(n);
  smallest -= vnum(r - 1);
  if (smallest.bitLength() > 32) return r * log2Of(smallest);
  const double m = static_cast<double>(low64(n));
  return (std::lgamma(m + 1) - std::lgamma(m - r + 1)) / std::log(2.0);
}

// A result of estimated log2 size e has at least floor(e) + 1 bits.
void refuseOverCap(double log2Estimate) {
  if (log2Estimate - RESULT_SIZE_SLACK_BITS >= static_cast<double>(scaleLimitBits)) throw MSG_SCALE_OVER;
}

// Stirling's lower bound on log2 n!; see the size guard above.
double log2FactorialLowerBound(uint32_t n) {
  if (n == 0) return 0.0;
  const double m = n;
  return (m * std::log(m) - m + 0.5 * std::log(2 * std::numbers::pi * m)) / std::numbers::ln2;
}

}  // namespace

void fallingFactorial(vnum& result, const vnum& n, const vnum& r) {
  checkArguments(n, r);
  fallingFactorialChecked(result, n, r.limbs[0]);
}

vnum factorial(const vnum& n) {
  checkArguments(n, n);
  const int32_t m = n.limbs[0];  // n <= 2^20 lies in the low limb
  if (log2FactorialLowerBound(static_cast<uint32_t>(m)) - FACTORIAL_SIZE_SLACK_BITS >= static_cast<double>(scaleLimitBits))
    throw MSG_SCALE_OVER;
  vnum result;
  fallingFactorialChecked(result, n, m);
  return result;
}

vnum permutations(const vnum& n, const vnum& r) {
  checkArguments(n, r);
  const int32_t count = r.limbs[0];  // r <= 2^20 lies in the low limb
  refuseOverCap(log2FallingFactorial(n, count));
  vnum result;
  fallingFactorialChecked(result, n, count);
  return result;
}

vnum combinations(const vnum& n, const vnum& r) {
  checkArguments(n, r);
  const int32_t count = r.limbs[0];
  refuseOverCap(log2FallingFactorial(n, count) - std::lgamma(count + 1.0) / std::log(2.0));
  vnum result;
  if (n.bitLength() <= WORD_FACTOR_MAX_BITS) {
    const uint64_t m = low64(n);
    const uint64_t k = std::min<uint64_t>(static_cast<uint64_t>(count), m - static_cast<uint64_t>(count));
    binomialChecked(result, m, static_cast<uint32_t>(k));
    return result;
  }
  vnum t, u;
  if (!fallingFactorialChecked(t, n, count)) return vnum();
  if (!fallingFactorialChecked(u, r, count)) return vnum();
  divide(t, u);
  if (isAborted()) return vnum();
  return t;
}

}  // namespace quorvel
