// Binary GCD: only comparisons, subtractions and shifts.
//
// gcd(2^F u, 2^I v) = 2^min(F,I) gcd(u, v) for odd u, v, and for odd u <= v
// gcd(u, v) = gcd(u, v - u) with v - u even, whose factors of two can be
// dropped since u is odd. Each round halves the larger value at least once,
// so the loop runs at most as many rounds as the operands have bits, each a
// few passes over the limbs: quadratic in the length.
//
// The two working values sit in a pair and the roles "smaller" (lo) and
// "larger" (hi) are indices into it, so an exchange swaps two ints instead of
// two numbers.
#include <algorithm>
#include <utility>

#include "numtheory/functions.h"
#include "platform/abort_flags.h"

namespace quorvel {

void gcd(vnum& a, const vnum& b) {
  // gcd(a, 0) and gcd(0, b) keep the non-zero operand's sign.
  if (b.isZero()) return;
  if (a.isZero()) {
    a = b;
    return;
  }
  vnum w[2] = {a, b};
  for (vnum& v : w)
    if (!v.plus) v.negate();
  const int64_t F = w[0].trailingZeroBits();
  const int64_t I = w[1].trailingZeroBits();
  const int64_t k = std::min(F, I);
  w[0].shift(-F);
  w[1].shift(-k);
  int lo = 0, hi = 1;
  for (;;) {
    w[hi].shift(-w[hi].trailingZeroBits());
    if (w[lo] > w[hi]) std::swap(lo, hi);
    w[hi] -= w[lo];
    if (w[hi].isZero()) break;
    // A cancelled call leaves a as it was.
    if (isAborted()) return;
  }
  w[lo].shift(k);
  a = std::move(w[lo]);
}

}  // namespace quorvel
