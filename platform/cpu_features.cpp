#include "platform/cpu_features.h"

#include <cpuid.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace quorvel {

namespace {

bool environmentAllowsSimd() {
  const char* value = std::getenv("QUORVEL_SIMD");
  return value == nullptr || std::strcmp(value, "off") != 0;
}

// Written only by tests, after the environment has been read.
std::atomic<bool> simdSwitch{environmentAllowsSimd()};

struct Processor {
  bool avx2;
  bool fma;
  bool bmi2;
  bool adx;
  bool avx512Ifma;
};

const Processor& processor() {
  // __builtin_cpu_supports reads what __builtin_cpu_init found, including
  // the XGETBV checks that the operating system saves the YMM and ZMM
  // registers. GCC 12 has no name for ADX there, so it comes from CPUID leaf
  // 7 (EBX bit 19) directly; ADX touches only the flags, which every system
  // saves.
  static const Processor found = [] {
    __builtin_cpu_init();
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    const bool leaf7 = __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0;
    return Processor{
        __builtin_cpu_supports("avx2") != 0,
        __builtin_cpu_supports("fma") != 0,
        __builtin_cpu_supports("bmi2") != 0,
        leaf7 && ((ebx >> 19) & 1) != 0,
        __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512ifma") != 0,
    };
  }();
  return found;
}

}  // namespace

bool simdAllowed() { return simdSwitch.load(std::memory_order_relaxed); }

bool hasAvx2() { return processor().avx2 && simdAllowed(); }

bool hasAvx2Fma() { return processor().avx2 && processor().fma && simdAllowed(); }

bool hasBmi2Adx() { return processor().bmi2 && processor().adx && simdAllowed(); }

bool hasAvx512Ifma() { return processor().avx512Ifma && simdAllowed(); }

void allowSimdForTesting(bool allowed) { simdSwitch.store(allowed && environmentAllowsSimd()); }

}  // namespace quorvel
