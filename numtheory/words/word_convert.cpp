// Between 30-bit limbs and 64-bit words: the same bit string cut at other
// boundaries.
#include <bit>
#include <cassert>

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

// Each output is cut from the inputs that cover its bits, independently of
// the others, so the loop carries no dependency from one output to the
// next: word i is bits 64 i .. 64 i + 63, which lie in limbs k .. k + 3 for
// k = floor(64 i / 30) (an offset of up to 29 bits plus 64 needs 93 < 120);
// limb j is bits 30 j .. 30 j + 29, inside words k, k + 1 for
// k = floor(30 j / 64).
void wordsFromLimbs(uint64_t* out, int32_t n, const int32_t* x, int32_t limbs) {
  const uint32_t* p = reinterpret_cast<const uint32_t*>(x);
  auto limbAt = [&](int64_t k) -> u128 { return k < limbs ? p[k] : 0; };
  for (int32_t i = 0; i < n; ++i) {
    const int64_t bit = int64_t{64} * i;
    const int64_t k = bit / LIMB_BITS;
    const int offset = static_cast<int>(bit % LIMB_BITS);
    u128 window;
    if (k + 3 < limbs)
      window = p[k] | static_cast<u128>(p[k + 1]) << 30 | static_cast<u128>(p[k + 2]) << 60 |
               static_cast<u128>(p[k + 3]) << 90;
    else
      window = limbAt(k) | limbAt(k + 1) << 30 | limbAt(k + 2) << 60 | limbAt(k + 3) << 90;
    out[i] = static_cast<uint64_t>(window >> offset);
  }
}

void limbsFromWords(int32_t* out, int32_t limbs, const uint64_t* w, int32_t n) {
  for (int32_t j = 0; j < limbs; ++j) {
    const int64_t bit = int64_t{LIMB_BITS} * j;
    const int64_t k = bit / 64;
    const int offset = static_cast<int>(bit % 64);
    u128 window = k < n ? w[k] : 0;
    if (k + 1 < n) window |= static_cast<u128>(w[k + 1]) << 64;
    out[j] = static_cast<int32_t>(static_cast<uint64_t>(window >> offset) & LIMB_MASK);
  }
}

void wordsFromVnum(uint64_t* out, int32_t n, const vnum& x) {
  assert(x.plus);
  const int32_t limbs = significantLimbs(x);
  assert(int64_t{LIMB_BITS} * (limbs - 1) + std::bit_width(static_cast<uint32_t>(x.limbs[limbs - 1])) <= int64_t{64} * n);
  wordsFromLimbs(out, n, x.limbs, limbs);
}

vnum vnumFromWords(const uint64_t* w, int32_t n) {
  while (n > 1 && w[n - 1] == 0) --n;
  // 64 n bits in 30-bit limbs, plus one limb for the clear sign bit.
  const int32_t limbs = static_cast<int32_t>((int64_t{64} * n + LIMB_BITS - 1) / LIMB_BITS) + 1;
  vnum v;
  v.extendTo(limbs);
  limbsFromWords(v.limbs, v.len, w, n);
  v.normalize();
  return v;
}

}  // namespace quorvel
