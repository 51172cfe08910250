// How the fft library hands work to the task pool (internal to it): the
// independent blocks of a transform, and passes over many points cut into
// ranges. Every piece sets the x87 precision for the thread it runs on;
// the arithmetic of each point is the same whichever thread does it, so
// products do not depend on the thread count.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "fft/extended_precision.h"
#include "fft/limits.h"
#include "platform/abort_flags.h"
#include "platform/task_pool.h"

namespace quorvel::detail {

// How many ranges of at least `grain` items [0, count) is cut into: 1
// (no pool pieces) with one thread or when the work is short.
inline int rangeCount(int64_t count, int64_t grain) {
  const int threads = taskPoolThreads();
  if (threads == 1) return 1;
  return static_cast<int>(std::clamp<int64_t>(count / grain, 1, int64_t{FFT_RANGES_PER_THREAD} * threads));
}

// body(r, begin, end) for the r-th of `ranges` consecutive ranges of
// [0, count), as pool pieces when there are two or more.
template <class F>
void forRanges(int64_t count, int ranges, F&& body) {
  if (ranges <= 1) {
    body(0, int64_t{0}, count);
    return;
  }
  parallelFor(ranges, [&](int r) {
    const ExtendedPrecisionScope precision;
    body(r, count * r / ranges, count * (r + 1) / ranges);
  });
}

// body(begin, end) over [0, count), in ranges of at least `grain` items.
template <class F>
void forEachRange(int64_t count, int64_t grain, F&& body) {
  forRanges(count, rangeCount(count, grain), [&](int, int64_t begin, int64_t end) { body(begin, end); });
}

// block(k) for k < count, the blocks of a transform of `points` points:
// pool pieces when the transform is long enough, else one after another,
// stopping at the first that fails. True when every block returned true; a
// block skipped after a cancel counts as failed.
template <class F>
bool forEachBlock(int count, int points, F&& block) {
  if (points < FFT_PARALLEL_BLOCK_POINTS) {
    for (int k = 0; k < count; ++k) {
      if (!block(k)) return false;
    }
    return true;
  }
  assert(count <= 16);
  bool done[16] = {};
  parallelFor(count, [&](int k) {
    const ExtendedPrecisionScope precision;
    done[k] = block(k);
  });
  return std::all_of(done, done + count, [](bool d) { return d; });
}

}  // namespace quorvel::detail
