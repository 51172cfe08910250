// One reduction step on whole values: a Lehmer step (a matrix of machine
// words from the leading 127 bits, applied in one linear pass), or failing
// that one step by a full quotient.
//
// The floor. Inside halfGcd every step must keep a, b >= 2^s. A Lehmer
// matrix computed with floor F on a window shifted by T leaves the whole
// values above 2^(F-1+T) (half_gcd.h, the lemma), so F = s - T + 1
// suffices; once the values come within a few bits of 2^s no window floor
// is left and the quotient step takes over: larger - q * smaller >= 2^s for
// the largest q, that is q = floor((larger - 2^s) / smaller), remainder
// + 2^s.
#include <algorithm>
#include <cassert>
#include <utility>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/quotient.h"
#include "numtheory/gcd/half_gcd.h"
#include "numtheory/gcd/limits.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// floor(x / 2^t) for a non-negative x < 2^(t+127): the six limbs from bit t
// up cover those 127 bits at any offset within a limb (29 + 127 <= 180);
// bits shifted past 128 are zero.
unsigned __int128 leadingBits(const vnum& x, int64_t t) {
  const int32_t j = static_cast<int32_t>(t / LIMB_BITS);
  const int r = static_cast<int>(t % LIMB_BITS);
  unsigned __int128 window = 0;
  for (int32_t i = std::min(j + 5, x.len - 1); i >= j; --i) {
    const int at = LIMB_BITS * (i - j) - r;
    const uint32_t limb = static_cast<uint32_t>(x.limbs[i]);
    if (at < 0)
      window |= limb >> -at;
    else if (at < 128)
      window |= static_cast<unsigned __int128>(limb) << at;
  }
  assert(window >> LEHMER_WINDOW_BITS == 0);
  return window;
}

// Limbs that hold a value of this many bits, rounded up to a whole pair.
int32_t pairedLimbsOf(int64_t bits) {
  const int32_t n = static_cast<int32_t>((bits + LIMB_BITS - 1) / LIMB_BITS);
  return n + (n & 1);
}

// A row (p, q) of a cofactor matrix times U, in place.
void foldRow(vnum& p, vnum& q, const LehmerMatrix& U) {
  const int32_t n = pairedLimbsOf(std::max(magnitudeBits(p), magnitudeBits(q)));
  // Four carry limbs, and a zero limb above them for the sign.
  p.extendTo(n + 5);
  q.extendTo(n + 5);
  mulRowByLehmer(p.limbs, q.limbs, n, U);
  p.normalize();
  q.normalize();
}

}  // namespace

bool lehmerStep(vnum& a, vnum& b, int64_t s, CofactorMatrix* M) {
  assert(a.plus && b.plus);
  const int64_t n = std::max(magnitudeBits(a), magnitudeBits(b));
  const int64_t T = std::max<int64_t>(0, n - LEHMER_WINDOW_BITS);
  const int64_t F = std::max<int64_t>(LEHMER_WINDOW_MIN_FLOOR_BITS, s - T + 1);
  if (F >= LEHMER_WINDOW_BITS) return false;
  LehmerMatrix U;
  if (!lehmerMatrix(leadingBits(a, T), leadingBits(b, T), static_cast<int>(F), U)) return false;
  const int32_t limbs = pairedLimbsOf(n);
  // Zero limbs up to the longer length; each result is at most its input,
  // so the zero limb above the input's top stays zero and plus stays right.
  a.extendTo(limbs);
  b.extendTo(limbs);
  applyLehmerInverse(a.limbs, b.limbs, limbs, U);
  a.normalize();
  b.normalize();
  if (M) {
    foldRow(M->m00, M->m01, U);
    foldRow(M->m10, M->m11, U);
  }
  return true;
}

bool halfGcdStep(vnum& a, vnum& b, int64_t s, CofactorMatrix* M) {
  if (lehmerStep(a, b, s, M)) return true;
  const int order = a.compare(b);
  if (order == 0) return false;
  vnum& larger = order > 0 ? a : b;
  const vnum& smaller = order > 0 ? b : a;
  const vnum floor = powerOfTwo(s);
  vnum d(larger);
  d -= floor;
  if (d < smaller) return false;
  vnum q, r;
  quotientAndRemainder(&q, &r, d, smaller);
  if (isAborted()) return false;
  r += floor;
  larger = std::move(r);
  if (M) {
    // larger was a: M <- M E1(q), column 1 += q column 0; else the mirror.
    if (order > 0) {
      M->m01 += q * M->m00;
      M->m11 += q * M->m10;
    } else {
      M->m00 += q * M->m01;
      M->m10 += q * M->m11;
    }
  }
  return true;
}

}  // namespace quorvel
