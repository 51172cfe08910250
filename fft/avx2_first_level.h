// The first level of the AVX2 transform (internal to the fft library): a
// radix-4 step over all M points (R = 1) or a radix-R step (R = 3, 5), the
// right-angle weights applied on the way in (forward) or left to the
// caller on the way out (inverse). The forward step reads its inputs, and
// the inverse step hands over its outputs, through functors, so that the
// products can cut digits straight into it and round straight out of it
// instead of making passes of their own over the whole buffer.
//
// Step k (a quad index below q = firstBlockPoints / 4) combines the quads
// k + i q, i < R' (R' = firstBlocks). in(i, k) returns quad k + i q times
// its weights; out(i, k, v) receives the inverse step's result for that
// quad, weights not yet removed. Functors must be compiled for AVX2 too
// (QUORVEL_AVX2_INLINE members): lambdas do not inherit a function's target.
#pragma once

#include "fft/avx2_butterflies.h"
#include "fft/avx2_plan.h"

namespace quorvel::detail::avx2 {

template <class Input>
QUORVEL_AVX2_INLINE void firstLevelForward(const Avx2Plan& plan, PointQuad* z, Input& in, int begin, int end) {
  const TwiddleQuad* t = plan.firstTwiddles();
  const int q = plan.firstBlockPoints() / 4;
  switch (plan.radix()) {
    case 1:
      for (int k = begin; k < end; ++k) {
        CVec x0 = in(0, k), x1 = in(1, k), x2 = in(2, k), x3 = in(3, k);
        radix4Dif(x0, x1, x2, x3, load(t[k].w1), load(t[k].w2));
        store(z[k], x0);
        store(z[k + q], x1);
        store(z[k + 2 * q], x2);
        store(z[k + 3 * q], x3);
      }
      break;
    case 3:
      for (int k = begin; k < end; ++k) {
        CVec x0 = in(0, k), x1 = in(1, k), x2 = in(2, k);
        radix3Dif(x0, x1, x2, load(t[k].w1));
        store(z[k], x0);
        store(z[k + q], x1);
        store(z[k + 2 * q], x2);
      }
      break;
    default:
      for (int k = begin; k < end; ++k) {
        CVec x0 = in(0, k), x1 = in(1, k), x2 = in(2, k), x3 = in(3, k), x4 = in(4, k);
        radix5Dif(x0, x1, x2, x3, x4, load(t[k].w1), load(t[k].w2));
        store(z[k], x0);
        store(z[k + q], x1);
        store(z[k + 2 * q], x2);
        store(z[k + 3 * q], x3);
        store(z[k + 4 * q], x4);
      }
      break;
  }
}

template <class Output>
QUORVEL_AVX2_INLINE void firstLevelInverse(const Avx2Plan& plan, const PointQuad* z, Output& out, int begin,
                                           int end) {
  const TwiddleQuad* t = plan.firstTwiddles();
  const int q = plan.firstBlockPoints() / 4;
  switch (plan.radix()) {
    case 1:
      for (int k = begin; k < end; ++k) {
        CVec x0 = load(z[k]), x1 = load(z[k + q]), x2 = load(z[k + 2 * q]), x3 = load(z[k + 3 * q]);
        radix4Dit(x0, x1, x2, x3, load(t[k].w1), load(t[k].w2));
        out(0, k, x0);
        out(1, k, x1);
        out(2, k, x2);
        out(3, k, x3);
      }
      break;
    case 3:
      for (int k = begin; k < end; ++k) {
        CVec x0 = load(z[k]), x1 = load(z[k + q]), x2 = load(z[k + 2 * q]);
        radix3Dit(x0, x1, x2, load(t[k].w1));
        out(0, k, x0);
        out(1, k, x1);
        out(2, k, x2);
      }
      break;
    default:
      for (int k = begin; k < end; ++k) {
        CVec x0 = load(z[k]), x1 = load(z[k + q]), x2 = load(z[k + 2 * q]), x3 = load(z[k + 3 * q]);
        CVec x4 = load(z[k + 4 * q]);
        radix5Dit(x0, x1, x2, x3, x4, load(t[k].w1), load(t[k].w2));
        out(0, k, x0);
        out(1, k, x1);
        out(2, k, x2);
        out(3, k, x3);
        out(4, k, x4);
      }
      break;
  }
}

// Inputs from the buffer itself: z_j omega^j, a real z_j being its real
// half alone.
struct WeightedPoints {
  const PointQuad* z;
  const PointQuad* weights;
  int q;
  bool realInput;
  QUORVEL_AVX2_INLINE CVec operator()(int i, int k) const {
    const int quad = k + i * q;
    const CVec omega = load(weights[quad]);
    if (realInput) {
      const __m256d x = _mm256_load_pd(z[quad].re);
      return {_mm256_mul_pd(x, omega.re), _mm256_mul_pd(x, omega.im)};
    }
    return mul(load(z[quad]), omega);
  }
};

// Outputs back into the buffer.
struct StoredPoints {
  PointQuad* z;
  int q;
  QUORVEL_AVX2_INLINE void operator()(int i, int k, CVec v) const { store(z[k + i * q], v); }
};

}  // namespace quorvel::detail::avx2
