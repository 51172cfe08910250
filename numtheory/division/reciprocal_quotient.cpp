// Quotient by multiplication with a Newton reciprocal of the divisor's top
// bits, in blocks from the top of the quotient.
//
// Blocks: the quotient's n = la - lb + 1 possible bits are cut into c
// blocks of w = ceil(n / c) bits. The first partial dividend is A's top
// la - (c-1) w bits, below 2^(lb-1+w) <= B 2^w; each later one is the
// previous remainder followed by the next w bits of A, below B 2^w since the
// remainder is below B. Each block's quotient is placed at bit j w of the
// result; nothing is shifted across the whole quotient.
//
// One reciprocal of about w bits serves every block. With two blocks for a
// quotient as long as the divisor this is Karp and Markstein's division:
// the reciprocal carries half the quotient's bits, and the second block's
// estimate is the Newton step that would have doubled it, applied to the
// partial dividend directly instead of to the reciprocal.
//
// Quotient only: the last block needs its remainder only to make its
// estimate exact. It is estimated with g = QUOTIENT_GUARD_BITS more bits,
// h' ~ floor(X 2^g / B) with true value in [h' - 1, h' + 2] (quotient.h);
// when h' mod 2^g lies inside [1, 2^g - 3] (QUOTIENT_GUARD_MARGIN keeps a
// little more) every value of that range has the same top bits
// h' >> g = floor(X / B), and the product by B is not formed. Only a dividend within a few units of a multiple of B, an exact
// division among them, falls back to the remainder.
#include <algorithm>
#include <cassert>
#include <vector>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/limits.h"
#include "numtheory/division/quotient.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// The reciprocal of B's top bits sized for partial dividends X < B 2^W; the
// names follow the bound in quotient.h.
struct Reciprocal {
  vnum value;         // V, 0 <= 2^(K+m)/C - V < 6
  int64_t dropped;    // s + t: bits of X dropped before the product
  int64_t scale;      // K + m - t: bits of the product dropped after it
};

Reciprocal makeReciprocal(const vnum& B, int64_t lb, int64_t W) {
  const int64_t m = std::min(lb, W + DIVISOR_GUARD_BITS);
  const int64_t s = lb - m;
  const int64_t K = W + RECIPROCAL_GUARD_BITS;
  const int64_t t = std::max<int64_t>(0, m - DIVIDEND_GUARD_BITS);
  const vnum C = s ? bitField(B, s, m) : B;
  return {newtonReciprocal(C, m, K), s + t, K + m - t};
}

// Combined length, in bits, of the products of a division in c blocks,
// the measure the block count minimises (an FFT product costs about its
// combined length): the reciprocal (RECIPROCAL_COST_FACTOR times its
// width), per block the estimate (w by W bits) and, where the remainder is
// formed, the block quotient times B (w by lb bits).
double divisionCost(int64_t n, int64_t lb, int64_t c, int64_t guard, bool lastRemainder) {
  const double w = static_cast<double>((n + c - 1) / c);
  const double W = w + static_cast<double>(guard);
  const double remainders = static_cast<double>(lastRemainder ? c : c - 1);
  return RECIPROCAL_COST_FACTOR * W + static_cast<double>(c) * (w + W) + remainders * (w + static_cast<double>(lb));
}

// The block count of least cost; the cost falls and then rises with c.
int64_t blockCount(int64_t n, int64_t lb, int64_t guard, bool lastRemainder) {
  int64_t c = 1;
  while (c < n && divisionCost(n, lb, c + 1, guard, lastRemainder) < divisionCost(n, lb, c, guard, lastRemainder)) ++c;
  return c;
}

// floor(floor(X * 2^up / 2^dropped) * V / 2^scale): the estimate of
// floor(X * 2^up / B).
vnum estimate(const vnum& X, int64_t up, const Reciprocal& R) {
  vnum top(X);
  top.shift(up - R.dropped);
  top *= R.value;
  top.shift(-R.scale);
  return top;
}

// The low g <= 62 bits of a non-negative value.
uint64_t lowBits(const vnum& x, int64_t g) {
  uint64_t v = 0;
  for (int32_t i = std::min<int32_t>(x.len, 3) - 1; i >= 0; --i)
    v = (v << LIMB_BITS) | static_cast<uint32_t>(x.limbs[i]);
  return v & ((uint64_t{1} << g) - 1);
}

}  // namespace

void correctQuotient(vnum& h, vnum& r, const vnum& X, const vnum& B) {
  const vnum one(int32_t{1});
  r = X;
  r -= h * B;
  [[maybe_unused]] int steps = 0;
  while (!r.plus) {
    if (isAborted()) return;
    r += B;
    h -= one;
    assert(++steps <= MAX_QUOTIENT_CORRECTIONS || isAborted());
  }
  while (r >= B) {
    if (isAborted()) return;
    r -= B;
    h += one;
    assert(++steps <= MAX_QUOTIENT_CORRECTIONS || isAborted());
  }
}

void reciprocalQuotient(vnum* q, vnum* r, const vnum& A, const vnum& B) {
  const int64_t la = magnitudeBits(A);
  const int64_t lb = magnitudeBits(B);
  assert(la > lb && lb >= 1);
  const int64_t n = la - lb + 1;
  const int64_t guard = r ? 0 : QUOTIENT_GUARD_BITS;
  const int64_t chosen = blockCount(n, lb, guard, r != nullptr);
  const int64_t w = (n + chosen - 1) / chosen;
  const int64_t blocks = (n + w - 1) / w;  // so that no block is empty
  const Reciprocal R = makeReciprocal(B, lb, w + guard);

  std::vector<int32_t> quotientLimbs(q ? (blocks * w + LIMB_BITS - 1) / LIMB_BITS + 1 : 0, 0);
  vnum X, h, rest;
  for (int64_t j = blocks - 1; j >= 0; --j) {
    if (isAborted()) return;
    if (j == blocks - 1) {
      X = bitField(A, j * w, la - j * w);
    } else {
      X = std::move(rest);
      X.shift(w);
      X += bitField(A, j * w, w);
    }
    bool exact = false;
    if (j == 0 && guard) {
      h = estimate(X, guard, R);
      const uint64_t low = lowBits(h, guard);
      exact = low >= QUOTIENT_GUARD_MARGIN && low < (uint64_t{1} << guard) - QUOTIENT_GUARD_MARGIN;
      h.shift(-guard);
    } else {
      h = estimate(X, 0, R);
    }
    if (!exact) correctQuotient(h, rest, X, B);
    // The flag only ever goes from clear to set, so a clear flag here means
    // every product of this block was computed in full.
    if (isAborted()) return;
    if (q) placeBits(quotientLimbs, h, j * w);
  }
  if (q) *q = fromLimbs(quotientLimbs.data(), static_cast<int64_t>(quotientLimbs.size()));
  if (r) *r = std::move(rest);
}

}  // namespace quorvel
