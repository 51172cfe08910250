// x * 10^e and x / 10^-e: the "Exp" operator and the decimal exponent of
// text.
//
// 10^k is built one of two ways, whichever costs less by the measure of
// limits.h (an FFT product costs about its combined length, a square
// SQUARE_COST_FACTOR times that; lengths counted in digits of the result):
//  - from the ladder: 10^(k mod 8) from smallDecPowers times the entries
//    10^(8*2^f) for the set bits f of floor(k / 8), taken from the smallest
//    up, so that product i costs the length c_i of everything gathered so
//    far; in all sum c_i, from nothing (k = 8 * 2^f, an entry) to about 2k
//    (every bit set);
//  - by squaring: (10^floor(k/2))^2, times 10 for odd k: sigma k plus the
//    cost of the half, built again by the cheaper way, about 2 sigma k.
// A ladder entry's 2^(8*2^f), like any power of two, is stripped by the
// multiplication itself, which leaves products of powers of five.
//
// Guards, before any power is built. Let b = bitLength(x), so
// 2^(b-1) <= |x| < 2^b, and L = floor(k * log2 10) from below (limits.h).
//   e > 0: |x| 10^k >= 2^(b-1+L), so the product has at least b + L bits;
//          above scaleLimitBits that is "Scale over" for certain.
//   e < 0: b <= L gives |x| < 2^b <= 10^k, so the quotient is 0.
// Neither guard can fire on a result that would be within the cap, and a
// 32-bit exponent can no longer start a squaring chain the cap would refuse.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/numtheory.h"
#include "numtheory/text/limits.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// The lengths, in digits, that the ladder's products for 10^k add up.
double ladderCost(int64_t k) {
  const uint64_t octets = static_cast<uint64_t>(k) >> 3;
  double gathered = static_cast<double>(k & 7);
  double cost = 0;
  for (int f = 0; f < 64; ++f) {
    if (!((octets >> f) & 1)) continue;
    if (gathered > 0) cost += gathered + static_cast<double>(uint64_t{8} << f);
    gathered += static_cast<double>(uint64_t{8} << f);
  }
  return cost;
}

// Whether squaring 10^floor(k/2) costs less than the ladder's products, and
// the cost of the cheaper way.
bool squaringPays(int64_t k, double* cost) {
  const double ladder = ladderCost(k);
  if (k < EXP_SQUARING_MIN_DIGITS) {
    *cost = ladder;
    return false;
  }
  double half;
  squaringPays(k / 2, &half);
  const double squaring = SQUARE_COST_FACTOR * static_cast<double>(k) + half;
  *cost = std::min(ladder, squaring);
  return squaring < ladder;
}

// 10^k for k >= 0; meaningless after a cancel.
vnum powerOfTen(int64_t k) {
  if (k < SMALL_DEC_POWERS_SIZE) return smallDecPowers[k];
  double cost;
  if (squaringPays(k, &cost)) {
    vnum t = powerOfTen(k / 2);
    t *= t;
    if (k & 1) t *= smallDecPowers[1];
    return t;
  }
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
