// x^y over the integers by left-to-right binary exponentiation.
//
// With f = y = sum b_i 2^i (b_t = 1 the top bit), r runs through the prefixes
// of f: r <- r^2 * e^(b_i) for i = t-1 .. 0, starting from r = e, so that
// r = e^(f >> i) after the step for bit i. t squarings and popcount(f) - 1
// products by e.
//
// The size guard: |x| >= 2^(b-1) with b = bitLength(x), so |x^y| has at least
// (b - 1) * y + 1 bits. When that already passes the cap the answer can only
// be "Scale over", however long the exponent; for |x| >= 2 that covers every
// y >= 2^30, so only a one-limb exponent is ever used.
#include <bit>

#include "numtheory/functions.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

bool isOdd(const vnum& v) { return (v.limbs[0] & 1) != 0; }

// |y| < 2^30 for a normalised non-negative y: every limb above the first is 0.
bool fitsOneLimb(const vnum& y) {
  for (int32_t i = 1; i < y.len; ++i)
    if (y.limbs[i] != 0) return false;
  return true;
}

}  // namespace

vnum power(const vnum& x, const vnum& y) {
  // Two's complement keeps the parity of y in bit 0 for either sign.
  const bool negative = !x.plus && isOdd(y);
  vnum e(x);
  if (!e.plus) e.negate();
  const vnum one(int32_t{1});
  const int eVsOne = e.compare(one);

  vnum r;
  if (!y.plus) {
    if (e.isZero()) throw MSG_BAD_ARGUMENT;
    // 1 / e^|y| truncates to 0 for e >= 2.
    if (eVsOne == 0) r = one;
  } else if (eVsOne <= 0) {
    // 1^y = 1 and 0^y = 0, except 0^0 = 1: the empty product, as x^0 is for
    // every other x.
    r = y.isZero() ? one : e;
  } else {
    if (!fitsOneLimb(y)) throw MSG_SCALE_OVER;
    const int64_t f = y.limbs[0];
    if ((e.bitLength() - 1) * f >= scaleLimitBits) throw MSG_SCALE_OVER;
    if (f == 0) {
      r = one;
    } else {
      r = e;
      for (int bit = std::bit_width(static_cast<uint64_t>(f)) - 2; bit >= 0; --bit) {
        r *= r;
        if ((f >> bit) & 1) r *= e;
      }
    }
  }
  if (negative && !r.isZero()) r.negate();
  return r;
}

}  // namespace quorvel
