// A short spin before a blocking wait.
//
// Handing a light key to the worker and waiting for its end costs two
// thread wake-ups; on a virtual machine each is 15-25 us of kernel time,
// several times the key's own work. A waiter that polls the state for a few
// tens of microseconds first usually sees the other thread finish and never
// sleeps, so neither side makes a system call. The budget is small enough
// that a long wait pays it once and then blocks as before.
#pragma once

#include <chrono>

namespace quorvel {

inline constexpr std::chrono::microseconds SPIN_BEFORE_BLOCKING{60};

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// True once ready() is; false when the budget ran out first.
template <class Ready>
bool spinUntil(Ready ready, std::chrono::microseconds budget = SPIN_BEFORE_BLOCKING) {
  const auto end = std::chrono::steady_clock::now() + budget;
  for (;;) {
    // The clock costs more than a poll: read it every 64 polls.
    for (int i = 0; i < 64; ++i) {
      if (ready()) return true;
      cpuRelax();
    }
    if (std::chrono::steady_clock::now() >= end) return ready();
  }
}

}  // namespace quorvel
