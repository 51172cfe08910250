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
#include <algorithm>
#include <bit>
#include <cassert>
#include <memory>
#include <vector>

#include "decimal/vnum10.h"
#include "platform/abort_flags.h"

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

  const vnum10 base(int32_t{1} << LIMB_BITS);
  const vnum10* multiplier = &base;
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
    for (int64_t j = 0; j < half; ++j) {
      if (isAborted()) return;
      // piece[j] is free: its own value was merged at j/2 < j (or is piece 0,
      // taken here first).
      vnum10 merged(std::move(pieces[2 * j]));
      merged.mulAssign(*multiplier);
      merged.addAssign(pieces[2 * j + 1]);
      pieces[2 * j + 1] = vnum10();
      pieces[j] = std::move(merged);
    }
    count = half;
  }

  if (negative) pieces[0].negate();
  if (!isAborted()) pieces[0].writeDecimal(out, size);
}

}  // namespace quorvel
