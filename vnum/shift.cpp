// Arithmetic shifts on the infinite two's complement bit string.
//
// A left shift moves whole limbs up and then bits within limbs in one pass
// from the top down; a right shift does the same from the bottom up, reading
// the value's fill above its length, so a negative value rounds toward minus
// infinity. Both passes run eight limbs per vector step on AVX2, four
// otherwise and for the rest; every output limb is formed from two input
// limbs that lie below (left) or above (right) every limb already written,
// which makes the passes safe in place.
#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/cpu_features.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {

// The vector steps on AVX2, eight limbs at a time, where the processor has
// it; each returns the index at which the four-limb steps take over.
// Left: from limb i down to k + 8, limbs [i-7, i] from [i-7-k, i-k] and
// [i-8-k, i-1-k], all below the limbs written so far.
__attribute__((target("avx2"))) int32_t shiftLeftAvx2(int32_t* p, int32_t i, int32_t k, int r) {
  const __m256i mask = _mm256_set1_epi32(LIMB_MASK);
  const __m128i left = _mm_cvtsi32_si128(r), right = _mm_cvtsi32_si128(LIMB_BITS - r);
  for (; i - k - 8 >= 0; i -= 8) {
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i - 7 - k));
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i - 8 - k));
    const __m256i v = _mm256_or_si256(_mm256_sll_epi32(hi, left), _mm256_srl_epi32(lo, right));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i - 7), _mm256_and_si256(v, mask));
  }
  return i;
}

// Right: limbs [i, i+7] from [i+k, i+k+7] and [i+k+1, i+k+8], all at or
// above the limbs written so far, and below len.
__attribute__((target("avx2"))) int32_t shiftRightAvx2(int32_t* p, int32_t len, int32_t k, int r) {
  const __m256i mask = _mm256_set1_epi32(LIMB_MASK);
  const __m128i right = _mm_cvtsi32_si128(r), left = _mm_cvtsi32_si128(LIMB_BITS - r);
  int32_t i = 0;
  for (; i + k + 8 < len; i += 8) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + k));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + k + 1));
    const __m256i v = _mm256_or_si256(_mm256_srl_epi32(lo, right), _mm256_sll_epi32(hi, left));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), _mm256_and_si256(v, mask));
  }
  return i;
}

void shiftLeft(vnum& x, int64_t n) {
  const int64_t k = n / LIMB_BITS;
  const int r = static_cast<int>(n % LIMB_BITS);
  // One whole fill limb more than the moved value needs, and even.
  const int64_t wanted = x.len + k + 2 - (k & 1);
  if (wanted > INT32_MAX / GROWTH_FACTOR) throw std::bad_alloc();
  const int32_t e = static_cast<int32_t>(wanted);
  const int32_t kk = static_cast<int32_t>(k);
  x.extendTo(e);
  int32_t* p = x.limbs;
  if (r == 0) {
    std::memmove(p + kk, p, sizeof(int32_t) * static_cast<size_t>(e - kk));
  } else {
    const int rs = LIMB_BITS - r;
    const __m128i mask = _mm_set1_epi32(LIMB_MASK);
    int32_t i = e - 1;
    if (hasAvx2()) i = shiftLeftAvx2(p, i, kk, r);
    for (; i - kk - 4 >= 0; i -= 4) {
      const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 3 - kk));
      const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 4 - kk));
      const __m128i v = _mm_or_si128(_mm_sll_epi32(hi, _mm_cvtsi32_si128(r)), _mm_srl_epi32(lo, _mm_cvtsi32_si128(rs)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i - 3), _mm_and_si128(v, mask));
    }
    for (; i >= kk; --i) {
      const uint32_t hi = static_cast<uint32_t>(p[i - kk]);
      const uint32_t lo = i - kk - 1 >= 0 ? static_cast<uint32_t>(p[i - kk - 1]) : 0u;
      p[i] = static_cast<int32_t>(((hi << r) | (lo >> rs)) & LIMB_MASK);
    }
  }
  std::fill(p, p + kk, 0);
  x.normalize();
}

void shiftRight(vnum& x, int64_t m) {
  const int32_t f = x.fill();
  const int32_t len = x.len;
  int32_t* p = x.limbs;
  if (m >= static_cast<int64_t>(LIMB_BITS) * len) {
    std::fill(p, p + len, f);
    x.normalize();
    return;
  }
  const int32_t k = static_cast<int32_t>(m / LIMB_BITS);
  const int r = static_cast<int>(m % LIMB_BITS);
  if (r == 0) {
    std::memmove(p, p + k, sizeof(int32_t) * static_cast<size_t>(len - k));
  } else {
    const int rs = LIMB_BITS - r;
    const __m128i mask = _mm_set1_epi32(LIMB_MASK);
    // Limb i takes bits from limbs i+k and i+k+1; both must lie below len.
    int32_t i = hasAvx2() ? shiftRightAvx2(p, len, k, r) : 0;
    for (; i + k + 4 < len; i += 4) {
      const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + k));
      const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + k + 1));
      const __m128i v = _mm_or_si128(_mm_srl_epi32(lo, _mm_cvtsi32_si128(r)), _mm_sll_epi32(hi, _mm_cvtsi32_si128(rs)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_and_si128(v, mask));
    }
    for (; i < len - k; ++i) {
      const uint32_t lo = static_cast<uint32_t>(p[i + k]);
      const uint32_t hi = static_cast<uint32_t>(i + k + 1 < len ? p[i + k + 1] : f);
      p[i] = static_cast<int32_t>(((lo >> r) | (hi << rs)) & LIMB_MASK);
    }
  }
  std::fill(p + len - k, p + len, f);
  x.normalize();
}

}  // namespace

void vnum::shift(int64_t n) {
  if (n == 0 || isZero()) return;
  if (n > 0)
    shiftLeft(*this, n);
  else
    shiftRight(*this, -n);
}

vnum& vnum::operator<<=(int32_t count) {
  shift(count);
  return *this;
}

vnum& vnum::operator>>=(int32_t count) {
  shift(-static_cast<int64_t>(count));
  return *this;
}

vnum& vnum::operator<<=(const vnum& count) {
  shiftByCount(count, 1);
  return *this;
}

vnum& vnum::operator>>=(const vnum& count) {
  shiftByCount(count, -1);
  return *this;
}

// The distance is the count's magnitude, the direction its sign times the
// operator's. A right shift by 2^30 bits or more moves every bit of any value
// that fits in memory out, leaving the sign: 0 or -1. A left shift that large
// cannot produce a value the calculator may hold; callers refuse it before
// calling, and here only the low limb of the magnitude is used.
void vnum::shiftByCount(const vnum& count, int direction) {
  vnum magnitude(count);
  if (!magnitude.plus) magnitude.negate();
  const int sign = (count.plus ? 1 : -1) * direction;
  bool huge = false;
  for (int32_t i = 1; i < magnitude.len; ++i) huge |= magnitude.limbs[i] != 0;
  if (huge && sign < 0) {
    const bool negative = !plus;
    len = 2;
    limbs[0] = limbs[1] = negative ? LIMB_MASK : 0;
    return;
  }
  shift(static_cast<int64_t>(sign) * magnitude.limbs[0]);
}

}  // namespace quorvel
