// GCD: the sign and zero rules, the shared power of two, and the loop that
// picks a reduction by size.
//
// gcd(2^F u, 2^I v) = 2^min(F,I) gcd(u, v) for odd u, v, so both odd parts
// are taken first; a power of two then costs two shifts. The odd parts go
// through, as long as the smaller has GCD_HALF_GCD_MIN_BITS:
//   - halfGcd on the whole values, which halves them with products;
// below that:
//   - Lehmer steps, about 62 bits per linear pass;
// and, when neither can step (a quotient longer than the leading bits, or
// values within 2^s of each other), one division a <- a mod b. Values that
// fit a double word finish with the binary GCD on that word.
//
// Every reduction is a unimodular matrix or a remainder, so the GCD never
// changes; each loop round polls the abort flag, and a cancelled call
// returns before writing its operand.
#include <algorithm>
#include <bit>
#include <utility>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/quotient.h"
#include "numtheory/functions.h"
#include "numtheory/gcd/half_gcd.h"
#include "numtheory/gcd/limits.h"
#include "platform/abort_flags.h"
#include "platform/progress.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

// The value of a non-negative x below 2^127 (five limbs at most).
u128 wordValue(const vnum& x) {
  u128 w = 0;
  for (int32_t i = std::min(x.len, 5) - 1; i >= 0; --i) w = (w << LIMB_BITS) | static_cast<uint32_t>(x.limbs[i]);
  return w;
}

int trailingZeros(u128 x) {
  const uint64_t low = static_cast<uint64_t>(x);
  return low ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<uint64_t>(x >> 64));
}

// gcd(u, v) of double words, not both zero, by shifts and subtractions.
u128 wordGcd(u128 u, u128 v) {
  if (u == 0) return v;
  if (v == 0) return u;
  const int k = trailingZeros(u | v);
  u >>= trailingZeros(u);
  do {
    v >>= trailingZeros(v);
    if (u > v) std::swap(u, v);
    v -= u;
  } while (v != 0);
  return u << k;
}

// The vnum of a double word below 2^127.
vnum fromWord(u128 w) {
  int32_t limbs[5];
  for (int32_t& limb : limbs) {
    limb = static_cast<int32_t>(static_cast<uint32_t>(w) & LIMB_MASK);
    w >>= LIMB_BITS;
  }
  return fromLimbs(limbs, 5);
}

// a <- gcd(a, b) for positive a and b; false, with a meaningless, on abort.
bool gcdOfMagnitudes(vnum& a, vnum& b) {
  // The fraction done is the share of the operands' bits removed so far.
  const ProgressTask progress;
  const double bits = static_cast<double>(magnitudeBits(a) + magnitudeBits(b));
  for (;;) {
    if (isAborted()) return false;
    progress.report(1 - static_cast<double>(magnitudeBits(a) + magnitudeBits(b)) / bits);
    if (a < b) a.swap(b);
    if (b.isZero()) return true;
    if (magnitudeBits(a) <= LEHMER_WINDOW_BITS) {
      a = fromWord(wordGcd(wordValue(a), wordValue(b)));
      return true;
    }
    if (magnitudeBits(b) >= GCD_HALF_GCD_MIN_BITS ? halfGcd(a, b, nullptr) : lehmerStep(a, b, 0, nullptr)) continue;
    if (isAborted()) return false;
    // A long quotient: only the remainder is wanted.
    vnum r;
    quotientAndRemainder(nullptr, &r, a, b);
    a = std::move(r);
  }
}

}  // namespace

void gcd(vnum& a, const vnum& b) {
  // gcd(a, 0) and gcd(0, b) keep the non-zero operand's sign.
  if (b.isZero()) return;
  if (a.isZero()) {
    a = b;
    return;
  }
  vnum x = magnitudeOf(a), y = magnitudeOf(b);
  const int64_t F = x.trailingZeroBits();
  const int64_t I = y.trailingZeroBits();
  x.shift(-F);
  y.shift(-I);
  // A cancelled call leaves a as it was.
  if (!gcdOfMagnitudes(x, y)) return;
  x.shift(std::min(F, I));
  a = std::move(x);
}

}  // namespace quorvel
