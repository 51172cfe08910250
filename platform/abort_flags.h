// Cooperative cancellation of the worker thread.
//
// Every worker generation owns one slot of a 16-entry ring of flags. The
// window thread cancels a running computation by setting the flag of the
// generation it abandons; the worker notices at its next poll, stops writing
// shared state and ends.
//
// A slot belongs to one thread from the moment it is taken until that thread
// ends; only then can a later generation take it, clearing it as it does. So
// a flag, once set, stays set for as long as any thread can read it: code
// that finds its flag clear after a piece of work knows that no cancel came
// in between, and may publish what it made (the power ladders rely on this).
// Slots are taken in turn (abortCounter mod 16); one still held is passed
// over. With all 16 held, the taker waits until one is free: each holder but
// one is a cancelled worker, which ends at its next poll.
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
// Ring positions passed so far, taken or passed over; the next taker starts
// at abortCounter mod 16.
extern std::atomic<int> abortCounter;
// The calling thread's slot, null until it has one. constinit lets every
// translation unit read it directly instead of through a TLS init wrapper,
// which keeps isAborted() cheap enough for per-bit polls.
extern thread_local constinit std::atomic<int>* abortSlot;

// Takes the next free slot of the ring for a thread about to start, clears
// it, and returns its index. The slot is held until the thread that adopts
// it ends, or until releaseAbortSlot().
int takeAbortSlot();
// Makes the taken slot `index` the calling thread's; it is given back when
// the thread ends.
void adoptAbortSlot(int index);
// Gives back a taken slot that no thread adopted (its thread did not start).
void releaseAbortSlot(int index);

// Takes and adopts a slot for the calling thread; does nothing if the thread
// already has one.
void claimAbortSlot();

// Non-zero when the calling thread has been told to stop (or has no slot).
inline int isAborted() {
  std::atomic<int>* slot = abortSlot;
  return slot ? slot->load(std::memory_order_relaxed) : 1;
}

// Tells the thread holding the slot handed out last to stop.
void abortCurrentWorker();

}  // namespace quorvel
