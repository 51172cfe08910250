// Reciprocal of a divisor by Newton stages of doubling precision.
//
// Target: V ~ Z = 2^(K+m) / C for C of m bits. Stage k works on the divisor
// scaled to k bits and rounded up, c_k = ceil(C * 2^(k-m)) (exact for
// k >= m), and approximates z_k = 2^(2k) / c_k <= Z_k = 2^(k+m) / C. Since
// c_k <= C 2^(k-m) + 1, Z_k - z_k <= 2^(2m) / C^2 <= 4.
//
// Plan (each stage keeps x_k <= z_k < x_k + 2):
//  1. Stage k0 = 32 (or K if smaller): refineReciprocal from 2^k0 at
//     precision 2k0, which ends at floor(z) or floor(z) - 1.
//  2. Stage k -> k' (k' <= 2k - 6): carry y = x_k * 2^(k'-k). Then
//     y <= Z_k' and Z_k' - y = 2^(k'-k) (Z_k - x_k) <= 6 * 2^(k'-k), so
//     |z_k' - y| <= 6 * 2^(k'-k) (y may exceed z_k' by at most 4).
//  3. One Newton step at precision p = 2k': x_k' = y + floor(y e / 2^p) with
//     e = 2^p - c_k' y. Its error is (z - y)^2 / z + 1 with z >= 2^k', at
//     most 36 * 2^(2(k'-k) - k') + 1 < 36/64 + 1 < 2, and the step never
//     passes z (z - f(y) = (z - y)^2 / z >= 0 on either side of z).
// At K: 0 <= Z - V <= 4 + 2 = 6.
//
// Cost: stage k' multiplies c_k' (k' bits) by y and y by e (about k' - k
// bits), so the stages together cost about three products of K bits.
#include <algorithm>
#include <cassert>
#include <vector>

#include "numtheory/bit_fields.h"
#include "numtheory/limits.h"
#include "numtheory/numtheory.h"
#include "numtheory/quotient.h"
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

  vnum x = powerOfTwo(k0);
  refineReciprocal(x, scaledDivisor(C, m, k0), 2 * k0);
  for (size_t i = 1; i < stages.size(); ++i) {
    if (isAborted()) return x;
    const int64_t k = stages[i - 1];
    const int64_t next = stages[i];
    assert(next <= 2 * k - NEWTON_STAGE_LOSS_BITS);
    const int64_t p = 2 * next;
    vnum y(x);
    y.shift(next - k);
    // e = 2^p - c y is small (about next - k + 3 bits) and of either sign.
    vnum e = scaledDivisor(C, m, next) * y;
    e.negate();
    e += powerOfTwo(p);
    e *= y;
    e.shift(-p);  // floor, also for a negative product
    y += e;
    x = std::move(y);
  }
  return x;
}

}  // namespace quorvel
