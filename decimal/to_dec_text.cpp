// Binary-to-decimal conversion by a product tree over 60-bit chunks.
//
// |x| is padded to P limbs (a power of two) and cut into P/2 chunks of two
// limbs, piece 0 the most significant. At level k every piece stands for
// 30 * 2^k bits, and neighbours merge as
//
//   piece[j] = piece[2j] * 2^(30*2^k) + piece[2j+1]
//
// until one piece is left: log2(P/2) levels, each dominated by products of
// about equal total size. The multiplier of level k is binPowerLadder entry k,
// squared from the level below and published the first time it is missing.
//
// The merges of one level are independent: for a long value they go to the
// task pool in ranges of consecutive merges (each range a share of the whole
// value; the few merges at the top run their products on the pool instead).
// The pieces stay in place, piece j of level k at index j 2^k, so that a
// merge reads and writes only the indices of its own pair.
#include <algorithm>
#include <bit>
#include <cassert>
#include <memory>
#include <vector>

#include "decimal/parallel_limits.h"
#include "decimal/vnum10.h"
#include "platform/abort_flags.h"
#include "platform/task_pool.h"

namespace quorvel {

void toDecText(const vnum& x, char* out, size_t size) {
  vnum magnitude(x);
  const bool negative = !magnitude.plus;
  if (negative) magnitude.negate();
  magnitude.normalize();

  // Limbs at L and above are the zero padding up to P; they are never stored.
  const int32_t L = magnitude.len;
  const int64_t P = std::bit_ceil(static_cast<uint64_t>(std::max(L, 2)));
  auto limbAt = [&](int64_t i) -> uint64_t { return i < L ? static_cast<uint32_t>(magnitude.limbs[i]) : 0; };
  int64_t count = P / 2;
  std::vector<vnum10> pieces(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) {
    const uint64_t chunk = limbAt(P - 1 - 2 * i) << LIMB_BITS | limbAt(P - 2 - 2 * i);
    if (chunk != 0) pieces[i] = vnum10(static_cast<int64_t>(chunk));
  }

  const int rangesPerLevel = L >= DEC_PARALLEL_MIN_LIMBS ? DEC_MERGE_RANGES_PER_THREAD * taskPoolThreads() : 1;
  const vnum10 base(int32_t{1} << LIMB_BITS);
  const vnum10* multiplier = &base;
  int64_t stride = 1;  // the pieces of this level sit at the multiples of stride
  for (int k = 1; count > 1; ++k) {
    if (isAborted()) return;
    assert(k < BIN_POWER_LADDER_SIZE);
    const vnum10* power = binPowerLadderEntry(k);
    if (!power) {
      auto square = std::make_unique<vnum10>(*multiplier);
      square->mulAssign(*multiplier);
      // A cancelled squaring is garbage and must never reach the ladder.
      if (isAborted()) return;
      power = publishBinPowerLadderEntry(k, std::move(square));
    }
    multiplier = power;

    const int64_t half = count / 2;
    parallelRanges(half, static_cast<int>(std::min<int64_t>(half, rangesPerLevel)), [&](int64_t begin, int64_t end) {
      for (int64_t j = begin; j < end; ++j) {
        if (isAborted()) return;
        vnum10& high = pieces[static_cast<size_t>(2 * j * stride)];
        vnum10& low = pieces[static_cast<size_t>((2 * j + 1) * stride)];
        vnum10 merged(std::move(high));
        merged.mulAssign(*multiplier);
        merged.addAssign(low);
        low = vnum10();
        high = std::move(merged);
      }
    });
    count = half;
    stride *= 2;
  }

  if (negative) pieces[0].negate();
  if (!isAborted()) pieces[0].writeDecimal(out, size);
}

}  // namespace quorvel
