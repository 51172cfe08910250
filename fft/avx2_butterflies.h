// The butterflies of the AVX2 transform (internal to the fft library): the
// steps of butterflies.h on four points at once, one lane per index j, in
// double precision with fused multiply-adds. Compiled for AVX2 and FMA
// whatever the build's target; only code that has checked hasAvx2Fma() may
// call them.
//
// The steps and their conjugate-pair twiddles are those of the x87
// transform (butterflies.h): forward steps decimate in frequency, inverse
// steps in time, each the exact mirror of the other, so a convolution needs
// no reordering. Radix 5, for lengths 5 2^k, follows the same plan:
//   t1 = x1 + x4,  t2 = x2 + x3,  t3 = x1 - x4,  t4 = x2 - x3,
//   y0 = x0 + t1 + t2,
//   y1, y4 = x0 + c1 t1 + c2 t2 +- i (s1 t3 + s2 t4),
//   y2, y3 = x0 + c2 t1 + c1 t2 +- i (s2 t3 - s1 t4),
// with c_k + i s_k = e^(2 pi i k/5), then y1 w^j, y4 w^(-j), y2 w^(2j),
// y3 w^(-2j); its inverse is the same with i replaced by -i, after the
// conjugate twiddles.
#pragma once

#include <immintrin.h>

#include "fft/avx2_plan.h"

#define QUORVEL_AVX2 __attribute__((target("avx2,fma")))
#define QUORVEL_AVX2_INLINE __attribute__((target("avx2,fma"), always_inline)) inline

namespace quorvel::detail::avx2 {

// Four complex numbers, one per lane.
struct CVec {
  __m256d re, im;
};

QUORVEL_AVX2_INLINE CVec load(const PointQuad& q) { return {_mm256_load_pd(q.re), _mm256_load_pd(q.im)}; }
QUORVEL_AVX2_INLINE void store(PointQuad& q, CVec v) {
  _mm256_store_pd(q.re, v.re);
  _mm256_store_pd(q.im, v.im);
}
QUORVEL_AVX2_INLINE CVec operator+(CVec a, CVec b) { return {_mm256_add_pd(a.re, b.re), _mm256_add_pd(a.im, b.im)}; }
QUORVEL_AVX2_INLINE CVec operator-(CVec a, CVec b) { return {_mm256_sub_pd(a.re, b.re), _mm256_sub_pd(a.im, b.im)}; }
QUORVEL_AVX2_INLINE CVec scale(CVec a, __m256d s) { return {_mm256_mul_pd(a.re, s), _mm256_mul_pd(a.im, s)}; }
// a + i b and a - i b.
QUORVEL_AVX2_INLINE CVec plusI(CVec a, CVec b) { return {_mm256_sub_pd(a.re, b.im), _mm256_add_pd(a.im, b.re)}; }
QUORVEL_AVX2_INLINE CVec minusI(CVec a, CVec b) { return {_mm256_add_pd(a.re, b.im), _mm256_sub_pd(a.im, b.re)}; }
// a w and a conj(w).
QUORVEL_AVX2_INLINE CVec mul(CVec a, CVec w) {
  return {_mm256_fmsub_pd(a.re, w.re, _mm256_mul_pd(a.im, w.im)), _mm256_fmadd_pd(a.re, w.im, _mm256_mul_pd(a.im, w.re))};
}
QUORVEL_AVX2_INLINE CVec mulConj(CVec a, CVec w) {
  return {_mm256_fmadd_pd(a.re, w.re, _mm256_mul_pd(a.im, w.im)), _mm256_fmsub_pd(a.im, w.re, _mm256_mul_pd(a.re, w.im))};
}
// a a and a b for the pointwise products.
QUORVEL_AVX2_INLINE CVec square(CVec a) {
  const __m256d twoRe = _mm256_add_pd(a.re, a.re);
  return {_mm256_mul_pd(_mm256_add_pd(a.re, a.im), _mm256_sub_pd(a.re, a.im)), _mm256_mul_pd(twoRe, a.im)};
}

// Radix-4 DIF step: x_k <- the four classes, as radix4Dif in butterflies.h.
QUORVEL_AVX2_INLINE void radix4Dif(CVec& x0, CVec& x1, CVec& x2, CVec& x3, CVec w1, CVec w2) {
  const CVec a0 = x0 + x2, a1 = x0 - x2, b0 = x1 + x3, d1 = x1 - x3;
  x0 = a0 + b0;
  x2 = mul(a0 - b0, w2);
  x1 = mul(plusI(a1, d1), w1);
  x3 = mulConj(minusI(a1, d1), w1);
}

// The same without twiddles (w = 1).
QUORVEL_AVX2_INLINE void radix4Dif(CVec& x0, CVec& x1, CVec& x2, CVec& x3) {
  const CVec a0 = x0 + x2, a1 = x0 - x2, b0 = x1 + x3, d1 = x1 - x3;
  x0 = a0 + b0;
  x2 = a0 - b0;
  x1 = plusI(a1, d1);
  x3 = minusI(a1, d1);
}

// The inverse of radix4Dif times 4: u1 = x1 conj(w1), u3 = x3 w1 give
// a1 = (u1 + u3)/2 and d1 = (u1 - u3)/(2i), doubled.
QUORVEL_AVX2_INLINE void radix4DitCore(CVec& x0, CVec& x1, CVec& x2, CVec& x3, CVec u1, CVec u2, CVec u3) {
  const CVec a1 = u1 + u3;
  const CVec d1{_mm256_sub_pd(u1.im, u3.im), _mm256_sub_pd(u3.re, u1.re)};
  const CVec a0 = x0 + u2, b0 = x0 - u2;
  x0 = a0 + a1;
  x2 = a0 - a1;
  x1 = b0 + d1;
  x3 = b0 - d1;
}

QUORVEL_AVX2_INLINE void radix4Dit(CVec& x0, CVec& x1, CVec& x2, CVec& x3, CVec w1, CVec w2) {
  radix4DitCore(x0, x1, x2, x3, mulConj(x1, w1), mulConj(x2, w2), mul(x3, w1));
}

QUORVEL_AVX2_INLINE void radix4Dit(CVec& x0, CVec& x1, CVec& x2, CVec& x3) { radix4DitCore(x0, x1, x2, x3, x1, x2, x3); }

// Radix-2: x0 + x1, (x0 - x1) w; the inverse x0 + x1 conj(w), x0 - x1 conj(w).
QUORVEL_AVX2_INLINE void radix2Dif(CVec& x0, CVec& x1, CVec w) {
  const CVec d = x0 - x1;
  x0 = x0 + x1;
  x1 = mul(d, w);
}
QUORVEL_AVX2_INLINE void radix2Dit(CVec& x0, CVec& x1, CVec w) {
  const CVec u = mulConj(x1, w);
  x1 = x0 - u;
  x0 = x0 + u;
}

// Radix 3, as radix3Dif and radix3Dit in butterflies.h (h = sqrt(3)/2).
inline constexpr double HALF_SQRT3 = 0.8660254037844386467637231707529361834714026269051903140279034897;

QUORVEL_AVX2_INLINE void radix3Dif(CVec& x0, CVec& x1, CVec& x2, CVec w) {
  const __m256d half = _mm256_set1_pd(0.5), h = _mm256_set1_pd(HALF_SQRT3);
  const CVec s = x1 + x2, d = scale(x1 - x2, h);
  const CVec m = x0 - scale(s, half);
  x0 = x0 + s;
  x1 = mul(plusI(m, d), w);
  x2 = mulConj(minusI(m, d), w);
}

QUORVEL_AVX2_INLINE void radix3Dit(CVec& x0, CVec& x1, CVec& x2, CVec w) {
  const __m256d half = _mm256_set1_pd(0.5), h = _mm256_set1_pd(HALF_SQRT3);
  const CVec u1 = mulConj(x1, w), u2 = mul(x2, w);
  const CVec s = u1 + u2, d = scale(u1 - u2, h);
  const CVec m = x0 - scale(s, half);
  x0 = x0 + s;
  x1 = minusI(m, d);
  x2 = plusI(m, d);
}

// cos and sin of 2 pi/5 and 4 pi/5.
inline constexpr double COS_FIFTH = 0.3090169943749474241022934171828190588601545899028814310677243114;
inline constexpr double COS_TWO_FIFTHS = -0.8090169943749474241022934171828190588601545899028814310677243114;
inline constexpr double SIN_FIFTH = 0.9510565162951535721164393333793821434782955025;
inline constexpr double SIN_TWO_FIFTHS = 0.5877852522924731291687059546390727685976524376;

// The 5-point DFT in the sign of `sign` (+1 forward, -1 inverse), without
// twiddles.
template <int Sign>
QUORVEL_AVX2_INLINE void fivePoint(CVec& x0, CVec& x1, CVec& x2, CVec& x3, CVec& x4) {
  const __m256d c1 = _mm256_set1_pd(COS_FIFTH), c2 = _mm256_set1_pd(COS_TWO_FIFTHS);
  const __m256d s1 = _mm256_set1_pd(SIN_FIFTH), s2 = _mm256_set1_pd(SIN_TWO_FIFTHS);
  const CVec t1 = x1 + x4, t2 = x2 + x3, t3 = x1 - x4, t4 = x2 - x3;
  const CVec a1{_mm256_fmadd_pd(c2, t2.re, _mm256_fmadd_pd(c1, t1.re, x0.re)),
                _mm256_fmadd_pd(c2, t2.im, _mm256_fmadd_pd(c1, t1.im, x0.im))};
  const CVec a2{_mm256_fmadd_pd(c1, t2.re, _mm256_fmadd_pd(c2, t1.re, x0.re)),
                _mm256_fmadd_pd(c1, t2.im, _mm256_fmadd_pd(c2, t1.im, x0.im))};
  const CVec b1{_mm256_fmadd_pd(s2, t4.re, _mm256_mul_pd(s1, t3.re)),
                _mm256_fmadd_pd(s2, t4.im, _mm256_mul_pd(s1, t3.im))};
  const CVec b2{_mm256_fnmadd_pd(s1, t4.re, _mm256_mul_pd(s2, t3.re)),
                _mm256_fnmadd_pd(s1, t4.im, _mm256_mul_pd(s2, t3.im))};
  x0 = x0 + t1 + t2;
  if constexpr (Sign > 0) {
    x1 = plusI(a1, b1);
    x4 = minusI(a1, b1);
    x2 = plusI(a2, b2);
    x3 = minusI(a2, b2);
  } else {
    x1 = minusI(a1, b1);
    x4 = plusI(a1, b1);
    x2 = minusI(a2, b2);
    x3 = plusI(a2, b2);
  }
}

QUORVEL_AVX2_INLINE void radix5Dif(CVec& x0, CVec& x1, CVec& x2, CVec& x3, CVec& x4, CVec w1, CVec w2) {
  fivePoint<1>(x0, x1, x2, x3, x4);
  x1 = mul(x1, w1);
  x4 = mulConj(x4, w1);
  x2 = mul(x2, w2);
  x3 = mulConj(x3, w2);
}

QUORVEL_AVX2_INLINE void radix5Dit(CVec& x0, CVec& x1, CVec& x2, CVec& x3, CVec& x4, CVec w1, CVec w2) {
  x1 = mulConj(x1, w1);
  x4 = mul(x4, w1);
  x2 = mulConj(x2, w2);
  x3 = mul(x3, w2);
  fivePoint<-1>(x0, x1, x2, x3, x4);
}

// Lane l of t_k <- lane k of x_l, for the real and the imaginary halves.
QUORVEL_AVX2_INLINE void transpose(__m256d& a, __m256d& b, __m256d& c, __m256d& d) {
  const __m256d ab0 = _mm256_unpacklo_pd(a, b), ab1 = _mm256_unpackhi_pd(a, b);
  const __m256d cd0 = _mm256_unpacklo_pd(c, d), cd1 = _mm256_unpackhi_pd(c, d);
  a = _mm256_permute2f128_pd(ab0, cd0, 0x20);
  b = _mm256_permute2f128_pd(ab1, cd1, 0x20);
  c = _mm256_permute2f128_pd(ab0, cd0, 0x31);
  d = _mm256_permute2f128_pd(ab1, cd1, 0x31);
}
QUORVEL_AVX2_INLINE void transpose(CVec& a, CVec& b, CVec& c, CVec& d) {
  transpose(a.re, b.re, c.re, d.re);
  transpose(a.im, b.im, c.im, d.im);
}

// The last two forward levels of a block of 16 points (quads q[0..4)): the
// radix-4 step over the 16, lane-parallel, then the twiddle-free 4-point
// steps inside each quad, done across the quads after a transpose. The
// result stays transposed: lane s of quad k holds class k of the 4-point
// block s. The inverse undoes exactly that, so the order never matters.
QUORVEL_AVX2_INLINE void last16Forward(PointQuad* q, const TwiddleQuad& t) {
  CVec x0 = load(q[0]), x1 = load(q[1]), x2 = load(q[2]), x3 = load(q[3]);
  radix4Dif(x0, x1, x2, x3, load(t.w1), load(t.w2));
  transpose(x0, x1, x2, x3);
  radix4Dif(x0, x1, x2, x3);
  store(q[0], x0);
  store(q[1], x1);
  store(q[2], x2);
  store(q[3], x3);
}

QUORVEL_AVX2_INLINE void first16Inverse(PointQuad* q, const TwiddleQuad& t) {
  CVec x0 = load(q[0]), x1 = load(q[1]), x2 = load(q[2]), x3 = load(q[3]);
  radix4Dit(x0, x1, x2, x3);
  transpose(x0, x1, x2, x3);
  radix4Dit(x0, x1, x2, x3, load(t.w1), load(t.w2));
  store(q[0], x0);
  store(q[1], x1);
  store(q[2], x2);
  store(q[3], x3);
}

}  // namespace quorvel::detail::avx2
