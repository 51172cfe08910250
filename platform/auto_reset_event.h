// An auto-reset event: set() wakes exactly one waiter (or the next thread to
// wait, if none is waiting) and the event then resets itself. Several set()
// calls before a wait collapse into one wake-up.
#pragma once

#include <condition_variable>
#include <mutex>

namespace quorvel {

class AutoResetEvent {
 public:
  void set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_ = true;
    }
    condition_.notify_one();
  }

  // Blocks until the event is signalled, then resets it. Always reports the
  // event (an infinite wait has no other outcome).
  bool wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    condition_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool signalled_ = false;
};

}  // namespace quorvel
