// Quotient by multiplication with a reciprocal of the divisor's top bits,
// block by block when the quotient is much longer than the divisor.
//
// Blocks: the quotient's n + 1 possible bits (n = la - lb) are cut into
// equal blocks of w bits (see blockWidth). The first partial dividend is A's
// top la - J*w bits (J = blocks - 1), which is below 2^(lb+w-1) <= B 2^w;
// each later one is the previous remainder
// followed by the next w bits of A, below B 2^w since the remainder is below
// B. Each block's quotient (below 2^w) is placed at bit j*w of the result;
// nothing is shifted across the whole quotient, so the loop stays linear in
// the number of blocks. One reciprocal serves every block.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

#include "numtheory/bit_fields.h"
#include "numtheory/limits.h"
#include "numtheory/quotient.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// The reciprocal of B's top bits sized for partial dividends X < B 2^w; the
// names follow the bound in quotient.h.
struct Reciprocal {
  vnum value;         // V, 0 <= 2^(K+m)/C - V < 6
  int64_t dropped;    // s + t: bits of X dropped before the product
  int64_t scale;      // K + m - t: bits of the product dropped after it
};

Reciprocal makeReciprocal(const vnum& B, int64_t lb, int64_t w, bool bitwise) {
  const int64_t m = std::min(lb, w + DIVISOR_GUARD_BITS);
  const int64_t s = lb - m;
  const int64_t K = w + RECIPROCAL_GUARD_BITS;
  const int64_t t = std::max<int64_t>(0, m - DIVIDEND_GUARD_BITS);
  const vnum C = s ? bitField(B, s, m) : B;
  // floor(2^(m-1+steps-1) / C) with steps = K + 2 is floor(2^(K+m) / C).
  vnum V = bitwise ? bitwiseReciprocal(C, K + 2) : newtonReciprocal(C, m, K);
  return {std::move(V), s + t, K + m - t};
}

// Widest quotient block for a divisor of lb bits and a quotient of up to
// q bits. A block of w bits costs a product of about 2w bits (the estimate)
// and one of w + lb bits (the check against B); the one reciprocal costs
// about NEWTON_BLOCK_BALANCE * w. With products roughly linear in their
// size the work per quotient bit is 3 + lb/w + 5w/q, least at
// w = sqrt(lb * q / 5): about lb/2 for a quotient as long as its divisor,
// far more than lb for a short divisor and a long quotient. Divisors too
// short for that to leave the schoolbook range use small fixed blocks.
int64_t blockWidth(int64_t lb, int64_t q) {
  if (lb <= SHORT_DIVISOR_BITS) return SHORT_DIVISOR_BLOCK_BITS;
  const double balanced = std::sqrt(static_cast<double>(lb) * static_cast<double>(q) / NEWTON_BLOCK_BALANCE);
  return std::max(static_cast<int64_t>(balanced), SHORT_DIVISOR_BLOCK_BITS);
}

// h, r <- floor(X / B), X mod B for X < B 2^w.
void blockQuotient(vnum& h, vnum& r, const vnum& X, const vnum& B, const Reciprocal& R) {
  vnum top(X);
  top.shift(-R.dropped);
  h = top * R.value;
  h.shift(-R.scale);
  correctQuotient(h, r, X, B);
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

void reciprocalQuotient(vnum& q, vnum& r, const vnum& A, const vnum& B, bool bitwise) {
  const int64_t la = magnitudeBits(A);
  const int64_t lb = magnitudeBits(B);
  assert(la > lb && lb >= 1);
  const int64_t quotientBits = la - lb + 1;
  const int64_t widest = bitwise ? quotientBits : blockWidth(lb, quotientBits);
  const int64_t blocks = (quotientBits + widest - 1) / widest;
  const int64_t w = (quotientBits + blocks - 1) / blocks;
  const Reciprocal R = makeReciprocal(B, lb, w, bitwise);
  if (blocks == 1) {
    blockQuotient(q, r, A, B, R);
    return;
  }

  std::vector<int32_t> quotientLimbs((blocks * w + LIMB_BITS - 1) / LIMB_BITS + 1, 0);
  vnum h;
  for (int64_t j = blocks - 1; j >= 0; --j) {
    if (isAborted()) return;
    vnum X;
    if (j == blocks - 1) {
      X = bitField(A, j * w, la - j * w);
    } else {
      X = std::move(r);
      X.shift(w);
      X += bitField(A, j * w, w);
    }
    blockQuotient(h, r, X, B, R);
    // The flag only ever goes from clear to set, so a clear flag here means
    // every product of this block was computed in full.
    if (isAborted()) return;
    placeBits(quotientLimbs, h, j * w);
  }
  q = fromLimbs(quotientLimbs.data(), static_cast<int64_t>(quotientLimbs.size()));
}

}  // namespace quorvel
