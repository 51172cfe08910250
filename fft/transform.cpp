// The transform drivers: the order in which butterflies.h visits a buffer.
//
// M = R P points, P a power of two. The first level is a radix-R step over
// the whole buffer (radix 4 when R = 1, radix 3 when R = 3) that also applies
// the right-angle weights; each of its R or 4 blocks is then transformed
// depth-first: a radix-4 step over the block, then its quarters, down to
// blocks of FFT_LEAF_POINTS points, which run their remaining levels one
// after another inside the first-level cache and end with a twiddle-free
// radix-4 or radix-2 level. The inverse visits the same steps in reverse.
// Every level reads and writes each point once, so a transform of M points
// streams the buffer about log4(M) times.
#include "fft/transform.h"

#include <cassert>

#include "fft/butterflies.h"
#include "fft/limits.h"
#include "platform/abort_flags.h"

namespace quorvel::detail {
namespace {

// The twiddle table of the power-of-two blocks: blocks of L points read
// entry (P/L) j.
struct BlockTables {
  const TwiddlePair* twiddles;
  int tablePoints;  // P
};

// The four points of step j are rebuilt from j in every iteration: kept as
// an array and advanced in place, they were vectorised into the stack and
// reloaded through it at each step.
void difPass(SplitPoint* x, int points, const BlockTables& tables) {
  const int quarter = points / 4;
  const int stride = tables.tablePoints / points;
  for (int j = 0; j < quarter; ++j) {
    SplitPoint* const p[4] = {x + j, x + j + quarter, x + j + 2 * quarter, x + j + 3 * quarter};
    radix4Dif(p, StepInputs<false>{p, nullptr}, tables.twiddles[stride * j]);
  }
}

void ditPass(SplitPoint* x, int points, const BlockTables& tables) {
  const int quarter = points / 4;
  const int stride = tables.tablePoints / points;
  for (int j = 0; j < quarter; ++j) {
    SplitPoint* const p[4] = {x + j, x + j + quarter, x + j + 2 * quarter, x + j + 3 * quarter};
    radix4Dit(p, tables.twiddles[stride * j]);
  }
}

bool oddLog2(int points) { return __builtin_ctz(static_cast<unsigned>(points)) % 2 == 1; }

// All levels of a block that fits the first-level cache, level by level.
void leafForward(SplitPoint* x, int points, const BlockTables& tables) {
  int span = points;
  for (; span > 4; span /= 4) {
    for (int b = 0; b < points; b += span) difPass(x + b, span, tables);
  }
  if (span == 4) {
    for (int b = 0; b < points; b += 4) radix4DifLast(x + b);
  } else if (span == 2) {
    for (int b = 0; b < points; b += 2) radix2(x + b);
  }
}

void leafInverse(SplitPoint* x, int points, const BlockTables& tables) {
  if (points == 1) return;
  int span;
  if (oddLog2(points)) {
    for (int b = 0; b < points; b += 2) radix2(x + b);
    span = 8;
  } else {
    for (int b = 0; b < points; b += 4) radix4DitFirst(x + b);
    span = 16;
  }
  for (; span <= points; span *= 4) {
    for (int b = 0; b < points; b += span) ditPass(x + b, span, tables);
  }
}

bool forwardBlock(SplitPoint* x, int points, const BlockTables& tables) {
  if (points <= FFT_LEAF_POINTS) {
    leafForward(x, points, tables);
    return true;
  }
  if (points >= FFT_POLL_POINTS && isAborted()) return false;
  difPass(x, points, tables);
  const int quarter = points / 4;
  for (int k = 0; k < 4; ++k) {
    if (!forwardBlock(x + k * quarter, quarter, tables)) return false;
  }
  return true;
}

bool inverseBlock(SplitPoint* x, int points, const BlockTables& tables) {
  if (points <= FFT_LEAF_POINTS) {
    leafInverse(x, points, tables);
    return true;
  }
  if (points >= FFT_POLL_POINTS && isAborted()) return false;
  const int quarter = points / 4;
  for (int k = 0; k < 4; ++k) {
    if (!inverseBlock(x + k * quarter, quarter, tables)) return false;
  }
  ditPass(x, points, tables);
  return true;
}

// z_k <- z_k X_k scale, or z_k^2 scale without a spectrum. The scale is read
// from its split pair once per point: a long double argument would live in
// memory as an 80-bit value and cost an fldt at every use.
void pointwise(SplitPoint* z, const SplitPoint* spectrum, int points, const SplitReal& scale) {
  if (spectrum) {
    for (int k = 0; k < points; ++k) {
      const long double a = load(z[k].re), b = load(z[k].im);
      const long double c = load(spectrum[k].re), d = load(spectrum[k].im);
      const long double s = reload(scale);
      store(z[k].re, (a * c - b * d) * s);
      store(z[k].im, (a * d + b * c) * s);
    }
  } else {
    for (int k = 0; k < points; ++k) {
      const long double a = load(z[k].re), b = load(z[k].im);
      const long double s = reload(scale);
      store(z[k].re, (a + b) * (a - b) * s);
      store(z[k].im, 2 * a * b * s);
    }
  }
}

bool convolveBlock(SplitPoint* z, const SplitPoint* spectrum, int points, const BlockTables& tables,
                   const SplitReal& scale) {
  if (points <= FFT_LEAF_POINTS) {
    leafForward(z, points, tables);
    pointwise(z, spectrum, points, scale);
    leafInverse(z, points, tables);
    return true;
  }
  if (points >= FFT_POLL_POINTS && isAborted()) return false;
  difPass(z, points, tables);
  const int quarter = points / 4;
  for (int k = 0; k < 4; ++k) {
    const SplitPoint* part = spectrum ? spectrum + k * quarter : nullptr;
    if (!convolveBlock(z + k * quarter, part, quarter, tables, scale)) return false;
  }
  ditPass(z, points, tables);
  return true;
}

// z_j <- z_j omega^j (Conjugate: conj(omega^j)), for inputs that are not
// real and for the inverse transform's last step.
template <bool Conjugate>
void applyWeights(SplitPoint* z, const SplitPoint* weights, int points) {
  for (int j = 0; j < points; ++j) {
    const long double c = load(weights[j].re);
    const long double s = Conjugate ? -load(weights[j].im) : load(weights[j].im);
    const long double a = load(z[j].re), b = load(z[j].im);
    store(z[j].re, a * c - b * s);
    store(z[j].im, a * s + b * c);
  }
}

// The first level, weights included: a radix-4 step over all M points
// (R = 1) or a radix-3 step (R = 3).
template <bool WeightedReal>
void firstLevelForward(const FftPlan& plan, SplitPoint* z) {
  const int M = plan.points();
  const SplitPoint* weights = plan.weights();
  if (plan.radix() == 1) {
    const int quarter = M / 4;
    for (int j = 0; j < quarter; ++j) {
      SplitPoint* const p[4] = {z + j, z + j + quarter, z + j + 2 * quarter, z + j + 3 * quarter};
      const SplitPoint* const w[4] = {weights + j, weights + j + quarter, weights + j + 2 * quarter,
                                      weights + j + 3 * quarter};
      radix4Dif(p, StepInputs<WeightedReal>{p, w}, plan.twiddles()[j]);
    }
  } else {
    const int third = M / 3;
    for (int j = 0; j < third; ++j) {
      SplitPoint* const p[3] = {z + j, z + j + third, z + j + 2 * third};
      const SplitPoint* const w[3] = {weights + j, weights + j + third, weights + j + 2 * third};
      radix3Dif(p, StepInputs<WeightedReal>{p, w}, plan.radix3Twiddles()[j]);
    }
  }
}

void firstLevelInverse(const FftPlan& plan, SplitPoint* z) {
  const int M = plan.points();
  if (plan.radix() == 1) {
    ditPass(z, M, BlockTables{plan.twiddles(), M});
  } else {
    const int third = M / 3;
    for (int j = 0; j < third; ++j) {
      SplitPoint* const p[3] = {z + j, z + j + third, z + j + 2 * third};
      radix3Dit(p, plan.radix3Twiddles()[j]);
    }
  }
}

// The blocks below the first level: R blocks of P points, or 4 of M/4.
int blockCount(const FftPlan& plan) { return plan.radix() == 1 ? 4 : 3; }
int blockSize(const FftPlan& plan) { return plan.points() / blockCount(plan); }

void forwardFirstLevel(const FftPlan& plan, SplitPoint* z, bool realInput) {
  if (realInput) {
    firstLevelForward<true>(plan, z);
  } else {
    applyWeights<false>(z, plan.weights(), plan.points());
    firstLevelForward<false>(plan, z);
  }
}

int frequencyInBlock(int position, int points) {
  if (points <= 2) return position;
  const int quarter = points / 4;
  const int cls = position / quarter;
  const int k = frequencyInBlock(position % quarter, quarter);
  return cls == 3 ? (4 * k - 1 + points) % points : 4 * k + cls;
}

}  // namespace

bool forwardTransform(const FftPlan& plan, SplitPoint* z, bool realInput) {
  if (isAborted()) return false;
  forwardFirstLevel(plan, z, realInput);
  const BlockTables tables{plan.twiddles(), plan.blockPoints()};
  const int size = blockSize(plan);
  for (int k = 0; k < blockCount(plan); ++k) {
    if (!forwardBlock(z + k * size, size, tables)) return false;
  }
  return true;
}

bool inverseTransform(const FftPlan& plan, SplitPoint* z) {
  const BlockTables tables{plan.twiddles(), plan.blockPoints()};
  const int size = blockSize(plan);
  for (int k = 0; k < blockCount(plan); ++k) {
    if (!inverseBlock(z + k * size, size, tables)) return false;
  }
  firstLevelInverse(plan, z);
  applyWeights<true>(z, plan.weights(), plan.points());
  return true;
}

bool convolve(const FftPlan& plan, SplitPoint* z, bool realInput, const SplitPoint* spectrum, long double factor) {
  if (isAborted()) return false;
  SplitReal scale;
  store(scale, factor);
  forwardFirstLevel(plan, z, realInput);
  const BlockTables tables{plan.twiddles(), plan.blockPoints()};
  const int size = blockSize(plan);
  for (int k = 0; k < blockCount(plan); ++k) {
    const SplitPoint* part = spectrum ? spectrum + k * size : nullptr;
    if (!convolveBlock(z + k * size, part, size, tables, scale)) return false;
  }
  firstLevelInverse(plan, z);
  return true;
}

int spectrumFrequency(const FftPlan& plan, int position) {
  const int M = plan.points();
  if (plan.radix() == 1) return frequencyInBlock(position, M);
  const int P = plan.blockPoints();
  const int cls = position / P;
  const int k = frequencyInBlock(position % P, P);
  return cls == 2 ? (3 * k - 1 + M) % M : 3 * k + cls;
}

}  // namespace quorvel::detail
