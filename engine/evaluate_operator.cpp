// One binary operator of the calculator on two operands, with the result cap.
//
// Left is the earlier operand (the stack entry below, or the memory), right
// the shown value. Both are read only: the in-place arithmetic works on a
// copy, so it never touches the caller's stack. Results whose size is known before the work
// (left shifts and products here; Exp, x^y, nPr and nCr inside their
// functions) are refused before any work; every other result is measured
// afterwards.
#include "engine/command_engine.h"
#include "engine/command_ids.h"
#include "numtheory/functions.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// |count| as a 64-bit integer; the caller makes sure it fits.
int64_t magnitudeOf(const vnum& count) {
  vnum magnitude(count);
  if (!magnitude.plus) magnitude.negate();
  int64_t value = 0;
  for (int32_t i = magnitude.len - 1; i >= 0; --i) value = (value << LIMB_BITS) | magnitude.limbs[i];
  return value;
}

// Refuses left shifted left by `count` bits (count's sign times `direction`
// gives the direction) when the result must exceed the cap; that includes
// every count of 2^30 bits or more.
void refuseOversizedLeftShift(const vnum& left, const vnum& count, int direction) {
  const bool leftward = (count.plus ? 1 : -1) * direction > 0;
  if (!leftward || left.isZero() || count.isZero()) return;
  if (count.bitLength() > 62) throw MSG_SCALE_OVER;
  // |left << d| = |left| * 2^d, so its bit length is bitLength(left) + d.
  if (left.bitLength() + magnitudeOf(count) > scaleLimitBits) throw MSG_SCALE_OVER;
}

// |a| >= 2^(bitLength(a) - 1), so |a * b| has at least bitLength(a) +
// bitLength(b) - 1 bits: refused before the product when that passes the cap.
void refuseOversizedProduct(const vnum& a, const vnum& b) {
  if (a.isZero() || b.isZero()) return;
  if (a.bitLength() + b.bitLength() - 1 > scaleLimitBits) throw MSG_SCALE_OVER;
}

}  // namespace

vnum evaluateOperator(const vnum& left, const vnum& right, int code, const ModulusRecord& modulus) {
  // The in-place forms work on a copy of the left operand; a sum and a
  // difference are written straight into the result.
  vnum result;
  switch (code) {
    case OP_ADD: add(result, left, right); break;
    case OP_SUBTRACT: subtract(result, left, right); break;
    case OP_MULTIPLY:
      refuseOversizedProduct(left, right);
      result = left * right;
      break;
    case OP_DIVIDE: divide(result = left, right); break;
    case OP_MOD: modulo(result = left, right); break;
    case OP_SHIFT_LEFT:
      refuseOversizedLeftShift(left, right, 1);
      (result = left) <<= right;
      break;
    case OP_SHIFT_RIGHT:
      refuseOversizedLeftShift(left, right, -1);
      (result = left) >>= right;
      break;
    case OP_AND: (result = left) &= right; break;
    case OP_OR: (result = left) |= right; break;
    case OP_XOR: (result = left) ^= right; break;
    case OP_EXP: result = exponentScale(left, right); break;
    case OP_GCD: {
      // gcd reduces both of its operands in place.
      vnum other(right);
      gcd(result = left, other);
      break;
    }
    case OP_POWER: result = power(left, right); break;
    case OP_PERMUTATIONS: result = permutations(left, right); break;
    case OP_COMBINATIONS: result = combinations(left, right); break;
    case OP_MODULAR_POWER: result = modularPower(left, right, modulus); break;
    default: result = right; break;  // no operator: the right operand itself
  }
  if (isAborted()) return vnum();
  if (result.bitLength() > scaleLimitBits) throw MSG_SCALE_OVER;
  return result;
}

}  // namespace quorvel
