// x * 10^e and x / 10^-e: the "Exp" operator and the decimal exponent of
// text.
//
// 10^k is 10^(k mod 8) from smallDecPowers times the ladder entries
// 10^(8*2^f) for the set bits f of floor(k / 8). The factors are taken from
// the smallest up: the entries double in size, so each product is about
// twice the new factor, and the total stays near one product of the size of
// the result (largest first would make every later factor a full-size
// product). Each entry's 2^(8*2^f) is stripped by the multiplication itself,
// which leaves products of powers of five.
//
// Guards, before any power is built. Let b = bitLength(x), so
// 2^(b-1) <= |x| < 2^b, and L = floor(k * log2 10) from below (limits.h).
//   e > 0: |x| 10^k >= 2^(b-1+L), so the product has at least b + L bits;
//          above scaleLimitBits that is "Scale over" for certain.
//   e < 0: b <= L gives |x| < 2^b <= 10^k, so the quotient is 0.
// Neither guard can fire on a result that would be within the cap, and a
// 32-bit exponent can no longer start a squaring chain the cap would refuse.
#include <bit>
#include <cstdint>

#include "numtheory/bit_fields.h"
#include "numtheory/limits.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// 10^k for k >= 0; meaningless after a cancel.
vnum powerOfTen(int64_t k) {
  if (k < SMALL_DEC_POWERS_SIZE) return smallDecPowers[k];
  const uint64_t octets = static_cast<uint64_t>(k) >> 3;
  const int top = std::bit_width(octets) - 1;
  if (!decPowerLadderEntry(top)) return vnum();
  vnum t(smallDecPowers[k & 7]);
  for (int f = 0; f <= top; ++f)
    if ((octets >> f) & 1) t *= *decPowerLadder.find(f);
  return t;
}

}  // namespace

void scaleByPowerOfTen(vnum& x, int32_t e) {
  if (e == 0 || x.isZero()) return;
  const int64_t k = e < 0 ? -static_cast<int64_t>(e) : e;
  const int64_t bits = x.bitLength();
  const int64_t log2Floor = k * LOG2_TEN_NUM / LOG2_TEN_DEN;
  if (e > 0) {
    if (bits + log2Floor > scaleLimitBits) throw MSG_SCALE_OVER;
    const vnum t = powerOfTen(k);
    if (isAborted()) return;
    x *= t;
  } else {
    if (bits <= log2Floor) {
      x = vnum();
      return;
    }
    const vnum t = powerOfTen(k);
    if (isAborted()) return;
    divide(x, t);
  }
}

vnum exponentScale(const vnum& left, const vnum& right) {
  const vnum magnitude = magnitudeOf(right);
  int32_t e;
  if (magnitude >= vnum(EXP_OPERAND_LIMIT)) {
    // Reading only the low limb would make 2^30 + 3 scale by 10^3. Any
    // exponent this large overflows the cap upward or empties every value
    // the calculator can hold downward, which the saturated exponent gives.
    e = right.plus ? INT32_MAX : INT32_MIN;
  } else {
    e = right.plus ? magnitude.limbs[0] : -magnitude.limbs[0];
  }
  vnum x(left);
  scaleByPowerOfTen(x, e);
  return x;
}

}  // namespace quorvel
