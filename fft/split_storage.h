// Split storage of extended reals (internal to the fft library).
//
// An x87 store of an 80-bit value costs about 7 cycles on the development
// machine, more than twice the 3 cycles of writing the same value as two
// doubles (two 64-bit stores and one subtraction):
//   hi = double(x),  lo = double(x - hi).
// Both halves are exact: x - hi has at most 64 - 53 = 11 significant bits,
// and hi + lo rebuilds x exactly at 64-bit precision. Between its first read
// and its last write the transform therefore keeps every value as such a
// pair in the value's own 16-byte slot. Values and roundings are those of
// extended arithmetic throughout; only the encoding of a stored intermediate
// differs. Requires the x87 precision control at 64 bits and rounding to
// nearest, like everything else here.
#pragma once

#include <limits>

#include "fft/limits.h"

namespace quorvel::detail {

static_assert(std::numeric_limits<long double>::digits == EXTENDED_SIGNIFICAND_BITS, "needs x87 extended reals");
static_assert(sizeof(long double) == EXTENDED_SLOT_BYTES, "split storage needs 16-byte extended slots");

// One half of a split slot. may_alias: the same slot is also read and
// written as a long double before and after the transform.
using SplitHalf = double __attribute__((may_alias));

inline long double loadSplit(const long double* slot) {
  const SplitHalf* half = reinterpret_cast<const SplitHalf*>(slot);
  return static_cast<long double>(half[1]) + static_cast<long double>(half[0]);
}

inline void storeSplit(long double* slot, long double x) {
  SplitHalf* half = reinterpret_cast<SplitHalf*>(slot);
  // fstl rounds to double; subtracting that stored double back from x is
  // exact, and so is storing the small remainder.
  asm("fstl %0\n\t"
      "fsubl %0\n\t"
      "fstpl %1"
      : "=m"(half[0]), "=m"(half[1])
      : "t"(x)
      : "st");
}

// Reads a slot in either encoding, chosen at compile time.
template <bool Extended>
inline long double loadSlot(const long double* slot) {
  if constexpr (Extended) {
    return *slot;
  } else {
    return loadSplit(slot);
  }
}

template <bool Extended>
inline void storeSlot(long double* slot, long double x) {
  if constexpr (Extended) {
    *slot = x;
  } else {
    storeSplit(slot, x);
  }
}

}  // namespace quorvel::detail
