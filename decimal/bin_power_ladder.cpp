// The process-wide powers 2^(30*2^k) in base 10^8, published once per entry.
#include <cassert>
#include <memory>

#include "decimal/vnum10.h"

namespace quorvel {

constinit std::atomic<const vnum10*> binPowerLadder[BIN_POWER_LADDER_SIZE] = {};

const vnum10* binPowerLadderEntry(int k) {
  assert(k >= 0 && k < BIN_POWER_LADDER_SIZE);
  // Acquire pairs with the release in publishBinPowerLadderEntry: the limbs
  // written before publication are visible to whoever sees the pointer.
  return binPowerLadder[k].load(std::memory_order_acquire);
}

const vnum10* publishBinPowerLadderEntry(int k, std::unique_ptr<vnum10> value) {
  assert(k >= 0 && k < BIN_POWER_LADDER_SIZE);
  const vnum10* expected = nullptr;
  if (binPowerLadder[k].compare_exchange_strong(expected, value.get(), std::memory_order_acq_rel,
                                                std::memory_order_acquire)) {
    // From here on the ladder owns the entry, which stays for the life of
    // the process (see the header).
    return value.release();
  }
  // Another thread published first; its value is the same power, and ours
  // is freed on return.
  return expected;
}

void resetBinPowerLadderForTesting() {
  for (auto& entry : binPowerLadder) std::unique_ptr<const vnum10> old(entry.exchange(nullptr));
}

}  // namespace quorvel
