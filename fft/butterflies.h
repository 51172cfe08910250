// The butterflies of the transforms (internal to the fft library).
//
// Forward steps are decimations in frequency (DIF), inverse steps
// decimations in time (DIT), each the exact mirror of the other, so that a
// convolution needs no reordering: the forward transform leaves its spectrum
// in a permuted order, the pointwise product does not care, and the inverse
// undoes the permutation step by step.
//
// Radix-4 DIF step on a block of L points, q = L/4, w = e^(2 pi i/L), for
// 0 <= j < q:
//   a0 = x_j + x_(j+2q)     a1 = x_j - x_(j+2q)
//   b0 = x_(j+q) + x_(j+3q) d1 = x_(j+q) - x_(j+3q)
//   x_j      <- a0 + b0                 (frequencies 0 mod 4)
//   x_(j+q)  <- (a1 + i d1) w^j         (1 mod 4)
//   x_(j+2q) <- (a0 - b0) w^(2j)        (2 mod 4)
//   x_(j+3q) <- (a1 - i d1) w^(-j)      (3 mod 4, "conjugate pair")
// The last class takes w^(-j) instead of w^(3j): its quarter then computes
// frequency 4k - 1 at position k instead of 4k + 3, a rotation that the
// inverse undoes, and one twiddle w^j serves two classes. The inverse step
// multiplies by the conjugate twiddles first and returns 4 x.
//
// Register discipline. x87 has eight registers; a ninth live value spills
// as an 80-bit store and load (about 12 cycles together). Each butterfly is
// written so that at most eight values are live at any point: one half
// (real or imaginary parts) at a time, then the rotations, with twiddles
// that would not fit re-read from memory (reload) instead of held. The
// inverse step still reaches eight at its stores, and GCC 12 spills one
// value there (its stores need the value on the top of the stack).
#pragma once

#include "fft/fft_plan.h"
#include "fft/split_storage.h"

namespace quorvel::detail {

// The inputs of a forward step: either the stored points themselves, or
// real inputs x_k times their right-angle weights omega_k, read as (x c, x s)
// where they are needed. A real input is an exact double in re.hi; its other
// three slots are neither read nor needed.
template <bool WeightedReal>
struct StepInputs {
  SplitPoint* const* p;
  const SplitPoint* const* weight;
  long double re(int k) const {
    if constexpr (WeightedReal) {
      return p[k]->re.hi * load(weight[k]->re);
    } else {
      return load(p[k]->re);
    }
  }
  long double im(int k) const {
    if constexpr (WeightedReal) {
      return p[k]->re.hi * load(weight[k]->im);
    } else {
      return load(p[k]->im);
    }
  }
};

template <bool WeightedReal>
[[gnu::always_inline]] inline void radix4Dif(SplitPoint* const* p, const StepInputs<WeightedReal>& in,
                                             const TwiddlePair& t) {
  // Imaginary parts first: weighted real inputs read their real slots for
  // both halves, so x_j's real slot may be overwritten only at the end.
  long double a1i, d1i, s2i;
  {
    const long double x0 = in.im(0), x2 = in.im(2);
    const long double a0 = x0 + x2;
    a1i = x0 - x2;
    const long double x1 = in.im(1), x3 = in.im(3);
    const long double b0 = x1 + x3;
    d1i = x1 - x3;
    store(p[0]->im, a0 + b0);
    s2i = a0 - b0;
  }
  long double a1r, d1r, s2r;
  {
    const long double x0 = in.re(0), x2 = in.re(2);
    const long double a0 = x0 + x2;
    a1r = x0 - x2;
    const long double x1 = in.re(1), x3 = in.re(3);
    const long double b0 = x1 + x3;
    d1r = x1 - x3;
    store(p[0]->re, a0 + b0);
    s2r = a0 - b0;
  }
  // Six values live: w^(2j) is read twice rather than held, one part per
  // statement so that no two reads are pending at once.
  {
    long double r = s2r * reload(t.w2.re);
    r -= s2i * reload(t.w2.im);
    store(p[2]->re, r);
    long double m = s2r * reload(t.w2.im);
    m += s2i * reload(t.w2.re);
    store(p[2]->im, m);
  }
  const long double pr = a1r - d1i, mr = a1r + d1i;  // a1 + i d1, a1 - i d1
  const long double pi = a1i + d1r, mi = a1i - d1r;
  const long double c = load(t.w1.re), s = load(t.w1.im);
  store(p[1]->re, pr * c - pi * s);
  store(p[1]->im, pr * s + pi * c);
  store(p[3]->re, mr * c + mi * s);
  store(p[3]->im, mi * c - mr * s);
}

// The inverse of radix4Dif times 4.
[[gnu::always_inline]] inline void radix4Dit(SplitPoint* const* p, const TwiddlePair& t) {
  long double u1r, u1i, u3r, u3i;
  {
    const long double c = load(t.w1.re), s = load(t.w1.im);
    const long double y1r = load(p[1]->re), y1i = load(p[1]->im);
    u1r = y1r * c + y1i * s;  // y1 conj(w^j)
    u1i = y1i * c - y1r * s;
    const long double y3r = load(p[3]->re), y3i = load(p[3]->im);
    u3r = y3r * c - y3i * s;  // y3 w^j
    u3i = y3r * s + y3i * c;
  }
  // a1 = (u1 + u3)/2 and d1 = (u1 - u3)/(2i), doubled.
  const long double a1r = u1r + u3r, d1i = u3r - u1r;
  const long double a1i = u1i + u3i, d1r = u1i - u3i;
  long double u2r, u2i;
  {
    // y2 conj(w^2j), one twiddle read per statement so that no two reads
    // are pending at once.
    const long double y2r = load(p[2]->re), y2i = load(p[2]->im);
    u2r = y2r * reload(t.w2.re);
    u2r += y2i * reload(t.w2.im);
    u2i = y2i * reload(t.w2.re);
    u2i -= y2r * reload(t.w2.im);
  }
  {
    const long double y0 = load(p[0]->re);
    const long double a0 = y0 + u2r, b0 = y0 - u2r;
    store(p[0]->re, a0 + a1r);
    store(p[2]->re, a0 - a1r);
    store(p[1]->re, b0 + d1r);
    store(p[3]->re, b0 - d1r);
  }
  {
    const long double y0 = load(p[0]->im);
    const long double a0 = y0 + u2i, b0 = y0 - u2i;
    store(p[0]->im, a0 + a1i);
    store(p[2]->im, a0 - a1i);
    store(p[1]->im, b0 + d1i);
    store(p[3]->im, b0 - d1i);
  }
}

// The last forward level when log2(L) is even: twiddle-free 4-point steps on
// the consecutive points x[0..4).
[[gnu::always_inline]] inline void radix4DifLast(SplitPoint* x) {
  long double a1r, d1r, a1i, d1i;
  {
    const long double x0 = load(x[0].re), x2 = load(x[2].re);
    const long double a0 = x0 + x2;
    a1r = x0 - x2;
    const long double x1 = load(x[1].re), x3 = load(x[3].re);
    const long double b0 = x1 + x3;
    d1r = x1 - x3;
    store(x[0].re, a0 + b0);
    store(x[2].re, a0 - b0);
  }
  {
    const long double x0 = load(x[0].im), x2 = load(x[2].im);
    const long double a0 = x0 + x2;
    a1i = x0 - x2;
    const long double x1 = load(x[1].im), x3 = load(x[3].im);
    const long double b0 = x1 + x3;
    d1i = x1 - x3;
    store(x[0].im, a0 + b0);
    store(x[2].im, a0 - b0);
  }
  store(x[1].re, a1r - d1i);
  store(x[1].im, a1i + d1r);
  store(x[3].re, a1r + d1i);
  store(x[3].im, a1i - d1r);
}

[[gnu::always_inline]] inline void radix4DitFirst(SplitPoint* x) {
  long double b0r, d1i;
  {
    const long double y0 = load(x[0].re), y2 = load(x[2].re);
    const long double a0 = y0 + y2;
    b0r = y0 - y2;
    const long double y1 = load(x[1].re), y3 = load(x[3].re);
    const long double a1 = y1 + y3;
    d1i = y3 - y1;
    store(x[0].re, a0 + a1);
    store(x[2].re, a0 - a1);
  }
  long double b0i, d1r;
  {
    const long double y0 = load(x[0].im), y2 = load(x[2].im);
    const long double a0 = y0 + y2;
    b0i = y0 - y2;
    const long double y1 = load(x[1].im), y3 = load(x[3].im);
    const long double a1 = y1 + y3;
    d1r = y1 - y3;
    store(x[0].im, a0 + a1);
    store(x[2].im, a0 - a1);
  }
  store(x[1].re, b0r + d1r);
  store(x[3].re, b0r - d1r);
  store(x[1].im, b0i + d1i);
  store(x[3].im, b0i - d1i);
}

// The last forward level when log2(L) is odd, and the first inverse one:
// x0 + x1, x0 - x1 (its own inverse up to the factor 2).
[[gnu::always_inline]] inline void radix2(SplitPoint* x) {
  const long double x0r = load(x[0].re), x1r = load(x[1].re);
  store(x[0].re, x0r + x1r);
  store(x[1].re, x0r - x1r);
  const long double x0i = load(x[0].im), x1i = load(x[1].im);
  store(x[0].im, x0i + x1i);
  store(x[1].im, x0i - x1i);
}

// sqrt(3)/2 as a split pair: both halves exact doubles.
inline constexpr SplitReal HALF_SQRT3 = {0.8660254037844385965883020617184229195117950439453125,
                                         5.017542110903451401193673136965463e-17};

// Radix-3 DIF step of the first level when M = 3P: q = P, w = e^(2 pi i/M),
// zeta = e^(2 pi i/3) = -1/2 + i sqrt(3)/2, for 0 <= j < P:
//   s = x_(j+P) + x_(j+2P),  d = x_(j+P) - x_(j+2P),  m = x_j - s/2
//   x_j      <- x_j + s                       (frequencies 0 mod 3)
//   x_(j+P)  <- (m + i (sqrt3/2) d) w^j       (1 mod 3)
//   x_(j+2P) <- (m - i (sqrt3/2) d) w^(-j)    (2 mod 3, conjugate pair)
template <bool WeightedReal>
[[gnu::always_inline]] inline void radix3Dif(SplitPoint* const* p, const StepInputs<WeightedReal>& in,
                                             const SplitPoint& w) {
  // Imaginary parts first, as in radix4Dif.
  long double mr, dr, mi, di;
  {
    const long double x1 = in.im(1), x2 = in.im(2);
    const long double s = x1 + x2;
    di = x1 - x2;
    const long double x0 = in.im(0);
    store(p[0]->im, x0 + s);
    mi = x0 - 0.5 * s;
  }
  {
    const long double x1 = in.re(1), x2 = in.re(2);
    const long double s = x1 + x2;
    dr = x1 - x2;
    const long double x0 = in.re(0);
    store(p[0]->re, x0 + s);
    mr = x0 - 0.5 * s;
  }
  const long double h = reload(HALF_SQRT3);
  dr *= h;
  di *= h;
  const long double pr = mr - di, pi = mi + dr;  // m + i h d
  const long double nr = mr + di, ni = mi - dr;  // m - i h d
  const long double c = load(w.re), s = load(w.im);
  store(p[1]->re, pr * c - pi * s);
  store(p[1]->im, pr * s + pi * c);
  store(p[2]->re, nr * c + ni * s);
  store(p[2]->im, ni * c - nr * s);
}

// The inverse of radix3Dif times 3:
//   u1 = y1 conj(w^j), u2 = y2 w^j, s = u1 + u2, d = u1 - u2, m = y0 - s/2,
//   x0 = y0 + s, x1 = m - i (sqrt3/2) d, x2 = m + i (sqrt3/2) d.
[[gnu::always_inline]] inline void radix3Dit(SplitPoint* const* p, const SplitPoint& w) {
  long double sr, si, dr, di;
  {
    const long double c = load(w.re), s = load(w.im);
    const long double y1r = load(p[1]->re), y1i = load(p[1]->im);
    const long double u1r = y1r * c + y1i * s;
    const long double u1i = y1i * c - y1r * s;
    const long double y2r = load(p[2]->re), y2i = load(p[2]->im);
    const long double u2r = y2r * c - y2i * s;
    const long double u2i = y2r * s + y2i * c;
    sr = u1r + u2r;
    dr = u1r - u2r;
    si = u1i + u2i;
    di = u1i - u2i;
  }
  const long double h = reload(HALF_SQRT3);
  dr *= h;
  di *= h;
  {
    const long double y0 = load(p[0]->re);
    store(p[0]->re, y0 + sr);
    const long double m = y0 - 0.5 * sr;
    store(p[1]->re, m + di);
    store(p[2]->re, m - di);
  }
  {
    const long double y0 = load(p[0]->im);
    store(p[0]->im, y0 + si);
    const long double m = y0 - 0.5 * si;
    store(p[1]->im, m - dr);
    store(p[2]->im, m + dr);
  }
}

}  // namespace quorvel::detail
