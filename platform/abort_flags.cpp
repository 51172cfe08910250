#include "platform/abort_flags.h"

namespace quorvel {

std::atomic<int> abortFlags[ABORT_RING_SIZE];
std::atomic<int> abortCounter{0};
thread_local constinit std::atomic<int>* abortSlot = nullptr;

void claimAbortSlot() {
  if (abortSlot) return;
  // fetch_add keeps two workers that start during a cancel from sharing a slot.
  int index = abortCounter.fetch_add(1, std::memory_order_relaxed) % ABORT_RING_SIZE;
  abortFlags[index].store(0, std::memory_order_relaxed);
  abortSlot = &abortFlags[index];
}

void abortCurrentWorker() {
  int last = (abortCounter.load(std::memory_order_relaxed) + ABORT_RING_SIZE - 1) % ABORT_RING_SIZE;
  abortFlags[last].store(1, std::memory_order_relaxed);
}

}  // namespace quorvel
