// Avx2Plan: the double tables of one length of the AVX2 transform.
//
// Every table is a copy of the right-angle weights omega^k, k < M, each the
// extended-precision root of RightAngleWeights rounded once to a double:
//   w_L^j = omega^(4M j / L),  omega^(M + k) = i omega^k,
// a quarter turn being exact. So every twiddle is within half a unit in the
// last place of a double (plus the extended root's own error, 2^-11 of that).
#include "fft/avx2_plan.h"

#include <cassert>

#include "fft/fft_plan.h"
#include "fft/limits.h"
#include "fft/parallel_pieces.h"

namespace quorvel::detail {
namespace {

constexpr size_t NO_TABLE = SIZE_MAX;

int log2Exact(int v) { return __builtin_ctz(static_cast<unsigned>(v)); }

struct Root {
  double c, s;
};

// omega^k for any k >= 0, from the weights.
Root weightPower(const PointQuad* weights, int points, long long k) {
  k %= 4LL * points;
  const int j = static_cast<int>(k % points);
  Root r{weights[j / 4].re[j % 4], weights[j / 4].im[j % 4]};
  for (long long turns = k / points; turns > 0; --turns) r = {-r.s, r.c};
  return r;
}

void setLane(PointQuad& q, int lane, Root r) {
  q.re[lane] = r.c;
  q.im[lane] = r.s;
}

}  // namespace

bool isAvx2Length(int points) {
  if (points < 16) return false;
  const int odd = points >> log2Exact(points);
  const int blocks = odd == 1 ? 4 : odd;
  return (odd == 1 || odd == 3 || odd == 5) && points / blocks >= 16 && points <= AVX2_FFT_MAX_POINTS;
}

Avx2Plan::Avx2Plan(int points) : points_(points), radix_(points >> log2Exact(points)) {
  assert(isAvx2Length(points));
  const int M = points;
  weights_ = std::make_unique<PointQuad[]>(static_cast<size_t>(M / 4));
  {
    // Every weight on its own: in ranges on the pool for a long table.
    const RightAngleWeights omega(M);
    forEachRange(M, FFT_PARALLEL_RANGE_POINTS, [&](int64_t begin, int64_t end) {
      for (int64_t j = begin; j < end; ++j) {
        long double c, s;
        omega.at(static_cast<int>(j), c, s);
        setLane(weights_[j / 4], static_cast<int>(j % 4), {static_cast<double>(c), static_cast<double>(s)});
      }
    });
  }
  for (size_t& offset : stepOffsets_) offset = NO_TABLE;
  const int first = firstBlockPoints();
  leafPoints_ = first;
  while (leafPoints_ > AVX2_FFT_LEAF_POINTS) leafPoints_ /= 4;

  // Which block sizes take a radix-4 step: the blocks above the leaves, and
  // inside a leaf (after its radix-2 step when its log2 is odd) every size
  // down to 16.
  std::vector<int> stepSizes;
  for (int L = first; L > leafPoints_; L /= 4) stepSizes.push_back(L);
  for (int L = log2Exact(leafPoints_) % 2 ? leafPoints_ / 2 : leafPoints_; L >= 16; L /= 4) stepSizes.push_back(L);

  // Entry e of a table covers j = 4e .. 4e + 3; a table of n values of j
  // has n/4 entries.
  auto addTable = [&](int count, long long stride1, long long stride2) {
    const size_t offset = tables_.size();
    tables_.resize(offset + static_cast<size_t>(count / 4));
    forEachRange(count, FFT_PARALLEL_RANGE_POINTS, [&](int64_t begin, int64_t end) {
      for (int64_t j = begin; j < end; ++j) {
        TwiddleQuad& t = tables_[offset + static_cast<size_t>(j / 4)];
        setLane(t.w1, static_cast<int>(j % 4), weightPower(weights_.get(), M, stride1 * j));
        setLane(t.w2, static_cast<int>(j % 4), weightPower(weights_.get(), M, stride2 * j));
      }
    });
    return offset;
  };
  const long long den = 4LL * M;
  firstOffset_ = addTable(first, den / M, 2 * den / M);
  for (int L : stepSizes) stepOffsets_[log2Exact(L)] = addTable(L / 4, den / L, 2 * den / L);
  if (log2Exact(leafPoints_) % 2) radix2Offset_ = addTable(leafPoints_ / 2, den / leafPoints_, 0);
}

const TwiddleQuad* Avx2Plan::stepTwiddles(int blockPoints) const {
  assert(stepOffsets_[log2Exact(blockPoints)] != NO_TABLE);
  return tables_.data() + stepOffsets_[log2Exact(blockPoints)];
}

size_t Avx2Plan::tableBytes() const {
  return static_cast<size_t>(points_ / 4) * sizeof(PointQuad) + tables_.size() * sizeof(TwiddleQuad);
}

}  // namespace quorvel::detail
