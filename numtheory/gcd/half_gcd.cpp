// Half-GCD: reduce a, b of n bits to about n/2 bits with a matrix of about
// n/2 bits, by two recursive calls on halves and products.
//
// Plan, for n at or above HALF_GCD_LEHMER_MAX_BITS (s = floor(n/2) + 1):
//   1. First half: reduce the top n - k1 bits, k1 = n/2 rounded down to
//      whole limbs, recursively, and apply their matrix N1 to the whole
//      values: (a, b) <- 2^k1 (a1', b1') + N1^-1 (a mod 2^k1, b mod 2^k1).
//      Leaves about 3n/4 bits.
//   2. Single steps while more than 3n/4 bits (plus a limb) remain; they are
//      needed only when step 1 could do little (a long quotient at the top).
//   3. Second half: with n2 bits left, reduce the top bits above
//      k2 = 2s - n2 (rounded up to whole limbs) recursively and apply as in
//      step 1; the top part has 2(n2 - s) bits and comes down to about half
//      of that, so the whole values come down to about s bits.
//   4. Single steps until none keeps both values above 2^s.
// The split points make each sub-call's matrix valid for the whole values
// and keep them above 2^s: a sub-call on the bits above k with its own
// s' = floor((n' - k)/2) + 1 leaves values above 2^(s'-1+k), and
// s' - 1 + k >= s holds for k1 >= 2 and for k2 >= 2s - n2 (half_gcd.h).
//
// Cost: two calls on n/2 bits, four products of about n/4 by n/2 bits (step
// 1), four of n/4 by n/4 (step 3), and, only when the caller wants the
// matrix, the 2x2 product: seven products of n/4 bits.
#include <algorithm>
#include <cassert>
#include <utility>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/gcd/half_gcd.h"
#include "numtheory/gcd/limits.h"
#include "platform/abort_flags.h"
#include "platform/task_pool.h"

namespace quorvel {

namespace {

int64_t maxBits(const vnum& a, const vnum& b) { return std::max(magnitudeBits(a), magnitudeBits(b)); }

int64_t roundDownToLimbs(int64_t bits) { return bits / LIMB_BITS * LIMB_BITS; }
int64_t roundUpToLimbs(int64_t bits) { return (bits + LIMB_BITS - 1) / LIMB_BITS * LIMB_BITS; }

vnum bitsFrom(const vnum& x, int64_t k) { return bitField(x, k, std::max<int64_t>(0, magnitudeBits(x) - k)); }

// Below the threshold: Lehmer steps, each polled.
bool lehmerHalfGcd(vnum& a, vnum& b, int64_t s, CofactorMatrix* M) {
  bool progress = false;
  while (!isAborted() && halfGcdStep(a, b, s, M)) progress = true;
  return progress;
}

// Reduces (a, b) by halfGcd of their bits from k up and folds the sub-call's
// matrix into *M (M <- M N, or M <- N while M is still the identity).
bool reduceTopPart(vnum& a, vnum& b, int64_t k, CofactorMatrix* M, bool identity) {
  vnum ah = bitsFrom(a, k), bh = bitsFrom(b, k);
  CofactorMatrix N;
  if (!halfGcd(ah, bh, &N) || isAborted()) return false;
  // N^-1 (a, b) = 2^k N^-1 (ah, bh) + N^-1 (al, bl), and the first term is
  // the reduced top part already computed.
  const vnum al = bitField(a, 0, k), bl = bitField(b, 0, k);
  // Four independent products, side by side on the task pool when they are
  // large enough to pay for it.
  vnum ta, tb, ua, ub;
  if (k >= HALF_GCD_PARALLEL_MIN_BITS && taskPoolThreads() > 1) {
    parallelInvoke([&] { ta = N.m11 * al; }, [&] { ua = N.m01 * bl; }, [&] { tb = N.m00 * bl; },
                   [&] { ub = N.m10 * al; });
  } else {
    ta = N.m11 * al;
    ua = N.m01 * bl;
    tb = N.m00 * bl;
    ub = N.m10 * al;
  }
  ta -= ua;
  tb -= ub;
  if (isAborted()) return false;
  ah.shift(k);
  ah += ta;
  bh.shift(k);
  bh += tb;
  assert(ah.plus && bh.plus);
  a = std::move(ah);
  b = std::move(bh);
  if (M) {
    if (identity)
      *M = std::move(N);
    else
      mulCofactorMatrices(*M, N);
  }
  return true;
}

}  // namespace

// Winograd's form of Strassen's product: seven products instead of eight,
// for fifteen additions. With A = M and B = N:
//   s1 = a10 + a11, s2 = s1 - a00, s3 = a00 - a10, s4 = a01 - s2,
//   t1 = b01 - b00, t2 = b11 - t1, t3 = b11 - b01, t4 = t2 - b10,
//   p1 = a00 b00, p2 = a01 b10, p3 = s4 b11, p4 = a11 t4,
//   p5 = s1 t1, p6 = s2 t2, p7 = s3 t3,
//   c00 = p1 + p2, c01 = p1 + p6 + p5 + p3,
//   c10 = p1 + p6 + p7 - p4, c11 = p1 + p6 + p7 + p5.
// Some s and t are negative; vnum's product takes care of the signs, and
// every c is a non-negative entry of M N.
void mulCofactorMatrices(CofactorMatrix& M, const CofactorMatrix& N) {
  const vnum s1 = M.m10 + M.m11;
  const vnum s2 = s1 - M.m00;
  const vnum s3 = M.m00 - M.m10;
  const vnum s4 = M.m01 - s2;
  const vnum t1 = N.m01 - N.m00;
  const vnum t2 = N.m11 - t1;
  const vnum t3 = N.m11 - N.m01;
  const vnum t4 = t2 - N.m10;
  vnum p[7];
  const vnum* factors[7][2] = {{&M.m00, &N.m00}, {&M.m01, &N.m10}, {&s4, &N.m11}, {&M.m11, &t4},
                               {&s1, &t1},       {&s2, &t2},       {&s3, &t3}};
  auto product = [&](int i) { p[i] = *factors[i][0] * *factors[i][1]; };
  if (std::max(magnitudeBits(M.m00), magnitudeBits(N.m00)) >= HALF_GCD_PARALLEL_MIN_BITS && taskPoolThreads() > 1)
    parallelFor(7, product);
  else
    for (int i = 0; i < 7; ++i) product(i);
  const vnum& p1 = p[0];
  vnum u2 = p1 + p[5];
  vnum u3 = u2 + p[6];
  const vnum& p5 = p[4];
  vnum c00 = p1 + p[1];
  vnum c01 = u2 + p5;
  c01 += p[2];
  vnum c10 = u3 - p[3];
  u3 += p5;
  M.m00 = std::move(c00);
  M.m01 = std::move(c01);
  M.m10 = std::move(c10);
  M.m11 = std::move(u3);
}

bool halfGcd(vnum& a, vnum& b, CofactorMatrix* M) {
  assert(a.plus && b.plus);
  if (M) *M = CofactorMatrix();
  const int64_t n = maxBits(a, b);
  const int64_t s = n / 2 + 1;
  // Both values must start at or above the floor they are kept above.
  if (std::min(magnitudeBits(a), magnitudeBits(b)) <= s) return false;
  if (n < HALF_GCD_LEHMER_MAX_BITS) return lehmerHalfGcd(a, b, s, M);

  // 1. First half.
  bool progress = reduceTopPart(a, b, roundDownToLimbs(n / 2), M, true);
  // 2. Single steps down to 3n/4 bits.
  const int64_t middle = 3 * n / 4 + LIMB_BITS;
  while (maxBits(a, b) > middle) {
    if (isAborted() || !halfGcdStep(a, b, s, M)) return progress;
    progress = true;
  }
  // 3. Second half, when enough is left above 2^s to be worth a call.
  const int64_t n2 = maxBits(a, b);
  if (n2 - s > 2 * LIMB_BITS && reduceTopPart(a, b, roundUpToLimbs(2 * s - n2), M, !progress)) progress = true;
  // 4. The last steps.
  while (!isAborted() && halfGcdStep(a, b, s, M)) progress = true;
  return progress;
}

}  // namespace quorvel
