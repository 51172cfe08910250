// Between 30-bit limbs and 64-bit words: a bit stream re-cut at other
// boundaries, carried through a 128-bit buffer that never holds more than
// 64 + 30 pending bits.
#include <bit>
#include <cassert>
#include <cstring>

#include "numtheory/words/word_span.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

// Limbs of x below its fill (top zero limbs dropped); at least 1.
int32_t significantLimbs(const vnum& x) {
  int32_t n = x.len;
  while (n > 1 && x.limbs[n - 1] == 0) --n;
  return n;
}

}  // namespace

int32_t wordCount(const vnum& x) {
  assert(x.plus);
  const int32_t n = significantLimbs(x);
  const int64_t bits = int64_t{LIMB_BITS} * (n - 1) + std::bit_width(static_cast<uint32_t>(x.limbs[n - 1]));
  return bits == 0 ? 1 : static_cast<int32_t>((bits + 63) / 64);
}

void wordsFromVnum(uint64_t* out, int32_t n, const vnum& x) {
  assert(x.plus);
  const int32_t limbs = significantLimbs(x);
  u128 pending = 0;
  int pendingBits = 0;
  int32_t next = 0, i = 0;
  for (; i < n; ++i) {
    while (pendingBits < 64 && next < limbs) {
      pending |= static_cast<u128>(static_cast<uint32_t>(x.limbs[next++])) << pendingBits;
      pendingBits += LIMB_BITS;
    }
    if (pendingBits == 0) break;
    out[i] = static_cast<uint64_t>(pending);
    pending >>= 64;
    pendingBits = pendingBits > 64 ? pendingBits - 64 : 0;
  }
  // Only zero bits may be left over: x must fit the span.
  assert(pending == 0);
  std::memset(out + i, 0, sizeof(uint64_t) * static_cast<size_t>(n - i));
}

vnum vnumFromWords(const uint64_t* w, int32_t n) {
  while (n > 1 && w[n - 1] == 0) --n;
  // 64 n bits in 30-bit limbs, plus one limb for the clear sign bit.
  int32_t limbs = static_cast<int32_t>((int64_t{64} * n + LIMB_BITS - 1) / LIMB_BITS) + 1;
  vnum v;
  v.extendTo(limbs);
  u128 pending = 0;
  int pendingBits = 0;
  int32_t next = 0;
  for (int32_t i = 0; i < v.len; ++i) {
    if (pendingBits < LIMB_BITS && next < n) {
      pending |= static_cast<u128>(w[next++]) << pendingBits;
      pendingBits += 64;
    }
    v.limbs[i] = static_cast<int32_t>(static_cast<uint64_t>(pending) & LIMB_MASK);
    pending >>= LIMB_BITS;
    pendingBits = pendingBits > LIMB_BITS ? pendingBits - LIMB_BITS : 0;
  }
  v.normalize();
  return v;
}

}  // namespace quorvel
