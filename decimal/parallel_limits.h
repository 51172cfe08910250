// Thresholds of the decimal conversion's parallel pieces (task pool). Kept
// apart from limits.h, which holds the product's method limits.
#pragma once

#include <cstdint>

namespace quorvel {

// toDecText hands the merges of each level to the pool in ranges, at most
// DEC_MERGE_RANGES_PER_THREAD per thread, when the value has at least
// DEC_PARALLEL_MIN_LIMBS 30-bit limbs: every level then holds the whole
// value, so each range is a share of at least that much work. 4096 limbs
// is 123,000 bits, above the size below which nothing may slow down; the
// 5,000,000-bit conversion read 1.72 with 2 threads when both cores were
// free (cores column 1.71).
inline constexpr int32_t DEC_PARALLEL_MIN_LIMBS = 4096;
inline constexpr int DEC_MERGE_RANGES_PER_THREAD = 2;

}  // namespace quorvel
