// Evaluation of a three-part operand x(X) = x0 + x1 X + x2 X^2 at X = 1,
// -1 and 2 (X standing for B^n), for the Toom products. x0 = x[0, n),
// x1 = x[n, 2n), x2 = x[2n, 2n + s) with 1 <= s <= n; each result has n + 1
// limbs. One pass each, with the carry in a machine word. Also the first
// step of both interpolations, r1 = (v1 - vm1) / 2.
#pragma once

#include <cassert>
#include <cstdint>

#include "vnum/limb_spans.h"

namespace quorvel {

// dst[0 .. n] <- x0 + x1 + x2 < 3 B^n: the top limb is at most 2. A limb sum
// with its carry is below 3B <= 3 * 2^30, inside 32 bits.
template <uint32_t B>
void toomEvalAtOne(int32_t* dst, const int32_t* x, int32_t n, int32_t s) {
  assert(s >= 1 && s <= n);
  uint32_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    uint32_t sum = static_cast<uint32_t>(x[i]) + static_cast<uint32_t>(x[n + i]) + carry;
    if (i < s) sum += static_cast<uint32_t>(x[2 * n + i]);
    carry = (sum >= B) + (sum >= 2 * B);
    dst[i] = static_cast<int32_t>(sum - carry * B);
  }
  dst[n] = static_cast<int32_t>(carry);
}

// dst[0 .. n] <- |x0 - x1 + x2|; returns true when x0 - x1 + x2 < 0. The
// value lies in (-B^n, 2 B^n): the top limb is at most 1. A limb sum with its
// carry lies in [-B, 2B), inside a signed word.
template <uint32_t B>
bool toomEvalAtMinusOne(int32_t* dst, const int32_t* x, int32_t n, int32_t s) {
  assert(s >= 1 && s <= n);
  constexpr int32_t base = static_cast<int32_t>(B);
  int32_t carry = 0;  // -1, 0 or 1
  for (int32_t i = 0; i < n; ++i) {
    int32_t sum = x[i] - x[n + i] + carry;
    if (i < s) sum += x[2 * n + i];
    carry = sum < 0 ? -1 : sum >= base ? 1 : 0;
    dst[i] = sum - carry * base;
  }
  if (carry >= 0) {
    dst[n] = carry;
    return false;
  }
  // The value is dst - B^n > -B^n, so dst is not zero and B^n - dst fits n
  // limbs.
  negateSpan<B>(dst, n);
  dst[n] = 0;
  return true;
}

// dst[0 .. n] <- x0 + 2 x1 + 4 x2 < 7 B^n: the top limb is at most 6. A limb
// sum with its carry is below 7B, inside 64 bits.
template <uint32_t B>
void toomEvalAtTwo(int32_t* dst, const int32_t* x, int32_t n, int32_t s) {
  assert(s >= 1 && s <= n);
  uint64_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    uint64_t sum = static_cast<uint32_t>(x[i]) + 2 * uint64_t{static_cast<uint32_t>(x[n + i])} + carry;
    if (i < s) sum += 4 * uint64_t{static_cast<uint32_t>(x[2 * n + i])};
    carry = sum / B;
    dst[i] = static_cast<int32_t>(sum - carry * B);
  }
  dst[n] = static_cast<int32_t>(carry);
}

// vm1 <- (v1 - vm1) / 2 = c1 + c3, all spans of L limbs, vm1 holding |vm1|
// (negative when vm1Negative). v1 - vm1 = c(1) - c(-1) is twice the odd
// coefficients' sum, so the halving is exact for a product that ran to the
// end (a cancelled one leaves parts that need not be).
template <uint32_t B>
void toomHalfDifference(int32_t* vm1, const int32_t* v1, bool vm1Negative, int32_t L) {
  if (vm1Negative)
    addSpans<B>(vm1, v1, L, vm1, L);
  else
    subSpans<B>(vm1, v1, L, vm1, L);
  [[maybe_unused]] const uint32_t half = halveSpan<B>(vm1, L);
  assert(half == 0 || isAborted());
}

}  // namespace quorvel
