// The falling factorial P(n, r) = n (n-1) ... (n-r+1) and the three keys on
// it: n! = P(n, n), nPr = P(n, r), nCr = P(n, r) / P(r, r).
//
// Plan of P(n, r):
//  1. n <= 20: the whole product in one signed 64-bit word (20! < 2^63).
//  2. n < 2^63: factors multiplied into a 64-bit chunk, which is flushed to
//     the list once it reaches 2^40, or before a factor that could carry it
//     past 2^63 (bit widths adding up to more than 63). Below n = 2^23 the
//     second rule never fires: a chunk below 2^40 times a factor below 2^23
//     stays below 2^63.
//  3. n >= 2^63: every factor is a leaf of its own.
//  4. A balanced product tree: each level multiplies chunk i with chunk
//     c-1-i, carrying an odd middle chunk, so that the large factors at the
//     front meet the small ones at the back and the two operands of every
//     product have similar length. The two lowest levels of the word chunks
//     run in 128- and 256-bit machine arithmetic; vnums start above them.
//
// Size guard of nPr and nCr: log2 P(n, r) is the sum of log2(n - i), taken as
// r log2(n - r + 1) when every factor has more than 32 bits (a lower bound,
// short by at most r^2 / (2 (n - r + 1) ln 2) bits: under 200 at the smallest
// such n, and shrinking as n grows) and from lgamma below, where n < 2^33 and
// lgamma's rounding stays far below a bit.
// A result is refused only when that estimate, less RESULT_SIZE_SLACK_BITS,
// still reaches the cap, so anything that fits is computed.
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "numtheory/functions.h"
#include "numtheory/functions_limits.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

// The low 64 bits of a non-negative value.
uint64_t low64(const vnum& v) {
  uint64_t w = static_cast<uint32_t>(v.limbs[0]);
  w |= static_cast<uint64_t>(static_cast<uint32_t>(v.limbs[1])) << LIMB_BITS;
  if (v.len > 2) w |= static_cast<uint64_t>(static_cast<uint32_t>(v.limbs[2])) << (2 * LIMB_BITS);
  return w;
}

// A non-negative value from 64-bit words, least significant first.
vnum fromWords(const uint64_t* words, int count) {
  int32_t n = (64 * count + LIMB_BITS - 1) / LIMB_BITS + 1;  // + a sign limb
  n += n & 1;
  vnum v;
  v.extendTo(n);
  u128 pending = 0;
  int pendingBits = 0, next = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (pendingBits < LIMB_BITS && next < count) {
      pending |= static_cast<u128>(words[next++]) << pendingBits;
      pendingBits += 64;
    }
    v.limbs[i] = static_cast<int32_t>(static_cast<uint64_t>(pending) & LIMB_MASK);
    pending >>= LIMB_BITS;
    pendingBits = pendingBits > LIMB_BITS ? pendingBits - LIMB_BITS : 0;
  }
  v.normalize();
  return v;
}

vnum fromU128(u128 x) {
  const uint64_t words[2] = {static_cast<uint64_t>(x), static_cast<uint64_t>(x >> 64)};
  return fromWords(words, 2);
}

// a * b as a vnum, through four 64 x 64-bit products. The middle column sums
// three values below 2^64 and the top one is below 2^128 because the whole
// product is below 2^256.
vnum product128(u128 a, u128 b) {
  const uint64_t a0 = static_cast<uint64_t>(a), a1 = static_cast<uint64_t>(a >> 64);
  const uint64_t b0 = static_cast<uint64_t>(b), b1 = static_cast<uint64_t>(b >> 64);
  const u128 p00 = static_cast<u128>(a0) * b0, p01 = static_cast<u128>(a0) * b1;
  const u128 p10 = static_cast<u128>(a1) * b0, p11 = static_cast<u128>(a1) * b1;
  const u128 middle = (p00 >> 64) + static_cast<uint64_t>(p01) + static_cast<uint64_t>(p10);
  const u128 high = (middle >> 64) + (p01 >> 64) + (p10 >> 64) + p11;
  const uint64_t words[4] = {static_cast<uint64_t>(p00), static_cast<uint64_t>(middle), static_cast<uint64_t>(high),
                             static_cast<uint64_t>(high >> 64)};
  return fromWords(words, 4);
}

// Plan step 2 for 21 <= m < 2^63: the chunks of m (m-1) ... (m-r+1), largest
// factors first. Every chunk stays below 2^63.
std::vector<uint64_t> wordChunks(uint64_t m, int32_t r) {
  constexpr uint64_t flushAt = uint64_t{1} << CHUNK_FLUSH_BITS;
  std::vector<uint64_t> chunks;
  uint64_t acc = 1;
  for (int32_t i = 0; i < r; ++i) {
    const uint64_t factor = m - static_cast<uint64_t>(i);
    if (std::bit_width(acc) + std::bit_width(factor) > CHUNK_MAX_BITS) {
      chunks.push_back(acc);
      acc = 1;
    }
    acc *= factor;
    if (acc >= flushAt) {
      chunks.push_back(acc);
      acc = 1;
    }
  }
  if (acc > 1) chunks.push_back(acc);
  return chunks;
}

// Plan step 4 on vnum chunks: leaves the product in chunks[0]. False when the
// abort flag stopped it.
bool productTree(std::vector<vnum>& chunks) {
  size_t c = chunks.size();
  while (c >= 2) {
    if (isAborted()) return false;
    for (size_t i = 0; i < c / 2; ++i) chunks[i] *= chunks[c - 1 - i];
    c = (c + 1) / 2;
    chunks.resize(c);
  }
  return true;
}

// Plan step 4 on word chunks: the two machine levels, then the vnum tree.
bool wordProductTree(vnum& result, const std::vector<uint64_t>& words) {
  if (words.size() <= 1) {
    result = words.empty() ? vnum(int32_t{1}) : fromWords(words.data(), 1);
    return true;
  }
  if (isAborted()) return false;
  size_t c = words.size();
  std::vector<u128> wide((c + 1) / 2);
  for (size_t i = 0; i < c / 2; ++i) wide[i] = static_cast<u128>(words[i]) * words[c - 1 - i];
  if (c & 1) wide[c / 2] = words[c / 2];
  if (wide.size() == 1) {
    result = fromU128(wide[0]);
    return true;
  }
  if (isAborted()) return false;
  c = wide.size();
  std::vector<vnum> chunks;
  chunks.reserve((c + 1) / 2);
  for (size_t i = 0; i < c / 2; ++i) chunks.push_back(product128(wide[i], wide[c - 1 - i]));
  if (c & 1) chunks.push_back(fromU128(wide[c / 2]));
  if (!productTree(chunks)) return false;
  result = std::move(chunks[0]);
  return true;
}

// The three refusals of P(n, r), in their order.
void checkArguments(const vnum& n, const vnum& r) {
  if (!n.plus || !r.plus) throw MSG_NEGATIVE_VALUE;
  if (n < r) throw MSG_BAD_ARGUMENT;
  if (r > vnum(FALLING_FACTORIAL_MAX_R)) throw MSG_TOO_BIG_VALUE;
}

// P(n, r) for checked arguments (r <= 2^20). False, with result untouched,
// when the abort flag stopped the product tree.
bool fallingFactorialChecked(vnum& result, const vnum& n, int32_t r) {
  if (r == 0) {
    result = vnum(int32_t{1});
    return true;
  }
  if (n.bitLength() <= CHUNK_MAX_BITS) {
    const uint64_t m = low64(n);
    if (m <= static_cast<uint64_t>(FALLING_FACTORIAL_WORD_MAX_N)) {
      int64_t product = 1;
      for (int32_t i = 0; i < r; ++i) product *= static_cast<int64_t>(m) - i;
      result = vnum(product);
      return true;
    }
    return wordProductTree(result, wordChunks(m, r));
  }
  std::vector<vnum> chunks;
  chunks.reserve(static_cast<size_t>(r));
  vnum factor(n);
  const vnum one(int32_t{1});
  for (int32_t i = 0; i < r; ++i) {
    chunks.push_back(factor);
    factor -= one;
  }
  if (!productTree(chunks)) return false;
  result = std::move(chunks[0]);
  return true;
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

}  // namespace

void fallingFactorial(vnum& result, const vnum& n, const vnum& r) {
  checkArguments(n, r);
  fallingFactorialChecked(result, n, r.limbs[0]);
}

vnum factorial(const vnum& n) {
  vnum result;
  fallingFactorial(result, n, n);
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
  vnum t, u;
  if (!fallingFactorialChecked(t, n, count)) return vnum();
  if (!fallingFactorialChecked(u, r, count)) return vnum();
  divide(t, u);
  return t;
}

}  // namespace quorvel
