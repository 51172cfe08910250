// The tables of one transform length (internal to the fft library).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "fft/split_storage.h"

namespace quorvel::detail {

// w^j and w^(2j) for one index j of a radix-4 step, w = e^(2 pi i/L) for a
// block of L points.
struct TwiddlePair {
  SplitPoint w1, w2;
};

// Tables for transforms of M = R 2^k complex points, R = 1 or 3 (M >= 4,
// and M >= 6 when R = 3). Built once per product and read by all its
// transforms; nothing is shared between threads.
//
// - weights: omega^j for j < M, omega = e^(2 pi i/(4M)), the right-angle
//   weights (weighted_fft.cpp).
// - twiddles: entries j < P/4 for P = M / R, the largest power-of-two block:
//   entry j holds (w_P^j, w_P^2j). A block of L = P/4^d points reads entry
//   s j (s = P/L) for its own w_L^j = w_P^(s j): one table serves every
//   level.
// - radix3Twiddles (R = 3): w_M^j for j < M/3, the first step's twiddles.
// Each entry is within about one unit in the last place of extended
// precision (unit_roots.cpp).
class FftPlan {
 public:
  explicit FftPlan(int points);

  int points() const { return points_; }
  int radix() const { return radix_; }
  int blockPoints() const { return points_ / radix_; }
  const SplitPoint* weights() const { return weights_.get(); }
  const TwiddlePair* twiddles() const { return twiddles_.get(); }
  const SplitPoint* radix3Twiddles() const { return radix3Twiddles_.get(); }
  size_t tableBytes() const;

 private:
  int points_;
  int radix_;
  std::unique_ptr<SplitPoint[]> weights_;
  std::unique_ptr<TwiddlePair[]> twiddles_;
  std::unique_ptr<SplitPoint[]> radix3Twiddles_;
};

// The plan for M points, shared with other products: recently used plans
// are kept (up to FFT_PLAN_CACHE_BYTES of tables) instead of being rebuilt.
std::shared_ptr<const FftPlan> sharedPlan(int points);

// The right-angle weights omega^j = e^(2 pi i j/(4M)), j < M, in extended
// precision, each within about one unit in the last place (fft_plan.cpp);
// every table of both transforms is copied from them.
class RightAngleWeights {
 public:
  explicit RightAngleWeights(int points);
  void at(int j, long double& c, long double& s) const;

 private:
  struct Root {
    long double c, s;
  };
  int points_;
  int fineBits_;
  std::vector<Root> coarse_;  // omega^(h F), F = 2^fineBits_
  std::vector<Root> fine_;    // omega^l - 1, l < F
};

// Whether M is a length the transforms support.
bool isTransformLength(int points);

// e^(2 pi i num/den) for 0 <= num < den, computed from an angle of at most
// pi/4 so that the result is within about one unit in the last place.
void unitRoot(long long num, long long den, long double& c, long double& s);

}  // namespace quorvel::detail
