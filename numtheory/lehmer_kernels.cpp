// The two linear passes of a Lehmer step, on raw limb arrays.
//
// Carry bounds. Entries of U are below 2^31 and limbs below 2^30, so each
// product is below 2^61. In applyLehmerInverse a limb's sum is a difference
// of two such products plus a carry, below 2^61 + 2^32 in magnitude, and the
// carry passed on (the sum shifted right by 30, arithmetically) stays below
// 2^31 + 4 in magnitude: no signed 64-bit overflow. In mulRowByLehmer the
// sums are non-negative, below 2^62 + 2^33, and the final carry below 2^33
// fills the two extra limbs.
#include <cassert>

#include "numtheory/half_gcd.h"

namespace quorvel {

void applyLehmerInverse(int32_t* a, int32_t* b, int32_t n, const LehmerMatrix& U) {
  assert(n > 0 && a != b);
  const int64_t u00 = static_cast<int64_t>(U.u00), u01 = static_cast<int64_t>(U.u01);
  const int64_t u10 = static_cast<int64_t>(U.u10), u11 = static_cast<int64_t>(U.u11);
  int64_t ca = 0, cb = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int64_t x = a[i], y = b[i];
    const int64_t sa = u11 * x - u01 * y + ca;
    const int64_t sb = u00 * y - u10 * x + cb;
    a[i] = static_cast<int32_t>(sa & LIMB_MASK);
    b[i] = static_cast<int32_t>(sb & LIMB_MASK);
    ca = sa >> LIMB_BITS;
    cb = sb >> LIMB_BITS;
  }
  // Both results are non-negative and no longer than the inputs (a = u00 a'
  // + u01 b' >= a' since u00 >= 1, and likewise b >= b').
  assert(ca == 0 && cb == 0);
}

void mulRowByLehmer(int32_t* p, int32_t* q, int32_t n, const LehmerMatrix& U) {
  assert(n >= 0 && p != q);
  uint64_t cp = 0, cq = 0;
  for (int32_t i = 0; i < n; ++i) {
    const uint64_t x = static_cast<uint32_t>(p[i]), y = static_cast<uint32_t>(q[i]);
    const uint64_t sp = U.u00 * x + U.u10 * y + cp;
    const uint64_t sq = U.u01 * x + U.u11 * y + cq;
    p[i] = static_cast<int32_t>(sp & LIMB_MASK);
    q[i] = static_cast<int32_t>(sq & LIMB_MASK);
    cp = sp >> LIMB_BITS;
    cq = sq >> LIMB_BITS;
  }
  p[n] = static_cast<int32_t>(cp & LIMB_MASK);
  q[n] = static_cast<int32_t>(cq & LIMB_MASK);
  p[n + 1] = static_cast<int32_t>(cp >> LIMB_BITS);
  q[n + 1] = static_cast<int32_t>(cq >> LIMB_BITS);
}

}  // namespace quorvel
