// Truncating division and remainder of signed values.
//
// Both reduce to magnitudes a > b and strip the divisor's trailing zero bits
// k from a and b: floor(a/b) = floor(floor(a/2^k) / (b/2^k)) because the
// dropped bits of b are zeros, and a mod b = (floor(a/2^k) mod (b/2^k)) * 2^k
// + (a mod 2^k). A divisor that is a power of two leaves nothing to divide.
#include <utility>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/quotient.h"
#include "numtheory/numtheory.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

bool isOne(const vnum& x) { return x.plus && x.limbs[0] == 1 && magnitudeBits(x) == 1; }

}  // namespace

vnum& divide(vnum& x, const vnum& divisor) {
  if (divisor.isZero()) throw MSG_DIVIDE_BY_ZERO;
  if (x.isZero()) return x;
  const bool negative = x.plus != divisor.plus;
  vnum a = magnitudeOf(x);
  vnum b = magnitudeOf(divisor);
  const int order = a.compare(b);
  vnum q;
  if (order == 0) {
    q = vnum(int32_t{1});
  } else if (order > 0) {
    const int64_t k = b.trailingZeroBits();
    a.shift(-k);
    b.shift(-k);
    if (isOne(b))
      q = std::move(a);
    else
      quotientAndRemainder(&q, nullptr, a, b);
  }
  if (negative) q.negate();
  q.normalize();
  x = std::move(q);
  return x;
}

vnum& modulo(vnum& x, const vnum& divisor) {
  if (divisor.isZero()) throw MSG_DIVIDE_BY_ZERO;
  if (x.isZero()) return x;
  const bool negative = !x.plus;
  vnum a = magnitudeOf(x);
  vnum b = magnitudeOf(divisor);
  const int order = a.compare(b);
  vnum r;
  if (order < 0) {
    r = std::move(a);
  } else if (order > 0) {
    const int64_t k = b.trailingZeroBits();
    const vnum low = bitField(a, 0, k);
    a.shift(-k);
    b.shift(-k);
    if (!isOne(b)) quotientAndRemainder(nullptr, &r, a, b);
    r.shift(k);
    r += low;
  }
  // The remainder takes the dividend's sign; negate() never leaves a -0.
  if (negative) r.negate();
  r.normalize();
  // Copied, not moved: the remainder is no longer than the divisor, and x
  // keeps its storage for the next operation (a move would hand it a
  // remainder-sized array and free the dividend's).
  x = r;
  return x;
}

}  // namespace quorvel
