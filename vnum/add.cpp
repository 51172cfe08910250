// Addition, subtraction and negation on two's complement limbs.
//
// No case analysis on signs: the operands are sign-extended to a common length
// two limbs longer than the longer of them, so the exact sum fits and the
// carry out of the top limb may be dropped (arithmetic mod 2^(30*len)). The
// sign of the result is then read from bit 29 of the top limb.
#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <cassert>
#include <type_traits>

#include "platform/cpu_features.h"
#include "vnum/limb_ops.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {

// carryLanes[m] has 1 in lane i when bit i of m is set.
alignas(16) const int32_t carryLanes[16][4] = {
    {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 1, 0}, {0, 1, 1, 0}, {1, 1, 1, 0},
    {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {1, 1, 0, 1}, {0, 0, 1, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 1},
};

}  // namespace

// Groups of 4 limbs are summed in one vector without carries; each lane sum
// s < 2^31. A lane generates a carry when s >= 2^30 and propagates an incoming
// one when s == 2^30 - 1. With the generate bits G and propagate bits P of the
// four lanes as 4-bit numbers (disjoint), the carries into the lanes are the
// carries of the binary addition (G|P) + G + carryIn, i.e. the bits of
// x ^ P where x is that sum, and bit 4 of x is the carry out of the group.
// The serial dependency is one scalar add per group instead of one per limb.
namespace {

struct GroupSum {
  __m128i sum;         // lane sums without carries, each below 2^31
  uint32_t generate;   // lanes whose sum is at least 2^30
  uint32_t propagate;  // lanes whose sum is exactly 2^30 - 1
};

inline __m128i loadB(const int32_t* b, int32_t i, int32_t bn, int32_t bFill) {
  if (i + 4 <= bn) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
  if (i >= bn) return _mm_set1_epi32(bFill);
  alignas(16) int32_t mixed[4];
  for (int k = 0; k < 4; ++k) mixed[k] = i + k < bn ? b[i + k] : bFill;
  return _mm_load_si128(reinterpret_cast<const __m128i*>(mixed));
}

// InsideB: the whole group lies below bn, so b is loaded without checks.
template <bool InsideB>
inline GroupSum sumGroup(const int32_t* a, const int32_t* b, int32_t i, int32_t bn, int32_t bFill, __m128i flipA,
                         __m128i flip) {
  const __m128i va = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)), flipA);
  const __m128i vb = InsideB ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)) : loadB(b, i, bn, bFill);
  const __m128i s = _mm_add_epi32(va, _mm_xor_si128(vb, flip));
  const __m128i mask = _mm_set1_epi32(LIMB_MASK);
  return {s, static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_slli_epi32(s, 1)))),
          static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(s, mask))))};
}

inline void storeGroup(int32_t* dst, int32_t i, __m128i s, uint32_t carriesIn) {
  s = _mm_add_epi32(s, _mm_load_si128(reinterpret_cast<const __m128i*>(carryLanes[carriesIn & 15])));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_and_si128(s, _mm_set1_epi32(LIMB_MASK)));
}

}  // namespace

namespace {

// Lane sums are formed in vectors without carries. A lane generates a carry
// when its sum s >= 2^30 and passes an incoming one on when s == 2^30 - 1.
// With the generate bits G and propagate bits P of consecutive lanes as
// integers (disjoint bit sets), the carries into the lanes are exactly the
// carries of the binary addition (G|P) + G + carryIn: the bits of x ^ P for
// x that sum, and the bit above the top lane is the carry out. The serial
// dependency is one scalar add per 8 limbs instead of one per limb.
uint32_t addLimbsSse2(int32_t* dst, const int32_t* a, int32_t n, const int32_t* b, int32_t bn, int32_t bFill,
                      bool invertA, bool invertB, uint32_t carry) {
  const __m128i flipA = _mm_set1_epi32(invertA ? LIMB_MASK : 0);
  const __m128i flip = _mm_set1_epi32(invertB ? LIMB_MASK : 0);
  auto eightLimbs = [&](auto insideB, int32_t i) {
    const GroupSum lo = sumGroup<insideB()>(a, b, i, bn, bFill, flipA, flip);
    const GroupSum hi = sumGroup<insideB()>(a, b, i + 4, bn, bFill, flipA, flip);
    const uint32_t generate = lo.generate | (hi.generate << 4);
    const uint32_t propagate = lo.propagate | (hi.propagate << 4);
    const uint32_t x = (generate | propagate) + generate + carry;
    const uint32_t carriesIn = x ^ propagate;
    carry = (x >> 8) & 1;
    storeGroup(dst, i, lo.sum, carriesIn);
    storeGroup(dst, i + 4, hi.sum, carriesIn >> 4);
  };
  int32_t i = 0;
  for (; i + 8 <= std::min(n, bn); i += 8) eightLimbs(std::true_type{}, i);
  for (; i + 8 <= n; i += 8) eightLimbs(std::false_type{}, i);
  if (i < n) {
    const GroupSum g = sumGroup<false>(a, b, i, bn, bFill, flipA, flip);
    const uint32_t x = (g.generate | g.propagate) + g.generate + carry;
    carry = (x >> 4) & 1;
    storeGroup(dst, i, g.sum, x ^ g.propagate);
  }
  return carry;
}

}  // namespace

namespace {

// The same on AVX2, sixteen limbs (two vectors of eight) per scalar carry
// step, over the first 16 floor(min(n, bn) / 16) limbs, where b needs no
// fill; returns the limbs done and leaves the carry out in `carry`.
__attribute__((target("avx2"))) int32_t addLimbsAvx2(int32_t* dst, const int32_t* a, int32_t n, const int32_t* b,
                                                     int32_t bn, bool invertA, bool invertB, uint32_t& carry) {
  const __m256i flipA = _mm256_set1_epi32(invertA ? LIMB_MASK : 0);
  const __m256i flip = _mm256_set1_epi32(invertB ? LIMB_MASK : 0);
  const __m256i mask = _mm256_set1_epi32(LIMB_MASK);
  const __m256i lowLanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i highLanes = _mm256_setr_epi32(8, 9, 10, 11, 12, 13, 14, 15);
  const __m256i one = _mm256_set1_epi32(1);
  uint32_t c = carry;
  const int32_t end = std::min(n, bn) & ~15;
  for (int32_t i = 0; i < end; i += 16) {
    const __m256i* pa = reinterpret_cast<const __m256i*>(a + i);
    const __m256i* pb = reinterpret_cast<const __m256i*>(b + i);
    const __m256i lo = _mm256_add_epi32(_mm256_xor_si256(_mm256_loadu_si256(pa), flipA),
                                        _mm256_xor_si256(_mm256_loadu_si256(pb), flip));
    const __m256i hi = _mm256_add_epi32(_mm256_xor_si256(_mm256_loadu_si256(pa + 1), flipA),
                                        _mm256_xor_si256(_mm256_loadu_si256(pb + 1), flip));
    // Bit 30 of a lane sum (below 2^31) is its carry; 2^30 - 1 passes one on.
    const uint32_t generate =
        static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_slli_epi32(lo, 1)))) |
        static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_slli_epi32(hi, 1)))) << 8;
    const uint32_t propagate =
        static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(lo, mask)))) |
        static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(hi, mask)))) << 8;
    const uint32_t x = (generate | propagate) + generate + c;
    const __m256i carriesIn = _mm256_set1_epi32(static_cast<int32_t>(x ^ propagate));
    c = (x >> 16) & 1;
    const __m256i inLo = _mm256_and_si256(_mm256_srlv_epi32(carriesIn, lowLanes), one);
    const __m256i inHi = _mm256_and_si256(_mm256_srlv_epi32(carriesIn, highLanes), one);
    __m256i* pd = reinterpret_cast<__m256i*>(dst + i);
    _mm256_storeu_si256(pd, _mm256_and_si256(_mm256_add_epi32(lo, inLo), mask));
    _mm256_storeu_si256(pd + 1, _mm256_and_si256(_mm256_add_epi32(hi, inHi), mask));
  }
  carry = c;
  return end;
}

}  // namespace

// Either kernel gives the same limbs: AVX2 where the processor has it, for
// the stretch where both operands have limbs, and SSE2 for the rest.
uint32_t addLimbs(int32_t* dst, const int32_t* a, int32_t n, const int32_t* b, int32_t bn, int32_t bFill,
                  bool invertA, bool invertB, uint32_t carry) {
  int32_t done = 0;
  if (hasAvx2()) done = addLimbsAvx2(dst, a, n, b, bn, invertA, invertB, carry);
  if (done == n) return carry;
  return addLimbsSse2(dst + done, a + done, n - done, b + done, bn - done, bFill, invertA, invertB, carry);
}

void complementLimbs(int32_t* p, int32_t n) {
  const __m128i mask = _mm_set1_epi32(LIMB_MASK);
  for (int32_t i = 0; i < n; i += 4) {
    __m128i* q = reinterpret_cast<__m128i*>(p + i);
    _mm_storeu_si128(q, _mm_xor_si128(_mm_loadu_si128(q), mask));
  }
}

namespace {

// this <- this + (invert ? ~B + 1 : B). B must not be this.
void addSigned(vnum& self, const vnum& B, bool subtract) {
  const int32_t d = std::max(self.len, B.len);
  const int32_t e = d - (d & 1) + 2;
  self.extendTo(e);
  // Both arrays are read in whole groups; this's padding carries its fill.
  const int32_t n = roundUpToGroup(e);
  std::fill(self.limbs + e, self.limbs + n, self.fill());
  addLimbs(self.limbs, self.limbs, n, B.limbs, B.len, B.fill(), false, subtract, subtract ? 1 : 0);
  self.setSignFromTop();
  self.normalize();
}

}  // namespace

vnum& vnum::operator+=(const vnum& addend) {
  if (&addend == this) {
    const vnum copy(addend);
    addSigned(*this, copy, false);
  } else {
    addSigned(*this, addend, false);
  }
  return *this;
}

vnum& vnum::operator-=(const vnum& subtrahend) {
  if (&subtrahend == this) {
    plus = 1;
    len = 2;
    limbs[0] = limbs[1] = 0;
    return *this;
  }
  addSigned(*this, subtrahend, true);
  return *this;
}

vnum& vnum::negate() {
  if (isZero()) {
    plus = 1;
    return *this;
  }
  // Two more limbs so that the negation of the most negative value of the
  // old length still fits.
  const int32_t e = len - (len & 1) + 2;
  extendTo(e);
  complementLimbs(limbs, e);
  // -x = ~x + 1. The carry cannot leave the e limbs: x is not zero, so ~x is
  // not all ones.
  for (int32_t i = 0;; ++i) {
    if (limbs[i] != LIMB_MASK) {
      ++limbs[i];
      break;
    }
    limbs[i] = 0;
  }
  setSignFromTop();
  normalize();
  return *this;
}

namespace {

// out <- a + b or a - b in one pass that reads both operands and writes out,
// out apart from a and b. The longer operand L is read in whole groups of 4
// up to its length rounded down to 4; the group above (its last 0 or 2
// limbs, its fill and the two limbs of headroom, always exactly 4 limbs
// since len is even) goes through a local copy with the fills written out,
// because limbs past L.len are scratch. For a - b with b the longer, L is
// the one complemented: a - b = a + ~b + 1 either way.
void addSignedInto(vnum& out, const vnum& a, const vnum& b, bool subtract) {
  const bool aLonger = a.len >= b.len;
  const vnum& L = aLonger ? a : b;
  const vnum& S = aLonger ? b : a;
  const bool invertL = subtract && !aLonger;
  const bool invertS = subtract && aLonger;
  const int32_t e = L.len + 2;
  const int32_t head = L.len & ~3;
  assert(roundUpToGroup(e) == head + 4);
  // A fresh array when out is too short: nothing of its old value is copied.
  if (out.cap < head + 4) {
    out.len = 2;
    out.reserve(head + 4);
  }
  const uint32_t carry = addLimbs(out.limbs, L.limbs, head, S.limbs, S.len, S.fill(), invertL, invertS, subtract ? 1 : 0);
  alignas(16) int32_t tailL[4], tailS[4];
  for (int32_t k = 0; k < 4; ++k) {
    tailL[k] = head + k < L.len ? L.limbs[head + k] : L.fill();
    tailS[k] = head + k < S.len ? S.limbs[head + k] : S.fill();
  }
  // The carry out of the top is dropped: the sum is exact mod 2^(30 e).
  addLimbs(out.limbs + head, tailL, 4, tailS, 4, 0, invertL, invertS, carry);
  out.len = e;
  out.setSignFromTop();
  out.normalize();
}

}  // namespace

void add(vnum& out, const vnum& a, const vnum& b) {
  if (&out == &a) {
    out += b;
  } else if (&out == &b) {
    out += a;
  } else {
    addSignedInto(out, a, b, false);
  }
}

void subtract(vnum& out, const vnum& a, const vnum& b) {
  if (&out == &a) {
    out -= b;
  } else if (&out == &b) {
    vnum difference;
    addSignedInto(difference, a, b, true);
    out.swap(difference);
  } else {
    addSignedInto(out, a, b, true);
  }
}

vnum operator+(const vnum& a, const vnum& b) {
  vnum r;
  add(r, a, b);
  return r;
}

vnum operator-(const vnum& a, const vnum& b) {
  vnum r;
  subtract(r, a, b);
  return r;
}

}  // namespace quorvel
