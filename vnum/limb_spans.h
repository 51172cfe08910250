// Limb spans in any base B <= 2^30: the linear passes under the product
// kernels of both number types (30-bit limbs of vnum, base-10^8 limbs of
// vnum10).
//
// A span is a pointer and a length: limbs in [0, B), least significant
// first, no sign, no normalisation (leading zero limbs are allowed), no
// allocation. Only the base differs between the two number types, so the
// product kernels (mul_schoolbook.h, mul_karatsuba.h, mul_toom3.h,
// mul_toom25.h, mul_unbalanced.h) are templates over a Spans policy:
//
//   struct Spans {
//     static constexpr uint32_t BASE;   // 2^30 or 10^8
//     // out[0 .. an+bn) <- a * b for an >= bn >= 1, by the number type's
//     // dispatcher (which chooses the method and polls for cancellation);
//     // a == b with an == bn is a square. scratch holds
//     // mulScratchLimbs(an) limbs; out overlaps none of a, b, scratch.
//     void mul(int32_t* out, const int32_t* a, int32_t an,
//              const int32_t* b, int32_t bn, int32_t* scratch) const;
//   };
//
// Carries: two limbs and a carry sum to below 2B <= 2^31, so the additions
// work in 32-bit words, four lanes at a time with SSE2; the few passes with
// larger sums use 64 bits.
//
// A cancelled sub-product leaves zeros (the dispatcher returns at once), and
// the kernels combine such parts into a meaningless value without noticing.
// Their carry checks therefore hold only for a product that ran to the end:
// written `assert(... || isAborted())`, they still catch every wrong carry
// of an uncancelled product.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "platform/abort_flags.h"

namespace quorvel {

// Scratch, in limbs, that a product whose longer operand has an limbs may
// use, its sub-products included. Each kernel takes some limbs of its own and
// hands the rest to sub-products whose longer operand is at most about half
// (Karatsuba, Toom-2.5) or a third (Toom-3) as long, or the shorter operand
// (unbalanced pieces), and asserts that own + mulScratchLimbs(sub) fits.
// Toom-3 takes the largest share, 6n + 6 for n = ceil(an/3); with 9 limbs
// per operand limb that holds for every split the kernels accept, down to
// an = 5 (the inequalities are checked by those asserts, and the tests run
// each kernel at its smallest sizes).
constexpr int64_t mulScratchLimbs(int64_t an) { return 9 * an + 64; }

inline void zeroSpan(int32_t* p, int32_t n) {
  if (n > 0) std::memset(p, 0, sizeof(int32_t) * static_cast<size_t>(n));
}

inline void copySpan(int32_t* dst, const int32_t* src, int32_t n) {
  if (n > 0) std::memmove(dst, src, sizeof(int32_t) * static_cast<size_t>(n));
}

inline bool isZeroSpan(const int32_t* p, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

// Three-way comparison of x[0..xn) and y[0..yn) as numbers (leading zeros
// allowed on either side).
inline int compareSpans(const int32_t* x, int32_t xn, const int32_t* y, int32_t yn) {
  for (; xn > yn; --xn)
    if (x[xn - 1] != 0) return 1;
  for (; yn > xn; --yn)
    if (y[yn - 1] != 0) return -1;
  for (int32_t i = xn - 1; i >= 0; --i)
    if (x[i] != y[i]) return x[i] > y[i] ? 1 : -1;
  return 0;
}

// limb + B * carry = x for a limb in [0, B) and a carry in [-1, 3]: x is a
// sum of at most four limbs less one, and a carry, in [-B, 4B).
template <uint32_t B>
inline int32_t splitLimb(int64_t x, int64_t& carry) {
  if constexpr ((B & (B - 1)) == 0) {
    carry = x >> std::countr_zero(B);  // an arithmetic shift: the floor
    return static_cast<int32_t>(x & (B - 1));
  } else {
    // Independent comparisons, so the carry chain stays short.
    assert(x >= -int64_t{B} && x < 4 * int64_t{B});
    carry = (x >= int64_t{B}) + (x >= 2 * int64_t{B}) + (x >= 3 * int64_t{B}) - (x < 0);
    return static_cast<int32_t>(x - carry * B);
  }
}

namespace spans {

// LANE_ONES[m] holds 1 in lane k when bit k of m is set.
alignas(16) inline constexpr int32_t LANE_ONES[16][4] = {
    {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 1, 0}, {0, 1, 1, 0}, {1, 1, 1, 0},
    {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {1, 1, 0, 1}, {0, 0, 1, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 1},
};

inline __m128i laneOnes(uint32_t bits) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(LANE_ONES[bits & 15]));
}

// The carries into four lanes at once. A lane generates a carry (g) or
// passes an incoming one on (p, disjoint from g); the carries into the
// lanes are then those of the binary sum (g|p) + g + carryIn, so with x that
// sum, bits 0..3 of x ^ p are the carries into lanes 0..3 and bit 4 is the
// carry out of the group. One scalar addition per four limbs instead of a
// serial chain through each limb.
inline uint32_t laneCarries(uint32_t g, uint32_t p, uint32_t carryIn) { return ((g | p) + g + carryIn) ^ p; }

}  // namespace spans

// dst[0..xn) <- x + y mod B^xn for xn >= yn; returns the carry out (0 or 1).
// dst may be x or y (each limb is read before it is written).
template <uint32_t B>
uint32_t addSpans(int32_t* dst, const int32_t* x, int32_t xn, const int32_t* y, int32_t yn) {
  assert(xn >= yn && yn >= 0);
  uint32_t carry = 0;
  int32_t i = 0;
  // Lane sums are below 2B <= 2^31: positive as signed words.
  const __m128i top = _mm_set1_epi32(static_cast<int32_t>(B - 1));
  const __m128i base = _mm_set1_epi32(static_cast<int32_t>(B));
  for (; i + 4 <= yn; i += 4) {
    __m128i sum = _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + i)));
    const uint32_t g = static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(sum, top))));
    const uint32_t p = static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(sum, top))));
    const uint32_t c = spans::laneCarries(g, p, carry);
    carry = c >> 4;
    sum = _mm_add_epi32(sum, spans::laneOnes(c));
    sum = _mm_sub_epi32(sum, _mm_and_si128(_mm_cmpgt_epi32(sum, top), base));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), sum);
  }
  for (; i < yn; ++i) {
    const uint32_t sum = static_cast<uint32_t>(x[i]) + static_cast<uint32_t>(y[i]) + carry;
    carry = sum >= B;
    dst[i] = static_cast<int32_t>(carry ? sum - B : sum);
  }
  for (; carry && i < xn; ++i) {
    const uint32_t sum = static_cast<uint32_t>(x[i]) + 1;
    carry = sum == B;
    dst[i] = static_cast<int32_t>(carry ? 0 : sum);
  }
  if (dst != x) copySpan(dst + i, x + i, xn - i);
  return carry;
}

// dst[0..xn) <- x - y mod B^xn for xn >= yn; returns the borrow out (0 or 1).
// dst may be x or y.
template <uint32_t B>
uint32_t subSpans(int32_t* dst, const int32_t* x, int32_t xn, const int32_t* y, int32_t yn) {
  assert(xn >= yn && yn >= 0);
  uint32_t borrow = 0;
  int32_t i = 0;
  // Lane differences lie in (-B, B); a negative one generates a borrow and
  // a zero one passes an incoming borrow on.
  const __m128i base = _mm_set1_epi32(static_cast<int32_t>(B));
  for (; i + 4 <= yn; i += 4) {
    __m128i d = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + i)));
    const uint32_t g = static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(d)));
    const uint32_t p =
        static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(d, _mm_setzero_si128()))));
    const uint32_t c = spans::laneCarries(g, p, borrow);
    borrow = c >> 4;
    d = _mm_sub_epi32(d, spans::laneOnes(c));
    d = _mm_add_epi32(d, _mm_and_si128(_mm_srai_epi32(d, 31), base));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), d);
  }
  for (; i < yn; ++i) {
    // Limbs are below 2^30, so the difference fits a signed word.
    const int32_t d = x[i] - y[i] - static_cast<int32_t>(borrow);
    borrow = static_cast<uint32_t>(d) >> 31;
    dst[i] = d + (static_cast<int32_t>(B) & -static_cast<int32_t>(borrow));
  }
  for (; borrow && i < xn; ++i) {
    borrow = x[i] == 0;
    dst[i] = borrow ? static_cast<int32_t>(B - 1) : x[i] - 1;
  }
  if (dst != x) copySpan(dst + i, x + i, xn - i);
  return borrow;
}

// p[0..n) += carry (in [-1, 3]) mod B^n; returns the carry out of the top
// limb.
template <uint32_t B>
int64_t addCarry(int32_t* p, int32_t n, int64_t carry) {
  for (int32_t i = 0; carry != 0 && i < n; ++i) p[i] = splitLimb<B>(p[i] + carry, carry);
  return carry;
}

template <uint32_t B>
uint32_t addInto(int32_t* dst, int32_t dn, const int32_t* y, int32_t yn) {
  return addSpans<B>(dst, dst, dn, y, yn);
}

template <uint32_t B>
uint32_t subFrom(int32_t* dst, int32_t dn, const int32_t* y, int32_t yn) {
  return subSpans<B>(dst, dst, dn, y, yn);
}

// p[0..n) <- B^n - p mod B^n (the two's complement in base B).
template <uint32_t B>
void negateSpan(int32_t* p, int32_t n) {
  int32_t i = 0;
  while (i < n && p[i] == 0) ++i;
  if (i == n) return;
  p[i] = static_cast<int32_t>(B) - p[i];
  for (++i; i < n; ++i) p[i] = static_cast<int32_t>(B - 1) - p[i];
}

// dst[0..xn) <- |x - y| for xn >= yn; returns true when x < y.
template <uint32_t B>
bool absDiffSpans(int32_t* dst, const int32_t* x, int32_t xn, const int32_t* y, int32_t yn) {
  assert(xn >= yn);
  if (compareSpans(x, xn, y, yn) >= 0) {
    subSpans<B>(dst, x, xn, y, yn);
    return false;
  }
  // x < y < B^yn: x's limbs from yn up are zero, and y - x fits yn limbs.
  subSpans<B>(dst, y, yn, x, yn);
  zeroSpan(dst + yn, xn - yn);
  return true;
}

// out[offset .. on) += src[0..sn): the part of src that lies beyond on must
// be zero, and so must the final carry (the caller knows the sum fits).
template <uint32_t B>
void addAt(int32_t* out, int32_t on, int32_t offset, const int32_t* src, int32_t sn) {
  const int32_t room = on - offset;
  const int32_t used = std::min(sn, room);
  assert(isZeroSpan(src + used, sn - used) || isAborted());
  [[maybe_unused]] const uint32_t carry = addInto<B>(out + offset, room, src, used);
  assert(carry == 0 || isAborted());
}

// p[0..n) <- p / 2; the value must be even (the remainder is returned and is
// 0 for an exact division). From the top: r B + limb < 2B fits 32 bits.
template <uint32_t B>
uint32_t halveSpan(int32_t* p, int32_t n) {
  uint32_t r = 0;
  for (int32_t i = n - 1; i >= 0; --i) {
    const uint32_t cur = r * B + static_cast<uint32_t>(p[i]);
    p[i] = static_cast<int32_t>(cur >> 1);
    r = cur & 1;
  }
  return r;
}

// p[0..n) <- p / 3; returns the remainder (0 for an exact division). From the
// top: r B + limb < 3B <= 3 * 2^30 fits 32 bits unsigned.
template <uint32_t B>
uint32_t divideSpanBy3(int32_t* p, int32_t n) {
  uint32_t r = 0;
  for (int32_t i = n - 1; i >= 0; --i) {
    const uint32_t cur = r * B + static_cast<uint32_t>(p[i]);
    const uint32_t q = cur / 3;
    p[i] = static_cast<int32_t>(q);
    r = cur - 3 * q;
  }
  return r;
}

}  // namespace quorvel
