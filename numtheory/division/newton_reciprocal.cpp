// Reciprocal of a divisor by Newton stages of doubling precision.
//
// Target: V ~ Z = 2^(K+m) / C for C of m bits. Stage k works on the divisor
// scaled to k bits and rounded up, c_k = ceil(C * 2^(k-m)) (exact for
// k >= m), and approximates z_k = 2^(2k) / c_k <= Z_k = 2^(k+m) / C. Since
// c_k <= C 2^(k-m) + 1, Z_k - z_k <= 2^(2m) / C^2 <= 4.
//
// Plan (each stage keeps x_k <= z_k < x_k + 2):
//  1. Stage k0 = min(K, 62): x = floor(2^(2 k0) / c_k0), one 128-bit
//     division.
//  2. Stage k -> k' (k' <= 2k - 6): carry y = x_k * 2^(k'-k). Then
//     y <= Z_k' and Z_k' - y = 2^(k'-k) (Z_k - x_k) <= 6 * 2^(k'-k), so
//     |z_k' - y| <= 6 * 2^(k'-k) (y may exceed z_k' by at most 4).
//  3. One Newton step: with the residue e = 2^(k+k') - c_k' x_k (exact, of
//     either sign, about k' - k + 3 bits above bit k),
//         x_k' = y + floor(x_k * floor(e / 2^j) / 2^(2k-j)),  j = k - 4,
//     which is y + y (2^(2k') - c_k' y) / 2^(2k') but for the two floors.
//     Without them the step lands at f(y) with z - f(y) = (z - y)^2 / z,
//     never above z and at most 36 * 2^(2(k'-k) - k') <= 36/64 below it.
//     Both floors only lower the result (x_k > 0), the inner one by less
//     than x_k 2^j / 2^(2k) < 2^(j+1-k) = 1/8, the outer one by less than 1:
//     z - x_k' < 36/64 + 1/8 + 1 < 2.
// At K: 0 <= Z - V <= 4 + 2 = 6.
//
// Cost: stage k' multiplies c_k' (k' bits) by x_k (k bits) and x_k by the
// top k' - k + 7 bits of e: with k' ~ 2k, a 2k x k and a k x k product.
// Summed over the stages, about 2.5 k'-bit products' worth of combined
// length at the last, five K-bit products' worth of combined length in all.
#include <algorithm>
#include <cassert>
#include <vector>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/limits.h"
#include "numtheory/division/quotient.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// c_k = ceil(C * 2^(k-m)): C's top k bits plus one when bits are dropped
// (an upper bound even when the dropped bits are all zero), C shifted left
// otherwise.
vnum scaledDivisor(const vnum& C, int64_t m, int64_t k) {
  if (k >= m) {
    vnum c(C);
    c.shift(k - m);
    return c;
  }
  vnum c = bitField(C, m - k, k);
  c += vnum(int32_t{1});
  return c;
}

// floor(2^(2k) / c) for c of at most k + 1 bits, k <= 62: the quotient is
// below 2^(k+1) and the dividend fits 128 bits.
vnum startReciprocal(const vnum& c, int64_t k) {
  assert(k <= RECIPROCAL_START_BITS && magnitudeBits(c) <= k + 1);
  unsigned __int128 divisor = 0;
  for (int32_t i = std::min(c.len, 4) - 1; i >= 0; --i)
    divisor = (divisor << LIMB_BITS) | static_cast<uint32_t>(c.limbs[i]);
  const unsigned __int128 x = (static_cast<unsigned __int128>(1) << (2 * k)) / divisor;
  const uint64_t value = static_cast<uint64_t>(x);
  vnum v(static_cast<int64_t>(value >> 32));
  v.shift(32);
  v += vnum(static_cast<int64_t>(value & 0xffffffffu));
  return v;
}

}  // namespace

vnum newtonReciprocal(const vnum& C, int64_t m, int64_t K) {
  // Stage precisions from K down, each at least half of the next plus the
  // loss, then walked upward.
  const int64_t k0 = std::min(K, RECIPROCAL_START_BITS);
  std::vector<int64_t> stages{K};
  while (stages.back() > k0) {
    const int64_t below = (stages.back() + NEWTON_STAGE_LOSS_BITS + 1) / 2;
    stages.push_back(std::max(k0, below));
  }
  std::reverse(stages.begin(), stages.end());

  vnum x = startReciprocal(scaledDivisor(C, m, stages[0]), stages[0]);
  for (size_t i = 1; i < stages.size(); ++i) {
    if (isAborted()) return x;
    const int64_t k = stages[i - 1];
    const int64_t next = stages[i];
    assert(next <= 2 * k - NEWTON_STAGE_LOSS_BITS);
    vnum e = scaledDivisor(C, m, next) * x;
    e.negate();
    e += powerOfTwo(k + next);
    const int64_t j = std::max<int64_t>(0, k - RECIPROCAL_RESIDUE_GUARD_BITS);
    e.shift(-j);  // floor, also for a negative residue
    e *= x;
    e.shift(-(2 * k - j));
    x.shift(next - k);
    x += e;
  }
  return x;
}

}  // namespace quorvel
