// The shared quotient routine: picks the method by the operands' sizes.
//
//   dividend below 2^60               one 64-bit hardware division
//   equal bit lengths                 quotient 1 (A >= B and A < 2^lb <= 2B)
//   middle-sized divisor, quotient    recursive division, O((qn/dn) M(dn))
//   at least as long
//   short divisor or short quotient   long division on words, O(qn * dn)
//   (limits.h weighs the two by their sizes)
//   otherwise                         Newton reciprocal and quotient blocks
#include <algorithm>
#include <cassert>
#include <utility>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/limits.h"
#include "numtheory/division/quotient.h"
#include "numtheory/numtheory.h"

namespace quorvel {

namespace {

// The value of a non-negative x below 2^60: its two low limbs.
uint64_t lowSixtyBits(const vnum& x) {
  return static_cast<uint64_t>(x.limbs[0]) | (static_cast<uint64_t>(x.limbs[1]) << LIMB_BITS);
}

int64_t limbsFor(int64_t bits) { return (bits + LIMB_BITS - 1) / LIMB_BITS; }

}  // namespace

void quotientAndRemainder(vnum* q, vnum* r, const vnum& A, const vnum& B) {
  assert(A.plus && B.plus && !B.isZero() && A.compare(B) >= 0);
  const int64_t la = magnitudeBits(A);
  const int64_t lb = magnitudeBits(B);
  if (la <= NATIVE_QUOTIENT_BITS) {
    const uint64_t a = lowSixtyBits(A);
    const uint64_t b = lowSixtyBits(B);
    if (q) *q = vnum(static_cast<int64_t>(a / b));
    if (r) *r = vnum(static_cast<int64_t>(a % b));
    return;
  }
  if (la == lb) {
    if (q) *q = vnum(int32_t{1});
    if (r) {
      *r = A;
      *r -= B;
    }
    return;
  }
  const int64_t qn = limbsFor(la - lb + 1);
  const int64_t dn = limbsFor(lb);
  if (dn >= DIV_RECURSIVE_MIN_LIMBS && dn <= DIV_RECURSIVE_MAX_LIMBS && qn >= dn)
    recursiveQuotient(q, r, A, B);
  else if (qn * dn <= DIV_SCHOOLBOOK_HARMONIC_LIMBS * (qn + std::min(dn, qn)))
    schoolbookQuotient(q, r, A, B);
  else
    reciprocalQuotient(q, r, A, B);
}

vnum& divideMagnitudes(vnum& result, const vnum& A, const vnum& B) {
  vnum q;
  quotientAndRemainder(&q, nullptr, A, B);
  result = std::move(q);
  return result;
}

}  // namespace quorvel
