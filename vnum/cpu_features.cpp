#include "vnum/cpu_features.h"

#include <atomic>

namespace quorvel {

namespace {

// Written only by tests.
std::atomic<bool> avx2Allowed{true};

bool processorHasAvx2() {
  // __builtin_cpu_supports reads what __builtin_cpu_init found, including
  // the XGETBV check that the operating system saves the YMM registers.
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}

}  // namespace

bool hasAvx2() { return processorHasAvx2() && avx2Allowed.load(std::memory_order_relaxed); }

void allowAvx2ForTesting(bool allowed) { avx2Allowed.store(allowed); }

}  // namespace quorvel
