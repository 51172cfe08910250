#include "numtheory/bits/bit_fields.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <new>

namespace quorvel {

namespace {

// Limb j of a non-negative value, 0 above its length.
inline uint32_t limbAt(const vnum& x, int64_t j) {
  return j < x.len ? static_cast<uint32_t>(x.limbs[j]) : 0u;
}

// Limbs needed for n bits plus one whole zero limb, so that bit 29 of the top
// limb (the sign) is clear; even, as every length is.
int32_t limbsWithFill(int64_t bits) {
  const int64_t n = (bits + LIMB_BITS - 1) / LIMB_BITS + 1;
  const int64_t even = n + (n & 1);
  if (even > INT32_MAX / GROWTH_FACTOR) throw std::bad_alloc();
  return static_cast<int32_t>(std::max<int64_t>(even, 2));
}

}  // namespace

int64_t magnitudeBits(const vnum& x) {
  assert(x.plus);
  int32_t i = x.len - 1;
  while (i > 0 && x.limbs[i] == 0) --i;
  return static_cast<int64_t>(LIMB_BITS) * i + std::bit_width(static_cast<uint32_t>(x.limbs[i]));
}

vnum bitField(const vnum& x, int64_t offset, int64_t count) {
  assert(x.plus && offset >= 0 && count >= 0);
  vnum out;
  const int64_t available = static_cast<int64_t>(LIMB_BITS) * x.len - offset;
  count = std::min(count, std::max<int64_t>(available, 0));
  if (count == 0) return out;
  const int32_t n = limbsWithFill(count);
  out.reserve(n);
  const int64_t first = offset / LIMB_BITS;
  const int r = static_cast<int>(offset % LIMB_BITS);
  const int32_t used = static_cast<int32_t>((count + LIMB_BITS - 1) / LIMB_BITS);
  for (int32_t i = 0; i < used; ++i) {
    const uint32_t lo = limbAt(x, first + i) >> r;
    const uint32_t hi = r ? limbAt(x, first + i + 1) << (LIMB_BITS - r) : 0u;
    out.limbs[i] = static_cast<int32_t>((lo | hi) & LIMB_MASK);
  }
  const int top = static_cast<int>(count % LIMB_BITS);
  if (top) out.limbs[used - 1] &= static_cast<int32_t>((1u << top) - 1);
  std::fill(out.limbs + used, out.limbs + n, 0);
  out.len = n;
  out.plus = 1;
  out.normalize();
  return out;
}

vnum powerOfTwo(int64_t n) {
  vnum p(int32_t{1});
  p.shift(n);
  return p;
}

vnum magnitudeOf(const vnum& x) {
  vnum m(x);
  if (!m.plus) m.negate();
  return m;
}

vnum fromLimbs(const int32_t* limbs, int64_t n) {
  vnum out;
  const int32_t total = limbsWithFill(static_cast<int64_t>(LIMB_BITS) * n);
  out.reserve(total);
  std::copy(limbs, limbs + n, out.limbs);
  std::fill(out.limbs + n, out.limbs + total, 0);
  out.len = total;
  out.plus = 1;
  out.normalize();
  return out;
}

void placeBits(std::vector<int32_t>& out, const vnum& v, int64_t offset) {
  assert(v.plus);
  const int64_t first = offset / LIMB_BITS;
  const int r = static_cast<int>(offset % LIMB_BITS);
  const int64_t bits = magnitudeBits(v);
  const int32_t used = static_cast<int32_t>((bits + LIMB_BITS - 1) / LIMB_BITS);
  for (int32_t i = 0; i < used; ++i) {
    const uint32_t limb = static_cast<uint32_t>(v.limbs[i]);
    assert(first + i < static_cast<int64_t>(out.size()));
    out[first + i] |= static_cast<int32_t>((limb << r) & LIMB_MASK);
    if (r && (limb >> (LIMB_BITS - r))) {
      assert(first + i + 1 < static_cast<int64_t>(out.size()));
      out[first + i + 1] |= static_cast<int32_t>(limb >> (LIMB_BITS - r));
    }
  }
}

}  // namespace quorvel
