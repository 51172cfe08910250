// FftPlan: the weight and twiddle tables of one transform length.
//
// All tables are copies of one quarter circle of 4M-th roots of unity,
// omega^j = e^(2 pi i j/(4M)) for j < M (the weights themselves):
//   w_P^j   = omega^(s j)           with s = 4M/P, s j < M,
//   w_P^2j  = omega^(2 s j), or i omega^(2 s j - M) past the quarter,
//   w_M^j   = omega^(4 j),  or i omega^(4 j - M),
// a quarter turn (multiplication by i) being exact. So the accuracy of every
// table is that of the weights.
//
// The weights come from a coarse and a fine table, each computed with
// sincosl from a reduced angle:
//   omega^(h F + l) = C_h + C_h beta_l,  C_h = omega^(h F),  beta_l = omega^l - 1.
// beta_l is small (|beta_l| < 2 pi F/(4M)) and computed to full relative
// accuracy (cos x - 1 = -2 sin^2(x/2)), so the product term adds only its own
// tiny rounding: each weight is C_h (within one unit in the last place) plus
// one rounded addition. About 2 sqrt(M) sincosl calls (150 ns each here)
// instead of M/2.
#include "fft/fft_plan.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace quorvel::detail {
namespace {

constexpr long double QUARTER_PI = std::numbers::pi_v<long double> / 4;  // exact scaling of pi

int log2Floor(long long v) {
  int bits = 0;
  while ((2LL << bits) <= v) ++bits;
  return bits;
}

// i (c + i s) = -s + i c.
void quarterTurn(long double& c, long double& s) {
  const long double t = c;
  c = -s;
  s = t;
}

void storePoint(SplitPoint& p, long double c, long double s) {
  store(p.re, c);
  store(p.im, s);
}

// omega^k for 0 <= k < 2M from the weight table (k >= M: a quarter turn).
void weightPower(const SplitPoint* weights, int points, long long k, long double& c, long double& s) {
  const bool turned = k >= points;
  const SplitPoint& w = weights[turned ? k - points : k];
  c = load(w.re);
  s = load(w.im);
  if (turned) quarterTurn(c, s);
}

}  // namespace

void unitRoot(long long num, long long den, long double& c, long double& s) {
  assert(0 <= num && num < den);
  // Octant o and the exact remainder r: angle = (pi/4)(o + r/den).
  const long long eighths = 8 * num;
  const int octant = static_cast<int>(eighths / den);
  const long long r = eighths - octant * den;
  // Odd octants measure from their upper end, so the reduced angle phi
  // stays in [0, pi/4] and needs no rounding beyond r/den and the product.
  const bool fromTop = octant % 2 == 1;
  const long double phi = QUARTER_PI * (static_cast<long double>(fromTop ? den - r : r) / den);
  long double sp, cp;
  sincosl(phi, &sp, &cp);
  // (cos, sin) of the full angle by octant: phi, pi/2 - phi, pi/2 + phi,
  // pi - phi, pi + phi, 3pi/2 - phi, 3pi/2 + phi, 2pi - phi.
  switch (octant) {
    case 0: c = cp;  s = sp;  break;
    case 1: c = sp;  s = cp;  break;
    case 2: c = -sp; s = cp;  break;
    case 3: c = -cp; s = sp;  break;
    case 4: c = -cp; s = -sp; break;
    case 5: c = -sp; s = -cp; break;
    case 6: c = sp;  s = -cp; break;
    default: c = cp; s = -sp; break;
  }
}

size_t FftPlan::tableBytes() const {
  const size_t P = static_cast<size_t>(blockPoints());
  return points_ * sizeof(SplitPoint) + (P / 4) * sizeof(TwiddlePair) + (radix_ == 3 ? P * sizeof(SplitPoint) : 0);
}

bool isTransformLength(int points) {
  if (points < 4) return false;
  const int odd = points >> __builtin_ctz(static_cast<unsigned>(points));
  return odd == 1 || (odd == 3 && points >= 6);
}

RightAngleWeights::RightAngleWeights(int points) : points_(points) {
  const long long den = 4LL * points;
  const int half = points / 2;
  fineBits_ = (log2Floor(half > 0 ? half : 1) + 1) / 2;
  const int fine = 1 << fineBits_;
  fine_.resize(fine);
  for (int l = 0; l < fine; ++l) {
    // beta_l = (cos x - 1, sin x) with x = 2 pi l/(4M), both to full relative
    // accuracy: the angles are tiny, so plain sinl is exact enough.
    const long double x = 8 * QUARTER_PI * (static_cast<long double>(l) / den);
    const long double sinHalf = sinl(x / 2);
    fine_[l] = {-2 * sinHalf * sinHalf, sinl(x)};
  }
  coarse_.resize(static_cast<size_t>(half / fine + 1));
  for (size_t h = 0; h < coarse_.size(); ++h) {
    unitRoot(static_cast<long long>(h) * fine, den, coarse_[h].c, coarse_[h].s);
  }
}

void RightAngleWeights::at(int j, long double& c, long double& s) const {
  assert(0 <= j && j < points_);
  // omega^(M - j) = i conj(omega^j): the upper half mirrors the lower one
  // exactly.
  const bool mirrored = j > points_ / 2;
  const int k = mirrored ? points_ - j : j;
  const Root& coarse = coarse_[static_cast<size_t>(k >> fineBits_)];
  const Root& fine = fine_[static_cast<size_t>(k & ((1 << fineBits_) - 1))];
  c = coarse.c + (coarse.c * fine.c - coarse.s * fine.s);
  s = coarse.s + (coarse.c * fine.s + coarse.s * fine.c);
  if (mirrored) std::swap(c, s);
}

FftPlan::FftPlan(int points) : points_(points), radix_(points & (points - 1) ? 3 : 1) {
  assert(isTransformLength(points));
  const int M = points;
  const long long den = 4LL * M;

  weights_ = std::make_unique<SplitPoint[]>(M);
  const RightAngleWeights omega(M);
  for (int j = 0; j < M; ++j) {
    long double c, s;
    omega.at(j, c, s);
    storePoint(weights_[j], c, s);
  }

  // Twiddles of the power-of-two blocks: w_P^j = omega^(s j), s = 4M/P.
  const int P = blockPoints();
  const long long stride = den / P;
  twiddles_ = std::make_unique<TwiddlePair[]>(P / 4 > 0 ? P / 4 : 1);
  for (int j = 0; j < P / 4; ++j) {
    long double c, s;
    weightPower(weights_.get(), M, stride * j, c, s);
    storePoint(twiddles_[j].w1, c, s);
    weightPower(weights_.get(), M, 2 * stride * j, c, s);
    storePoint(twiddles_[j].w2, c, s);
  }

  if (radix_ == 3) {
    radix3Twiddles_ = std::make_unique<SplitPoint[]>(P);
    for (int j = 0; j < P; ++j) {
      long double c, s;
      weightPower(weights_.get(), M, 4LL * j, c, s);
      storePoint(radix3Twiddles_[j], c, s);
    }
  }
}

}  // namespace quorvel::detail
