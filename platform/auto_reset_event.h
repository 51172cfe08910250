// An auto-reset event: set() wakes exactly one waiter (or the next thread to
// wait, if none is waiting) and the event then resets itself. Several set()
// calls before a wait collapse into one wake-up. A waiter spins briefly
// before it sleeps (spin_wait.h).
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/spin_wait.h"

namespace quorvel {

class AutoResetEvent {
 public:
  void set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_.store(true, std::memory_order_release);
    }
    condition_.notify_one();
  }

  // Blocks until the event is signalled, then resets it. Always reports the
  // event (an infinite wait has no other outcome).
  bool wait() {
    spinUntil([this] { return signalled_.load(std::memory_order_acquire); });
    std::unique_lock<std::mutex> lock(mutex_);
    condition_.wait(lock, [this] { return signalled_.load(std::memory_order_relaxed); });
    signalled_.store(false, std::memory_order_relaxed);
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  // Written under mutex_; read without it only by the spin.
  std::atomic<bool> signalled_{false};
};

}  // namespace quorvel
