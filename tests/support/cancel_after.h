// Cancellation at an arbitrary point: the calling thread runs the work while
// a second thread sets the caller's abort flag after a delay; the flag is
// cleared again once both are done, so the next call runs normally.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/abort_flags.h"

namespace quorvel::test {

template <class F>
void cancelAfter(std::chrono::microseconds delay, F&& work) {
  std::atomic<int>* slot = abortSlot;
  std::thread canceller([slot, delay] {
    std::this_thread::sleep_for(delay);
    slot->store(1);
  });
  work();
  canceller.join();
  slot->store(0);
}

}  // namespace quorvel::test
