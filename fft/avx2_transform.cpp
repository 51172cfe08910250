// The drivers of the AVX2 transform: the order in which avx2_butterflies.h
// visits a buffer, the same as the x87 drivers' (transform.cpp).
//
// M = R P points. The first level is a radix-4 step over the whole buffer
// (R = 1) or a radix-R step (R = 3, 5), with the right-angle weights applied
// to its inputs; each of its blocks is then transformed depth-first: a
// radix-4 step over the block, then its quarters, down to leaves of at most
// AVX2_FFT_LEAF_POINTS points, which run their remaining levels one after
// another inside the first-level cache: a radix-2 step when their log2 is
// odd, radix-4 steps down to blocks of 16, and those blocks' last two levels
// in registers (last16Forward). The inverse visits the same steps in
// reverse. Quad k of a block holds its points 4k .. 4k + 3, and a step over
// a block of L points runs lane-parallel over quad indices k < L/16.
//
// Parallel pieces as in the x87 transform (parallel_pieces.h). Every lambda
// handed to the pool calls a function compiled for AVX2: lambdas do not
// inherit the target of the function that contains them.
#include "fft/avx2_transform.h"

#include <cassert>
#include <cstdint>

#include "fft/avx2_butterflies.h"
#include "fft/avx2_first_level.h"
#include "fft/limits.h"
#include "fft/parallel_pieces.h"
#include "platform/abort_flags.h"

namespace quorvel::detail {
namespace {

using namespace avx2;

bool oddLog2(int points) { return __builtin_ctz(static_cast<unsigned>(points)) % 2 == 1; }

// Quad steps [begin, end) of the radix-4 step over a block of L points.
QUORVEL_AVX2 void difSteps(PointQuad* x, int L, const TwiddleQuad* t, int begin, int end) {
  const int q = L / 16;
  for (int k = begin; k < end; ++k) {
    CVec x0 = load(x[k]), x1 = load(x[k + q]), x2 = load(x[k + 2 * q]), x3 = load(x[k + 3 * q]);
    radix4Dif(x0, x1, x2, x3, load(t[k].w1), load(t[k].w2));
    store(x[k], x0);
    store(x[k + q], x1);
    store(x[k + 2 * q], x2);
    store(x[k + 3 * q], x3);
  }
}

QUORVEL_AVX2 void ditSteps(PointQuad* x, int L, const TwiddleQuad* t, int begin, int end) {
  const int q = L / 16;
  for (int k = begin; k < end; ++k) {
    CVec x0 = load(x[k]), x1 = load(x[k + q]), x2 = load(x[k + 2 * q]), x3 = load(x[k + 3 * q]);
    radix4Dit(x0, x1, x2, x3, load(t[k].w1), load(t[k].w2));
    store(x[k], x0);
    store(x[k + q], x1);
    store(x[k + 2 * q], x2);
    store(x[k + 3 * q], x3);
  }
}

// Quad steps [begin, end) of two radix-4 levels at once over a block of L
// points: the step over the whole block, then the steps over its four
// quarters, on the 16 quads k + a Q (a < 16, Q = L/64) that the two levels
// combine. Data beyond the first-level cache is read and written once for
// both levels; the 16 values in between stay in registers and the stack.
QUORVEL_AVX2 void difSteps16(PointQuad* x, int L, const TwiddleQuad* outer, const TwiddleQuad* inner, int begin,
                             int end) {
  const int Q = L / 64;
  for (int k = begin; k < end; ++k) {
    CVec v[16];
    for (int r = 0; r < 4; ++r) {
      // The outer step k + r Q on the quads r, r + 4, r + 8, r + 12.
      const TwiddleQuad& t = outer[k + r * Q];
      CVec x0 = load(x[k + r * Q]), x1 = load(x[k + (r + 4) * Q]), x2 = load(x[k + (r + 8) * Q]);
      CVec x3 = load(x[k + (r + 12) * Q]);
      radix4Dif(x0, x1, x2, x3, load(t.w1), load(t.w2));
      v[r] = x0;
      v[r + 4] = x1;
      v[r + 8] = x2;
      v[r + 12] = x3;
    }
    const CVec w1 = load(inner[k].w1), w2 = load(inner[k].w2);
    for (int m = 0; m < 4; ++m) {
      // Quarter m's step k on its quads 4m .. 4m + 3.
      radix4Dif(v[4 * m], v[4 * m + 1], v[4 * m + 2], v[4 * m + 3], w1, w2);
      for (int r = 0; r < 4; ++r) store(x[k + (4 * m + r) * Q], v[4 * m + r]);
    }
  }
}

QUORVEL_AVX2 void ditSteps16(PointQuad* x, int L, const TwiddleQuad* outer, const TwiddleQuad* inner, int begin,
                             int end) {
  const int Q = L / 64;
  for (int k = begin; k < end; ++k) {
    CVec v[16];
    const CVec w1 = load(inner[k].w1), w2 = load(inner[k].w2);
    for (int m = 0; m < 4; ++m) {
      for (int r = 0; r < 4; ++r) v[4 * m + r] = load(x[k + (4 * m + r) * Q]);
      radix4Dit(v[4 * m], v[4 * m + 1], v[4 * m + 2], v[4 * m + 3], w1, w2);
    }
    for (int r = 0; r < 4; ++r) {
      const TwiddleQuad& t = outer[k + r * Q];
      radix4Dit(v[r], v[r + 4], v[r + 8], v[r + 12], load(t.w1), load(t.w2));
      store(x[k + r * Q], v[r]);
      store(x[k + (r + 4) * Q], v[r + 4]);
      store(x[k + (r + 8) * Q], v[r + 8]);
      store(x[k + (r + 12) * Q], v[r + 12]);
    }
  }
}

// All levels of a block of L = 4^e 16 points, level by level.
QUORVEL_AVX2 void evenLeafForward(PointQuad* x, int L, const Avx2Plan& plan) {
  const int quads = L / 4;
  for (int span = L; span > 16; span /= 4) {
    const TwiddleQuad* t = plan.stepTwiddles(span);
    for (int b = 0; b < quads; b += span / 4) difSteps(x + b, span, t, 0, span / 16);
  }
  const TwiddleQuad& t16 = *plan.stepTwiddles(16);
  for (int b = 0; b < quads; b += 4) last16Forward(x + b, t16);
}

QUORVEL_AVX2 void evenLeafInverse(PointQuad* x, int L, const Avx2Plan& plan) {
  const int quads = L / 4;
  const TwiddleQuad& t16 = *plan.stepTwiddles(16);
  for (int b = 0; b < quads; b += 4) first16Inverse(x + b, t16);
  for (int span = 64; span <= L; span *= 4) {
    const TwiddleQuad* t = plan.stepTwiddles(span);
    for (int b = 0; b < quads; b += span / 4) ditSteps(x + b, span, t, 0, span / 16);
  }
}

QUORVEL_AVX2 void leafForward(PointQuad* x, int L, const Avx2Plan& plan) {
  if (!oddLog2(L)) {
    evenLeafForward(x, L, plan);
    return;
  }
  const int half = L / 8;  // quads
  const TwiddleQuad* t = plan.radix2Twiddles();
  for (int k = 0; k < half; ++k) {
    CVec x0 = load(x[k]), x1 = load(x[k + half]);
    radix2Dif(x0, x1, load(t[k].w1));
    store(x[k], x0);
    store(x[k + half], x1);
  }
  evenLeafForward(x, L / 2, plan);
  evenLeafForward(x + half, L / 2, plan);
}

QUORVEL_AVX2 void leafInverse(PointQuad* x, int L, const Avx2Plan& plan) {
  if (!oddLog2(L)) {
    evenLeafInverse(x, L, plan);
    return;
  }
  const int half = L / 8;
  evenLeafInverse(x, L / 2, plan);
  evenLeafInverse(x + half, L / 2, plan);
  const TwiddleQuad* t = plan.radix2Twiddles();
  for (int k = 0; k < half; ++k) {
    CVec x0 = load(x[k]), x1 = load(x[k + half]);
    radix2Dit(x0, x1, load(t[k].w1));
    store(x[k], x0);
    store(x[k + half], x1);
  }
}

// z_k <- z_k X_k s, or z_k^2 s without a spectrum, over `quads` quads.
QUORVEL_AVX2 void pointwise(PointQuad* z, const PointQuad* spectrum, int quads, double factor) {
  const __m256d s = _mm256_set1_pd(factor);
  if (spectrum) {
    for (int k = 0; k < quads; ++k) store(z[k], scale(mul(load(z[k]), load(spectrum[k])), s));
  } else {
    for (int k = 0; k < quads; ++k) store(z[k], scale(square(load(z[k])), s));
  }
}

QUORVEL_AVX2 void leafConvolution(PointQuad* z, const PointQuad* spectrum, int L, const Avx2Plan& plan,
                                  double factor) {
  leafForward(z, L, plan);
  pointwise(z, spectrum, L / 4, factor);
  leafInverse(z, L, plan);
}

// The step over a block above the leaves, in ranges when it is long.
void blockDifPass(PointQuad* x, int L, const Avx2Plan& plan) {
  forEachRange(L / 16, FFT_PARALLEL_RANGE_POINTS / 16, [&](int64_t begin, int64_t end) {
    difSteps(x, L, plan.stepTwiddles(L), static_cast<int>(begin), static_cast<int>(end));
  });
}

void blockDitPass(PointQuad* x, int L, const Avx2Plan& plan) {
  forEachRange(L / 16, FFT_PARALLEL_RANGE_POINTS / 16, [&](int64_t begin, int64_t end) {
    ditSteps(x, L, plan.stepTwiddles(L), static_cast<int>(begin), static_cast<int>(end));
  });
}

// A block above the leaves takes two levels at once while its sixteenths
// are still no smaller than a leaf, else one.
int stepParts(int L, const Avx2Plan& plan) { return L / 16 >= plan.leafPoints() ? 16 : 4; }

void blockDifPass16(PointQuad* x, int L, const Avx2Plan& plan) {
  forEachRange(L / 64, FFT_PARALLEL_RANGE_POINTS / 64, [&](int64_t begin, int64_t end) {
    difSteps16(x, L, plan.stepTwiddles(L), plan.stepTwiddles(L / 4), static_cast<int>(begin),
               static_cast<int>(end));
  });
}

void blockDitPass16(PointQuad* x, int L, const Avx2Plan& plan) {
  forEachRange(L / 64, FFT_PARALLEL_RANGE_POINTS / 64, [&](int64_t begin, int64_t end) {
    ditSteps16(x, L, plan.stepTwiddles(L), plan.stepTwiddles(L / 4), static_cast<int>(begin),
               static_cast<int>(end));
  });
}

bool forwardBlock(PointQuad* x, int L, const Avx2Plan& plan) {
  if (L <= plan.leafPoints()) {
    leafForward(x, L, plan);
    return true;
  }
  if (L >= FFT_POLL_POINTS && isAborted()) return false;
  const int parts = stepParts(L, plan);
  parts == 16 ? blockDifPass16(x, L, plan) : blockDifPass(x, L, plan);
  const int size = L / parts;
  return forEachBlock(parts, L, [&](int k) { return forwardBlock(x + k * (size / 4), size, plan); });
}

bool inverseBlock(PointQuad* x, int L, const Avx2Plan& plan) {
  if (L <= plan.leafPoints()) {
    leafInverse(x, L, plan);
    return true;
  }
  if (L >= FFT_POLL_POINTS && isAborted()) return false;
  const int parts = stepParts(L, plan);
  const int size = L / parts;
  if (!forEachBlock(parts, L, [&](int k) { return inverseBlock(x + k * (size / 4), size, plan); })) return false;
  parts == 16 ? blockDitPass16(x, L, plan) : blockDitPass(x, L, plan);
  return true;
}

bool convolveBlock(PointQuad* z, const PointQuad* spectrum, int L, const Avx2Plan& plan, double factor) {
  if (L <= plan.leafPoints()) {
    leafConvolution(z, spectrum, L, plan, factor);
    return true;
  }
  if (L >= FFT_POLL_POINTS && isAborted()) return false;
  const int parts = stepParts(L, plan);
  parts == 16 ? blockDifPass16(z, L, plan) : blockDifPass(z, L, plan);
  const int size = L / parts;
  const bool done = forEachBlock(parts, L, [&](int k) {
    const PointQuad* part = spectrum ? spectrum + k * (size / 4) : nullptr;
    return convolveBlock(z + k * (size / 4), part, size, plan, factor);
  });
  if (!done) return false;
  parts == 16 ? blockDitPass16(z, L, plan) : blockDitPass(z, L, plan);
  return true;
}

QUORVEL_AVX2 void firstLevelForwardRange(const Avx2Plan& plan, PointQuad* z, bool realInput, int begin, int end) {
  WeightedPoints in{z, plan.weights(), plan.firstBlockPoints() / 4, realInput};
  firstLevelForward(plan, z, in, begin, end);
}

QUORVEL_AVX2 void firstLevelInverseRange(const Avx2Plan& plan, PointQuad* z, int begin, int end) {
  StoredPoints out{z, plan.firstBlockPoints() / 4};
  firstLevelInverse(plan, z, out, begin, end);
}

// z_j <- z_j conj(omega^j), the inverse transform's last step.
QUORVEL_AVX2 void removeWeights(const Avx2Plan& plan, PointQuad* z, int begin, int end) {
  const PointQuad* w = plan.weights();
  for (int k = begin; k < end; ++k) store(z[k], mulConj(load(z[k]), load(w[k])));
}

int64_t firstLevelGrain(const Avx2Plan& plan) { return FFT_PARALLEL_RANGE_POINTS / (4 * plan.firstBlocks()); }

void forwardFirstLevel(const Avx2Plan& plan, PointQuad* z, bool realInput) {
  forEachRange(plan.firstBlockPoints() / 4, firstLevelGrain(plan), [&](int64_t begin, int64_t end) {
    firstLevelForwardRange(plan, z, realInput, static_cast<int>(begin), static_cast<int>(end));
  });
}

void inverseFirstLevel(const Avx2Plan& plan, PointQuad* z) {
  forEachRange(plan.firstBlockPoints() / 4, firstLevelGrain(plan), [&](int64_t begin, int64_t end) {
    firstLevelInverseRange(plan, z, static_cast<int>(begin), static_cast<int>(end));
  });
}

int frequencyInBlock(int position, int L, int leafPoints) {
  if (L == 16) {
    // Quad m, lane s: class m of the 4-point block s, which is class s of
    // the radix-4 step over the 16.
    const int m = position / 4, s = position % 4;
    return s == 3 ? (4 * m + 15) % 16 : 4 * m + s;
  }
  if (L == leafPoints && oddLog2(L)) {
    const int half = L / 2;
    return 2 * frequencyInBlock(position % half, half, leafPoints) + position / half;
  }
  const int quarter = L / 4;
  const int cls = position / quarter;
  const int k = frequencyInBlock(position % quarter, quarter, leafPoints);
  return cls == 3 ? (4 * k - 1 + L) % L : 4 * k + cls;
}

}  // namespace

bool forwardBlocks(const Avx2Plan& plan, PointQuad* z) {
  const int size = plan.firstBlockPoints();
  return forEachBlock(plan.firstBlocks(), plan.points(),
                      [&](int k) { return forwardBlock(z + k * (size / 4), size, plan); });
}

bool convolveBlocks(const Avx2Plan& plan, PointQuad* z, const PointQuad* spectrum, double factor) {
  const int size = plan.firstBlockPoints();
  return forEachBlock(plan.firstBlocks(), plan.points(), [&](int k) {
    const PointQuad* part = spectrum ? spectrum + k * (size / 4) : nullptr;
    return convolveBlock(z + k * (size / 4), part, size, plan, factor);
  });
}

bool forwardTransform(const Avx2Plan& plan, PointQuad* z, bool realInput) {
  if (isAborted()) return false;
  forwardFirstLevel(plan, z, realInput);
  return forwardBlocks(plan, z);
}

bool inverseTransform(const Avx2Plan& plan, PointQuad* z) {
  const int size = plan.firstBlockPoints();
  if (!forEachBlock(plan.firstBlocks(), plan.points(),
                    [&](int k) { return inverseBlock(z + k * (size / 4), size, plan); }))
    return false;
  inverseFirstLevel(plan, z);
  forEachRange(plan.points() / 4, FFT_PARALLEL_RANGE_POINTS / 4, [&](int64_t begin, int64_t end) {
    removeWeights(plan, z, static_cast<int>(begin), static_cast<int>(end));
  });
  return true;
}

bool convolve(const Avx2Plan& plan, PointQuad* z, bool realInput, const PointQuad* spectrum, double factor) {
  if (isAborted()) return false;
  forwardFirstLevel(plan, z, realInput);
  if (!convolveBlocks(plan, z, spectrum, factor)) return false;
  inverseFirstLevel(plan, z);
  return true;
}

int spectrumFrequency(const Avx2Plan& plan, int position) {
  const int M = plan.points(), size = plan.firstBlockPoints(), R = plan.firstBlocks();
  const int cls = position / size;
  const int k = frequencyInBlock(position % size, size, plan.leafPoints());
  // The last class or two take the conjugate twiddles: frequencies R k - 1
  // (and R k - 2 for radix 5).
  const int offset = cls <= R / 2 ? cls : cls - R;
  return ((R * k + offset) % M + M) % M;
}

}  // namespace quorvel::detail
