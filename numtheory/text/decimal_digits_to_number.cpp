// Decimal digits to a value: groups of 16 digits inside a block of at most
// 2,048, blocks joined by a product tree.
//
// Block: Horner's rule in base 10^16 over a raw limb array; each step
// multiplies by 10^16 as two passes of 10^8, because a 30-bit limb times
// 10^8 (< 2^27) plus a carry below 2^28 fits 64 bits while times 10^16 would
// not. A block of 2,048 digits is 227 limbs, so this is linear per digit
// with a small constant and no allocation per group.
//
// Tree: with blocks b_0 (lowest) .. b_{N-1}, level 0 holds the blocks and
// each level pairs neighbours from the low end, hi * 10^(2048 * 2^j) + lo,
// where lo always spans exactly 2^j full blocks; an unpaired top element
// moves up unchanged. The cost is a few products per level, O(M(n) log n)
// in all, instead of one product of the growing value per block.
//
// The blocks, and the pairs of each level, are independent: for a long run
// they go to the task pool in ranges (the few pairs at the top run their
// products on the pool instead).
#include <algorithm>
#include <bit>
#include <cassert>
#include <utility>
#include <vector>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/numtheory.h"
#include "numtheory/text/decimal_run.h"
#include "numtheory/text/limits.h"
#include "platform/abort_flags.h"
#include "platform/progress.h"
#include "platform/task_pool.h"

namespace quorvel {

namespace {

constexpr uint32_t TEN_TO_EIGHT = 100000000;

// acc <- acc * multiplier + addend on 30-bit limbs; multiplier and addend
// below 2^27.
void mulAddSmall(std::vector<int32_t>& acc, uint32_t multiplier, uint32_t addend) {
  uint64_t carry = addend;
  for (int32_t& limb : acc) {
    const uint64_t p = static_cast<uint64_t>(limb) * multiplier + carry;
    limb = static_cast<int32_t>(p & LIMB_MASK);
    carry = p >> LIMB_BITS;
  }
  while (carry) {
    acc.push_back(static_cast<int32_t>(carry & LIMB_MASK));
    carry >>= LIMB_BITS;
  }
}

uint64_t groupValue(const char* digits, int count) {
  uint64_t acc = 0;
  for (int i = 0; i < count; ++i) acc = 10 * acc + (digits[i] & 15);
  return acc;
}

}  // namespace

vnum decimalDigitsToNumber(const char* digits, int count) {
  assert(count >= 0 && count <= DECIMAL_BLOCK_DIGITS);
  if (count == 0) return vnum();
  const int first = count % DECIMAL_GROUP_DIGITS ? count % DECIMAL_GROUP_DIGITS : DECIMAL_GROUP_DIGITS;
  const uint64_t head = groupValue(digits, first);
  std::vector<int32_t> acc{static_cast<int32_t>(head & LIMB_MASK), static_cast<int32_t>(head >> LIMB_BITS)};
  acc.reserve(static_cast<size_t>(count) / 9 + 4);
  for (int i = first; i < count; i += DECIMAL_GROUP_DIGITS) {
    const uint64_t group = groupValue(digits + i, DECIMAL_GROUP_DIGITS);
    mulAddSmall(acc, TEN_TO_EIGHT, static_cast<uint32_t>(group / TEN_TO_EIGHT));
    mulAddSmall(acc, TEN_TO_EIGHT, static_cast<uint32_t>(group % TEN_TO_EIGHT));
  }
  return fromLimbs(acc.data(), static_cast<int64_t>(acc.size()));
}

vnum decimalRunToNumber(const char* digits, int64_t count) {
  if (count <= DECIMAL_BLOCK_DIGITS) return decimalDigitsToNumber(digits, static_cast<int>(count));
  const int ranges = count >= READER_PARALLEL_MIN_DIGITS ? READER_RANGES_PER_THREAD * taskPoolThreads() : 1;
  // Block b holds the digits [count - (b + 1) 2048, count - b 2048), the
  // last one what is left at the front.
  const int64_t blocks = (count + DECIMAL_BLOCK_DIGITS - 1) / DECIMAL_BLOCK_DIGITS;
  std::vector<vnum> level(static_cast<size_t>(blocks));
  // The fraction done counts the levels, the leaves and each join of the
  // tree; in the FFT's range each level costs about the same.
  const ProgressTask progress;
  const double levels = std::bit_width(static_cast<uint64_t>(blocks - 1)) + 1.0;
  parallelRanges(blocks, static_cast<int>(std::min<int64_t>(blocks, ranges)), [&](int64_t first, int64_t last) {
    for (int64_t b = first; b < last; ++b) {
      if (isAborted()) return;
      const int64_t end = count - b * DECIMAL_BLOCK_DIGITS;
      const int64_t start = std::max<int64_t>(end - DECIMAL_BLOCK_DIGITS, 0);
      level[static_cast<size_t>(b)] = decimalDigitsToNumber(digits + start, static_cast<int>(end - start));
    }
  });
  for (int j = 0; level.size() > 1; ++j) {
    progress.report((j + 1) / levels);
    if (isAborted()) return vnum();
    const vnum* power = decPowerLadderEntry(DECIMAL_BLOCK_LADDER_ENTRY + j);
    if (!power) return vnum();
    const int64_t pairs = static_cast<int64_t>(level.size() / 2);
    std::vector<vnum> next(level.size() - static_cast<size_t>(pairs));
    parallelRanges(pairs, static_cast<int>(std::min<int64_t>(pairs, ranges)), [&](int64_t first, int64_t last) {
      for (int64_t i = first; i < last; ++i) {
        if (isAborted()) return;
        vnum joined = std::move(level[static_cast<size_t>(2 * i + 1)]);
        joined *= *power;
        joined += level[static_cast<size_t>(2 * i)];
        next[static_cast<size_t>(i)] = std::move(joined);
      }
    });
    if (level.size() % 2) next.back() = std::move(level.back());
    level = std::move(next);
  }
  return std::move(level[0]);
}

}  // namespace quorvel
