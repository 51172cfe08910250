// x^y mod N by right-to-left binary exponentiation in Montgomery form.
//
// Montgomery form of a is a * R mod N; REDC of a product of two forms is the
// form of the product, so the loop multiplies and reduces without dividing:
//   g = REDC(x * RR) = x R,   h = REDC(RR) = 1 R,
//   for each bit i of y from the bottom: h <- REDC(h g) when the bit is set,
//   g <- REDC(g g) (g = x^(2^(i+1)) R),   and finally REDC(h) = x^y.
// Every product of two forms is below N^2 < R N, inside REDC's range. With no
// modulus stored (N, RR, NP and k all 0) every form is 0 and so is the result.
#include "numtheory/functions.h"
#include "numtheory/numtheory.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// Bit i of a non-negative value.
bool bitAt(const vnum& v, int64_t i) {
  return (v.limbs[i / LIMB_BITS] >> (i % LIMB_BITS)) & 1;
}

}  // namespace

vnum modularPower(const vnum& x, const vnum& y, const ModulusRecord& record) {
  if (!x.plus || !y.plus) throw MSG_NEGATIVE_VALUE_MODULAR;
  // x * RR must stay below R * N; a base at or above N is brought into
  // [0, N) first, which keeps its residue.
  vnum base(x);
  if (record.k > 0 && base >= record.N) modulo(base, record.N);
  base *= record.RR;
  vnum g = montgomeryReduce(base, record);
  vnum h = montgomeryReduce(record.RR, record);
  // The bits of y are read in place rather than by shifting a copy down,
  // which would cost a pass over y per bit.
  const int64_t bits = y.isZero() ? 0 : y.bitLength();
  for (int64_t i = 0; i < bits; ++i) {
    if (bitAt(y, i)) {
      h *= g;
      h = montgomeryReduce(h, record);
    }
    // The square after the top bit would not be used.
    if (i + 1 < bits) {
      g *= g;
      g = montgomeryReduce(g, record);
    }
  }
  return montgomeryReduce(h, record);
}

}  // namespace quorvel
