// The shared quotient routine: picks the method by the operands' sizes.
//
//   dividend below 2^60            one 64-bit hardware division
//   equal bit lengths              quotient 1 (A >= B and A < 2^lb <= 2B)
//   la - lb <= 1,000               reciprocal by restoring division
//   la - lb  > 1,000               reciprocal by Newton stages
#include <cassert>
#include <utility>

#include "numtheory/bit_fields.h"
#include "numtheory/limits.h"
#include "numtheory/numtheory.h"
#include "numtheory/quotient.h"

namespace quorvel {

namespace {

// The value of a non-negative x below 2^60: its two low limbs.
uint64_t lowSixtyBits(const vnum& x) {
  return static_cast<uint64_t>(x.limbs[0]) | (static_cast<uint64_t>(x.limbs[1]) << LIMB_BITS);
}

}  // namespace

void quotientAndRemainder(vnum& q, vnum& r, const vnum& A, const vnum& B) {
  assert(A.plus && B.plus && !B.isZero() && A.compare(B) >= 0);
  const int64_t la = magnitudeBits(A);
  const int64_t lb = magnitudeBits(B);
  if (la <= NATIVE_QUOTIENT_BITS) {
    const uint64_t a = lowSixtyBits(A);
    const uint64_t b = lowSixtyBits(B);
    q = vnum(static_cast<int64_t>(a / b));
    r = vnum(static_cast<int64_t>(a % b));
    return;
  }
  if (la == lb) {
    q = vnum(int32_t{1});
    r = A;
    r -= B;
    return;
  }
  reciprocalQuotient(q, r, A, B, la - lb <= BITWISE_RECIPROCAL_MAX_DIFF);
}

vnum& divideMagnitudes(vnum& result, const vnum& A, const vnum& B) {
  vnum q, r;
  quotientAndRemainder(q, r, A, B);
  result = std::move(q);
  return result;
}

}  // namespace quorvel
