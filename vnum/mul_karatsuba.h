// Karatsuba's product of limb spans, and its square, for any base B.
//
// Split at n = ceil(an/2) limbs: a = a1 X + a0, b = b1 X + b0 with X = B^n,
// a0 and b0 of n limbs, a1 of s = an - n and b1 of t = bn - n limbs
// (1 <= t <= s <= n). Then
//
//   a b = z2 X^2 + (z0 + z2 - sign z1) X + z0,
//   z0 = a0 b0,  z2 = a1 b1,  z1 = |a0 - a1| |b0 - b1|,
//
// with sign the sign of (a0 - a1)(b0 - b1): three products of half the size
// instead of four. For a square z1 = (a0 - a1)^2 and sign is +1. Writing
// z0 = L0 + H0 X, z2 = L2 + H2 X and z1 = Z1L + Z1H X (n-limb halves; H2 has
// w - n limbs, w = s + t the length of z2):
//
//   a b = L0 + (H0 + L0 + L2 - sign Z1L) X + (L2 + H0 + H2 - sign Z1H) X^2
//            + H2 X^3.
//
// Plan (the steps are labelled in the code):
// 1. |a0 - a1| into out[0, n) and |b0 - b1| into out[n, 2n), with their signs.
// 2. z1 into scratch[0, 2n).
// 3. z0 into out[0, 2n) (the differences are no longer needed).
// 4. z2 into out[2n, an + bn).
// 5. One pass over i < n forms limb i of both middle coefficients, in place:
//    out[n + i] from H0, L0, L2, Z1L and out[2n + i] from H0, L2, H2, Z1H,
//    reading H0 = out[n + i] and L2 = out[2n + i] before writing them. The
//    two carry chains are independent, so they overlap in the processor.
// 6. The carry left by the first chain enters at out[2n], the second's at
//    out[3n].
//
// Carry bounds: w >= n, since bn >= n + 1 and an >= 2n - 1. Each limb sum in
// step 5 is at most three limbs and a carry of at most 3, less at most one
// limb and a carry of -1, so it lies in [-B, 4B) and splits into a limb and
// a carry in [-1, 3]. The coefficients add up to the product, which is below
// B^(an+bn): the carries of step 6 cancel out of the top.
//
// Sub-products go back through the dispatcher, which chooses their method.
// Scratch: 2n limbs here, the rest for the sub-products, whose longer
// operand has at most n limbs.
#pragma once

#include <cassert>
#include <cstdint>

#include "vnum/limb_spans.h"

namespace quorvel {

namespace karatsuba {

// Steps 5 and 6 for z0 in out[0, 2n), z2 in out[2n, 2n + w), z1 and sign.
template <uint32_t B>
void combine(int32_t* out, int32_t n, int32_t w, const int32_t* z1, bool subtract) {
  assert(w >= n && w <= 2 * n);
  const int64_t sign = subtract ? 1 : -1;
  int64_t carry1 = 0, carry2 = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int64_t h0 = out[n + i], l2 = out[2 * n + i];
    const int64_t h2 = n + i < w ? out[3 * n + i] : 0;
    const int64_t both = h0 + l2;
    out[n + i] = splitLimb<B>(both + out[i] - sign * z1[i] + carry1, carry1);
    out[2 * n + i] = splitLimb<B>(both + h2 - sign * z1[n + i] + carry2, carry2);
  }
  const int32_t total = 2 * n + w;
  [[maybe_unused]] const int64_t top = addCarry<B>(out + 3 * n, total - 3 * n, carry2) +
                                       addCarry<B>(out + 2 * n, total - 2 * n, carry1);
  assert(top == 0 || isAborted());
}

}  // namespace karatsuba

// out[0 .. an+bn) <- a b for an >= bn and bn > ceil(an/2) (so that b1 is
// not empty). scratch holds mulScratchLimbs(an) limbs; out overlaps nothing.
template <class Spans>
void mulKaratsuba(const Spans& spans, int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn,
                  int32_t* scratch) {
  constexpr uint32_t B = Spans::BASE;
  const int32_t n = (an + 1) / 2, s = an - n, t = bn - n;
  assert(an >= bn && t >= 1 && s >= t);
  assert(2 * n + mulScratchLimbs(n) <= mulScratchLimbs(an));
  int32_t* z1 = scratch;
  int32_t* rest = scratch + 2 * n;

  // (1)
  const bool aSwapped = absDiffSpans<B>(out, a, n, a + n, s);
  const bool bSwapped = absDiffSpans<B>(out + n, b, n, b + n, t);
  spans.mul(z1, out, n, out + n, n, rest);           // (2)
  spans.mul(out, a, n, b, n, rest);                  // (3)
  spans.mul(out + 2 * n, a + n, s, b + n, t, rest);  // (4)
  karatsuba::combine<B>(out, n, s + t, z1, aSwapped == bSwapped);  // (5), (6)
}

// out[0 .. 2an) <- a^2 for an >= 2; the same plan with one difference.
template <class Spans>
void sqrKaratsuba(const Spans& spans, int32_t* out, const int32_t* a, int32_t an, int32_t* scratch) {
  constexpr uint32_t B = Spans::BASE;
  const int32_t n = (an + 1) / 2, s = an - n;
  assert(s >= 1);
  assert(2 * n + mulScratchLimbs(n) <= mulScratchLimbs(an));
  int32_t* z1 = scratch;
  int32_t* rest = scratch + 2 * n;

  absDiffSpans<B>(out, a, n, a + n, s);              // (1)
  spans.mul(z1, out, n, out, n, rest);               // (2)
  spans.mul(out, a, n, a, n, rest);                  // (3)
  spans.mul(out + 2 * n, a + n, s, a + n, s, rest);  // (4)
  karatsuba::combine<B>(out, n, 2 * s, z1, true);    // (5), (6)
}

}  // namespace quorvel
