// Toom-2.5 product of limb spans for unbalanced operands (the longer about
// one and a half times the shorter), for any base B.
//
// Split at n = max(ceil(an/3), ceil(bn/2)) limbs: a(X) = a0 + a1 X + a2 X^2
// and b(X) = b0 + b1 X, X = B^n, a2 of s = an - 2n and b1 of t = bn - n limbs
// (1 <= s, t <= n). The product c(X) = c0 + c1 X + c2 X^2 + c3 X^3 has
// non-negative coefficients and is fixed by four values:
//
//   v0 = c(0) = a0 b0          vinf = c3 = a2 b1
//   v1 = c(1) = a(1) b(1)      vm1  = c(-1) = a(-1) b(-1)
//
// four products of about a third of the longer operand instead of six:
//
//   r1 = (v1 - vm1) / 2 = c1 + c3,   c1 = r1 - vinf
//   c2 = v1 - r1 - v0                (v1 - r1 = c0 + c2)
//
// Plan (the steps are labelled in the code):
// 1. |a(-1)| into out[0, n + 1), |b0 - b1| into out[n + 1, 2n + 1), with
//    their signs; |vm1| into scratch.
// 2. a(1), b(1) likewise; v1 into scratch.
// 3. v0 into out[0, 2n), vinf into out[3n, an + bn).
// 4. Interpolate: vm1 becomes c1, v1 becomes c2.
// 5. Clear out[2n, 3n) and add c1, c2 at n, 2n.
//
// Carry bounds: a(1) < 3 B^n and b(1) < 2 B^n, so v1 < 6 B^(2n); |a(-1)| <
// 2 B^n and |b0 - b1| < B^n, so |vm1| < 2 B^(2n). Spans of 2n + 2 limbs hold
// v1 + |vm1| without wrap-around, and the halving is exact. The
// coefficients are parts of the product, so their sums stay inside out.
//
// Scratch: 2(2n + 2) limbs here, the rest for the sub-products, whose longer
// operand has at most n + 1 limbs.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "vnum/limb_spans.h"
#include "vnum/toom_eval.h"

namespace quorvel {

// out[0 .. an+bn) <- a b for an >= bn whose split above has 1 <= s and
// 1 <= t (roughly bn < an < 3 bn). scratch holds mulScratchLimbs(an) limbs;
// out overlaps nothing.
template <class Spans>
void mulToom25(const Spans& spans, int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn,
               int32_t* scratch) {
  constexpr uint32_t B = Spans::BASE;
  const int32_t n = std::max((an + 2) / 3, (bn + 1) / 2), s = an - 2 * n, t = bn - n;
  assert(an >= bn && s >= 1 && t >= 1);
  const int32_t L = 2 * n + 2;
  assert(2 * L + mulScratchLimbs(n + 1) <= mulScratchLimbs(an));
  int32_t* v1 = scratch;
  int32_t* vm1 = scratch + L;
  int32_t* rest = scratch + 2 * L;
  int32_t* aValue = out;
  int32_t* bValue = out + n + 1;

  // (1)
  const bool vm1Negative = toomEvalAtMinusOne<B>(aValue, a, n, s) != absDiffSpans<B>(bValue, b, n, b + n, t);
  spans.mul(vm1, aValue, n + 1, bValue, n, rest);
  vm1[L - 1] = 0;
  // (2)
  toomEvalAtOne<B>(aValue, a, n, s);
  bValue[n] = static_cast<int32_t>(addSpans<B>(bValue, b, n, b + n, t));
  spans.mul(v1, aValue, n + 1, bValue, n + 1, rest);
  // (3)
  spans.mul(out, a, n, b, n, rest);
  if (s >= t)
    spans.mul(out + 3 * n, a + 2 * n, s, b + n, t, rest);
  else
    spans.mul(out + 3 * n, b + n, t, a + 2 * n, s, rest);
  toomHalfDifference<B>(vm1, v1, vm1Negative, L);  // (4) r1 in vm1
  subFrom<B>(v1, L, vm1, L);
  subFrom<B>(v1, L, out, 2 * n);
  subFrom<B>(vm1, L, out + 3 * n, s + t);
  // (5)
  zeroSpan(out + 2 * n, n);
  addAt<B>(out, an + bn, n, vm1, L);
  addAt<B>(out, an + bn, 2 * n, v1, L);
}

}  // namespace quorvel
