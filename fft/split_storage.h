// Split storage of extended reals (internal to the fft library).
//
// Every value the transforms keep in memory is an x87 extended real (64-bit
// significand) stored as two doubles, hi + lo:
//   hi = double(x),  lo = double(x - hi).
// Both halves are exact: x - hi has at most 64 - 53 = 11 significant bits,
// and hi + lo rebuilds x exactly at 64-bit precision. Reading a pair costs a
// load and an addition, writing one a store, a subtraction of the stored
// double and a second store. The 80-bit memory forms are far slower on the
// machines measured (AMD Zen 3: fldt about 5 cycles, fstpt about 6.5, where
// a split pair costs 1 and 3), so no 80-bit value is ever stored or loaded.
// Values and roundings are those of extended arithmetic throughout; only the
// encoding of a stored intermediate differs. Requires the x87 precision
// control at 64 bits and rounding to nearest, like everything else here.
#pragma once

#include <limits>

#include "fft/limits.h"

namespace quorvel::detail {

static_assert(std::numeric_limits<long double>::digits == EXTENDED_SIGNIFICAND_BITS, "needs x87 extended reals");

struct SplitReal {
  double hi, lo;
};

// One complex point of a transform buffer; 32-byte aligned so that a point
// never straddles two cache lines.
struct alignas(32) SplitPoint {
  SplitReal re, im;
};

inline long double load(const SplitReal& r) { return static_cast<long double>(r.hi) + r.lo; }

// The same as load, but never merged with an earlier load of the same slot:
// the kernels re-read a twiddle instead of holding it on the eight-deep x87
// stack, which would otherwise spill an 80-bit temporary. The empty volatile
// asm hides the slot's address from the compiler, which then cannot prove
// the two reads equal; the read itself stays ordinary code, free to be
// scheduled and to take its operands from memory.
inline long double reload(const SplitReal& r) {
  const SplitReal* slot = &r;
  asm volatile("" : "+r"(slot));
  return load(*slot);
}

inline void store(SplitReal& r, long double x) {
  // fstl rounds to double; subtracting that stored double back from x is
  // exact, and so is storing the small remainder.
  asm("fstl %0\n\t"
      "fsubl %0\n\t"
      "fstpl %1"
      : "=m"(r.hi), "=m"(r.lo)
      : "t"(x)
      : "st");
}

// An exact small value (a digit) as a split pair.
inline void storeExact(SplitReal& r, double x) {
  r.hi = x;
  r.lo = 0;
}

}  // namespace quorvel::detail
