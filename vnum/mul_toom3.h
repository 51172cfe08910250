// Toom-3 (Toom-Cook with three parts) product of limb spans, and its square,
// for any base B.
//
// Split at n = ceil(an/3) limbs: a(X) = a0 + a1 X + a2 X^2 and b(X) likewise,
// X = B^n, a2 of s = an - 2n and b2 of t = bn - 2n limbs (1 <= t <= s <= n).
// The product c(X) = a(X) b(X) = c0 + c1 X + c2 X^2 + c3 X^3 + c4 X^4 has
// non-negative coefficients and is fixed by five values:
//
//   v0 = c(0) = a0 b0            vinf = c4 = a2 b2
//   v1 = c(1) = a(1) b(1)        vm1  = c(-1) = a(-1) b(-1)
//   v2 = c(2) = a(2) b(2)
//
// five products of a third of the size instead of nine. Interpolation, in an
// order where every intermediate is non-negative (only vm1 has a sign):
//
//   r3 = (v2 - vm1) / 3 = c1 + c2 + 3 c3 + 5 c4
//   r1 = (v1 - vm1) / 2 = c1 + c3
//   c2 = v1 - r1 - v0 - vinf               (v1 - r1 = c0 + c2 + c4)
//   c3 = (r3 - r1 - c2 - vinf) / 2 - 2 vinf (r3 - r1 - c2 - vinf = 2 c3 + 4 c4)
//   c1 = r1 - c3
//
// Plan (the steps are labelled in the code):
// 1. a(2), b(2) into out[0, 2n + 2); v2 into scratch.
// 2. |a(-1)|, |b(-1)| likewise; |vm1| into scratch, with its sign.
// 3. a(1), b(1) likewise; v1 into scratch.
// 4. v0 into out[0, 2n), vinf into out[4n, an + bn).
// 5. Interpolate in the three scratch spans: v2 becomes c3, v1 c2, vm1 c1.
// 6. Clear out[2n, 4n) and add c1, c2, c3 at n, 2n, 3n.
//
// Carry bounds: a(1) < 3 B^n, |a(-1)| < 2 B^n, a(2) < 7 B^n (n + 1 limbs,
// toom_eval.h), so v1 < 9, |vm1| < 4 and v2 < 49 times B^(2n): the three
// spans of 2n + 2 limbs hold every intermediate above (at most
// v2 + |vm1| < 53 B^(2n)) without wrap-around, and the exact divisions
// leave no remainder. The coefficients are parts of the product, so their
// sums at n, 2n, 3n stay inside out, which holds the product.
//
// Scratch: 3(2n + 2) limbs here, the rest for the sub-products, whose longer
// operand has at most n + 1 limbs.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>

#include "platform/task_pool.h"
#include "vnum/limb_spans.h"
#include "vnum/toom_eval.h"

namespace quorvel {

namespace toom3 {

// Step 5 on v1, vm1 (|vm1|, negative when vm1Negative) and v2, all of L
// limbs, with v0 = out[0, 2n) and vinf = out[4n, 4n + w).
template <uint32_t B>
void interpolate(int32_t* v1, int32_t* vm1, bool vm1Negative, int32_t* v2, int32_t L, const int32_t* out, int32_t n,
                 int32_t w) {
  const int32_t* v0 = out;
  const int32_t* vinf = out + 4 * n;
  // r3 = (v2 - vm1) / 3 in v2.
  if (vm1Negative)
    addInto<B>(v2, L, vm1, L);
  else
    subFrom<B>(v2, L, vm1, L);
  [[maybe_unused]] const uint32_t third = divideSpanBy3<B>(v2, L);
  assert(third == 0 || isAborted());
  toomHalfDifference<B>(vm1, v1, vm1Negative, L);  // r1 in vm1
  // c2 in v1.
  subFrom<B>(v1, L, vm1, L);
  subFrom<B>(v1, L, v0, 2 * n);
  subFrom<B>(v1, L, vinf, w);
  // c3 in v2.
  subFrom<B>(v2, L, vm1, L);
  subFrom<B>(v2, L, v1, L);
  subFrom<B>(v2, L, vinf, w);
  [[maybe_unused]] const uint32_t half2 = halveSpan<B>(v2, L);
  assert(half2 == 0 || isAborted());
  subFrom<B>(v2, L, vinf, w);
  subFrom<B>(v2, L, vinf, w);
  // c1 in vm1.
  subFrom<B>(vm1, L, v2, L);
}

// Step 6.
template <uint32_t B>
void recompose(int32_t* out, int32_t total, int32_t n, const int32_t* c1, const int32_t* c2, const int32_t* c3,
               int32_t L) {
  zeroSpan(out + 2 * n, 2 * n);
  addAt<B>(out, total, n, c1, L);
  addAt<B>(out, total, 2 * n, c2, L);
  addAt<B>(out, total, 3 * n, c3, L);
}

}  // namespace toom3

// out[0 .. an+bn) <- a b for an >= bn > 2 ceil(an/3) (so that b2 is not
// empty); a square when a == b and an == bn, whose values at the points are
// a's read twice (vm1 is then never negative). scratch holds
// mulScratchLimbs(an) limbs; out overlaps nothing.
template <class Spans>
void mulToom3(const Spans& spans, int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn,
              int32_t* scratch) {
  constexpr uint32_t B = Spans::BASE;
  const bool square = a == b && an == bn;
  const int32_t n = (an + 2) / 3, s = an - 2 * n, t = bn - 2 * n;
  assert(an >= bn && t >= 1 && s >= t);
  const int32_t L = 2 * n + 2;
  assert(3 * L + mulScratchLimbs(n + 1) <= mulScratchLimbs(an));
  int32_t* v1 = scratch;
  int32_t* vm1 = scratch + L;
  int32_t* v2 = scratch + 2 * L;
  int32_t* rest = scratch + 3 * L;
  int32_t* aValue = out;
  int32_t* bValue = square ? out : out + n + 1;

  toomEvalAtTwo<B>(aValue, a, n, s);  // (1)
  if (!square) toomEvalAtTwo<B>(bValue, b, n, t);
  spans.mul(v2, aValue, n + 1, bValue, n + 1, rest);
  bool vm1Negative = toomEvalAtMinusOne<B>(aValue, a, n, s);  // (2)
  vm1Negative = !square && toomEvalAtMinusOne<B>(bValue, b, n, t) != vm1Negative;
  spans.mul(vm1, aValue, n + 1, bValue, n + 1, rest);
  toomEvalAtOne<B>(aValue, a, n, s);  // (3)
  if (!square) toomEvalAtOne<B>(bValue, b, n, t);
  spans.mul(v1, aValue, n + 1, bValue, n + 1, rest);
  spans.mul(out, a, n, b, n, rest);  // (4)
  spans.mul(out + 4 * n, a + 2 * n, s, b + 2 * n, t, rest);
  toom3::interpolate<B>(v1, vm1, vm1Negative, v2, L, out, n, s + t);  // (5)
  toom3::recompose<B>(out, an + bn, n, vm1, v1, v2, L);              // (6)
}

// The plan above with the five sub-products formed side by side on the
// task pool. Every evaluated operand and every sub-product's scratch is a
// piece's own (3(2n + 2) + 6(n + 1) + 5 mulScratchLimbs(n + 1) limbs,
// allocated here, so not from the caller's scratch), and the pieces write
// disjoint spans: v0 and vinf the two ends of out, the others their own
// scratch spans. Steps 5 and 6 run once every piece is done, so the result
// is the one mulToom3 gives, limb for limb, whatever the thread count.
namespace toom3 {

struct PieceBuffers {
  explicit PieceBuffers(int32_t n)
      : L(2 * n + 2),
        e(n + 1),
        sub(mulScratchLimbs(n + 1)),
        memory(std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(3 * L + 6 * e + 5 * sub))) {}
  int32_t* value(int k) const { return memory.get() + int64_t{k} * L; }              // v1, vm1, v2
  int32_t* operand(int k) const { return memory.get() + 3 * int64_t{L} + int64_t{k} * e; }  // 0 .. 5
  int32_t* scratch(int k) const { return memory.get() + 3 * int64_t{L} + 6 * int64_t{e} + k * sub; }
  int32_t L, e;
  int64_t sub;
  std::unique_ptr<int32_t[]> memory;
};

}  // namespace toom3

// As mulToom3 (same preconditions, squares included), the sub-products in
// parallel.
template <class Spans>
void toom3Parallel(const Spans& spans, int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn) {
  constexpr uint32_t B = Spans::BASE;
  const bool square = a == b && an == bn;
  const int32_t n = (an + 2) / 3, s = an - 2 * n, t = bn - 2 * n;
  assert(an >= bn && t >= 1 && s >= t);
  const toom3::PieceBuffers m(n);
  int32_t *v1 = m.value(0), *vm1 = m.value(1), *v2 = m.value(2);
  // (1), (2), (3): a at 2, -1 and 1 in operands 0, 2 and 4, b in 1, 3 and 5;
  // a square reads a's values twice.
  toomEvalAtTwo<B>(m.operand(0), a, n, s);
  bool vm1Negative = toomEvalAtMinusOne<B>(m.operand(2), a, n, s);
  toomEvalAtOne<B>(m.operand(4), a, n, s);
  if (!square) {
    toomEvalAtTwo<B>(m.operand(1), b, n, t);
    vm1Negative = toomEvalAtMinusOne<B>(m.operand(3), b, n, t) != vm1Negative;
    toomEvalAtOne<B>(m.operand(5), b, n, t);
  }
  vm1Negative = vm1Negative && !square;
  const int second = square ? 0 : 1;
  auto evaluated = [&](int32_t* v, int k) {
    spans.mul(v, m.operand(k), m.e, m.operand(k + second), m.e, m.scratch(k / 2));
  };
  parallelInvoke([&] { evaluated(v2, 0); }, [&] { evaluated(vm1, 2); }, [&] { evaluated(v1, 4); },
                 [&] { spans.mul(out, a, n, b, n, m.scratch(3)); },  // (4)
                 [&] { spans.mul(out + 4 * n, a + 2 * n, s, b + 2 * n, t, m.scratch(4)); });
  toom3::interpolate<B>(v1, vm1, vm1Negative, v2, m.L, out, n, s + t);  // (5)
  toom3::recompose<B>(out, an + bn, n, vm1, v1, v2, m.L);              // (6)
}

}  // namespace quorvel
