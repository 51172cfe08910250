// Signed multiplication: reduce to a product of positive odd magnitudes.
//
// Stripping the trailing zero bits of both operands first makes a product
// with a power of two cost two shifts (the odd part 1 is answered without a
// kernel) and shortens every other product by the stripped limbs.
#include <utility>

#include "vnum/vnum.h"

namespace quorvel {

vnum& vnum::operator*=(const vnum& B) {
  if (isZero() || B.isZero()) {
    plus = 1;
    len = 2;
    limbs[0] = limbs[1] = 0;
    return *this;
  }
  vnum T(B);
  const bool negative = (plus == 0) != (B.plus == 0);
  if (!plus) negate();
  if (!T.plus) T.negate();
  normalize();
  T.normalize();
  const int64_t z1 = trailingZeroBits();
  const int64_t z2 = T.trailingZeroBits();
  shift(-z1);
  T.shift(-z2);
  vnum P;
  if (compare(T) > 0)
    mulMagnitudes(P, *this, T);
  else
    mulMagnitudes(P, T, *this);
  swap(P);
  shift(z1 + z2);
  if (negative) negate();
  normalize();
  return *this;
}

vnum operator*(const vnum& a, const vnum& b) {
  vnum r(a);
  r *= b;
  return r;
}

}  // namespace quorvel
