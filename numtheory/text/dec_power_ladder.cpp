// Lazy filling of decPowerLadder: entry f + 1 is entry f squared.
//
// Each missing entry is squared into private storage and published only if
// the abort flag is still clear afterwards. A cancelled multiplication
// returns zero, so publishing after a cancel would poison the entry for
// every later worker; the flag never clears within a worker, so a clear
// flag after the product means the product is whole.
#include <cassert>
#include <memory>

#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"

namespace quorvel {

const vnum* decPowerLadderEntry(int f) {
  assert(f >= 0 && f < DEC_POWER_LADDER_SIZE);
  if (const vnum* entry = decPowerLadder.find(f)) return entry;
  int filled = f;
  while (!decPowerLadder.find(filled)) --filled;  // entry 0 exists from start
  const vnum* below = decPowerLadder.find(filled);
  for (int g = filled + 1; g <= f; ++g) {
    if (isAborted()) return nullptr;
    auto square = std::make_unique<vnum>(*below);
    *square *= *below;
    if (isAborted()) return nullptr;
    below = &decPowerLadder.publish(g, std::move(square));
  }
  return below;
}

}  // namespace quorvel
