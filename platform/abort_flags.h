// Cooperative cancellation of the worker thread.
//
// Every worker generation owns one slot of a 16-entry ring of flags. The
// window thread cancels a running computation by setting the flag of the
// generation handed out last; the worker notices at its next poll, stops
// writing shared state and ends. A slot is reused 16 generations later and is
// cleared by the worker that claims it.
//
// A thread that never claimed a slot (the window thread) always reads "stop",
// so number code that polls can only make progress on a worker or a test
// thread that called claimAbortSlot().
//
// The flags are plain relaxed atomics: a stale read only delays the stop to
// the next poll, and nothing else is published through them.
#pragma once

#include <atomic>

namespace quorvel {

inline constexpr int ABORT_RING_SIZE = 16;

extern std::atomic<int> abortFlags[ABORT_RING_SIZE];
// Number of slots handed out so far; the next worker takes abortCounter mod 16.
extern std::atomic<int> abortCounter;
// The calling thread's slot, null until claimAbortSlot(). constinit lets every
// translation unit read it directly instead of through a TLS init wrapper,
// which keeps isAborted() cheap enough for per-bit polls.
extern thread_local constinit std::atomic<int>* abortSlot;

// Takes the next slot of the ring for the calling thread and clears it;
// does nothing if the thread already has one.
void claimAbortSlot();

// Non-zero when the calling thread has been told to stop (or has no slot).
inline int isAborted() {
  std::atomic<int>* slot = abortSlot;
  return slot ? slot->load(std::memory_order_relaxed) : 1;
}

// Tells the worker generation handed out last to stop.
void abortCurrentWorker();

}  // namespace quorvel
