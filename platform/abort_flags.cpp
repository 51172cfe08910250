#include "platform/abort_flags.h"

#include <chrono>
#include <thread>

namespace quorvel {

std::atomic<int> abortFlags[ABORT_RING_SIZE];
std::atomic<int> abortCounter{0};
thread_local constinit std::atomic<int>* abortSlot = nullptr;

namespace {

// True from the take of a slot until its thread ends. The holder's last read
// of its flag comes before the release that frees the slot, and the next
// taker's acquire comes before the store that clears it, so no holder ever
// sees its flag cleared.
std::atomic<bool> slotHeld[ABORT_RING_SIZE];

// The calling thread's adopted slot, given back when the thread ends.
struct AdoptedSlot {
  int index = -1;
  ~AdoptedSlot() {
    if (index >= 0) releaseAbortSlot(index);
  }
};
thread_local AdoptedSlot adoptedSlot;

// How long a taker sleeps after finding all slots held, in milliseconds.
constexpr int FULL_RING_PAUSE_MS = 1;

}  // namespace

int takeAbortSlot() {
  for (int passed = 1;; ++passed) {
    // Unsigned, so that the position stays in the ring when the counter
    // wraps (2^32 is a multiple of the ring size).
    const unsigned position = static_cast<unsigned>(abortCounter.fetch_add(1, std::memory_order_relaxed));
    const int index = static_cast<int>(position % ABORT_RING_SIZE);
    if (!slotHeld[index].exchange(true, std::memory_order_acquire)) {
      abortFlags[index].store(0, std::memory_order_relaxed);
      return index;
    }
    if (passed % ABORT_RING_SIZE == 0) std::this_thread::sleep_for(std::chrono::milliseconds(FULL_RING_PAUSE_MS));
  }
}

void adoptAbortSlot(int index) {
  adoptedSlot.index = index;
  abortSlot = &abortFlags[index];
}

void releaseAbortSlot(int index) { slotHeld[index].store(false, std::memory_order_release); }

void claimAbortSlot() {
  if (!abortSlot) adoptAbortSlot(takeAbortSlot());
}

void abortCurrentWorker() {
  const unsigned last = static_cast<unsigned>(abortCounter.load(std::memory_order_relaxed)) - 1;
  abortFlags[last % ABORT_RING_SIZE].store(1, std::memory_order_relaxed);
}

}  // namespace quorvel
