// The tables of one length of the AVX2 transform (internal to the fft
// library).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace quorvel::detail {

// Four consecutive complex points of a transform buffer, real parts then
// imaginary parts: one cache line, and one vector register for each half.
// Point j of a buffer is lane j % 4 of quad j / 4.
struct alignas(64) PointQuad {
  double re[4];
  double im[4];
};

// w^j and w^(2j) for four consecutive j of a radix-4 step (or of the first
// level), w the step's root of unity.
struct TwiddleQuad {
  PointQuad w1, w2;
};

// Tables for transforms of M = R 2^k complex points, R = 1, 3 or 5, every
// entry the extended-precision root (RightAngleWeights) rounded once to a
// double.
//
// The first level is a radix-4 step over the whole buffer (R = 1) or a
// radix-R step (R = 3, 5); it leaves firstBlocks() blocks of
// firstBlockPoints() points, a power of two of at least 16. A block larger
// than leafPoints() takes a radix-4 step and splits in four; a leaf, once
// in the first-level cache, runs a radix-2 step if its log2 is odd, then
// radix-4 steps down to blocks of 16, whose last two levels run in
// registers.
class Avx2Plan {
 public:
  explicit Avx2Plan(int points);

  int points() const { return points_; }
  int radix() const { return radix_; }
  int firstBlocks() const { return radix_ == 1 ? 4 : radix_; }
  int firstBlockPoints() const { return points_ / firstBlocks(); }
  int leafPoints() const { return leafPoints_; }
  // omega^j, omega = e^(2 pi i/(4M)): the right-angle weights of point j.
  const PointQuad* weights() const { return weights_.get(); }
  // The first level's twiddles w_M^j and w_M^(2j), j < M / firstBlocks().
  const TwiddleQuad* firstTwiddles() const { return tables_.data() + firstOffset_; }
  // The radix-4 step over a block of L points: w_L^j and w_L^(2j),
  // j < L/4.
  const TwiddleQuad* stepTwiddles(int blockPoints) const;
  // The radix-2 step over a leaf of odd log2: w_L^j, j < L/2, L =
  // leafPoints(); in the w1 half of each entry.
  const TwiddleQuad* radix2Twiddles() const { return tables_.data() + radix2Offset_; }
  size_t tableBytes() const;

 private:
  int points_;
  int radix_;
  int leafPoints_;
  std::unique_ptr<PointQuad[]> weights_;
  std::vector<TwiddleQuad> tables_;
  size_t firstOffset_ = 0;
  size_t radix2Offset_ = 0;
  size_t stepOffsets_[32];  // by log2 of the block; NO_TABLE where no step runs
};

// Whether the AVX2 transform supports M points.
bool isAvx2Length(int points);

// The plan for M points, shared with other products like sharedPlan's.
std::shared_ptr<const Avx2Plan> sharedAvx2Plan(int points);

}  // namespace quorvel::detail
