// The two linear passes of a Lehmer step, on raw limb arrays, two limbs
// (60 bits) at a time so that each 64 x 64 -> 128-bit product does the work
// of two limbs.
//
// Carry bounds. Entries of U are below 2^63 and a limb pair below 2^60, so
// each product is below 2^123. In applyLehmerInverse a pair's sum is a
// difference of two such products plus a carry, below 2^123 + 2^64 in
// magnitude, and the carry passed on (the sum shifted right by 60,
// arithmetically) stays below 2^63 + 2 in magnitude: no signed 128-bit
// overflow. In mulRowByLehmer the sums are non-negative and below
// 2^124 + 2^65, and the final carry, below 2^65, fills three extra limbs.
#include <cassert>

#include "numtheory/gcd/half_gcd.h"

namespace quorvel {

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

constexpr int PAIR_BITS = 2 * LIMB_BITS;

inline int64_t pairAt(const int32_t* p, int32_t i) {
  return static_cast<int64_t>(p[i]) | (static_cast<int64_t>(p[i + 1]) << LIMB_BITS);
}

inline void storePair(int32_t* p, int32_t i, uint64_t low60) {
  p[i] = static_cast<int32_t>(low60 & LIMB_MASK);
  p[i + 1] = static_cast<int32_t>((low60 >> LIMB_BITS) & LIMB_MASK);
}

}  // namespace

void applyLehmerInverse(int32_t* a, int32_t* b, int32_t n, const LehmerMatrix& U) {
  assert(n > 0 && n % 2 == 0 && a != b);
  const int64_t u00 = static_cast<int64_t>(U.u00), u01 = static_cast<int64_t>(U.u01);
  const int64_t u10 = static_cast<int64_t>(U.u10), u11 = static_cast<int64_t>(U.u11);
  i128 ca = 0, cb = 0;
  for (int32_t i = 0; i < n; i += 2) {
    const int64_t x = pairAt(a, i), y = pairAt(b, i);
    const i128 sa = static_cast<i128>(u11) * x - static_cast<i128>(u01) * y + ca;
    const i128 sb = static_cast<i128>(u00) * y - static_cast<i128>(u10) * x + cb;
    storePair(a, i, static_cast<uint64_t>(sa));
    storePair(b, i, static_cast<uint64_t>(sb));
    ca = sa >> PAIR_BITS;
    cb = sb >> PAIR_BITS;
  }
  // Both results are non-negative and no longer than the inputs (a = u00 a'
  // + u01 b' >= a' since u00 >= 1, and likewise b >= b').
  assert(ca == 0 && cb == 0);
}

void mulRowByLehmer(int32_t* p, int32_t* q, int32_t n, const LehmerMatrix& U) {
  assert(n >= 0 && n % 2 == 0 && p != q);
  u128 cp = 0, cq = 0;
  for (int32_t i = 0; i < n; i += 2) {
    const uint64_t x = static_cast<uint64_t>(pairAt(p, i)), y = static_cast<uint64_t>(pairAt(q, i));
    const u128 sp = static_cast<u128>(U.u00) * x + static_cast<u128>(U.u10) * y + cp;
    const u128 sq = static_cast<u128>(U.u01) * x + static_cast<u128>(U.u11) * y + cq;
    storePair(p, i, static_cast<uint64_t>(sp));
    storePair(q, i, static_cast<uint64_t>(sq));
    cp = sp >> PAIR_BITS;
    cq = sq >> PAIR_BITS;
  }
  storePair(p, n, static_cast<uint64_t>(cp));
  storePair(q, n, static_cast<uint64_t>(cq));
  p[n + 2] = static_cast<int32_t>(cp >> PAIR_BITS);
  q[n + 2] = static_cast<int32_t>(cq >> PAIR_BITS);
  p[n + 3] = q[n + 3] = 0;
}

}  // namespace quorvel
