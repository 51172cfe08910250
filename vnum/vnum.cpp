// Construction, storage, normal form, size and comparison of vnum.
#include "vnum/vnum.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <utility>

namespace quorvel {

namespace {

int32_t* allocateLimbs(int32_t count) { return new int32_t[static_cast<size_t>(count)]; }

// Copies work in whole groups of 4 limbs; cap being a multiple of 4 keeps the
// rounded-up count inside both arrays.
int32_t roundUp4(int32_t n) { return (n + 3) & ~3; }

}  // namespace

vnum::vnum() : plus(1), len(2), cap(FRESH_CAP), limbs(allocateLimbs(FRESH_CAP)) {
  limbs[0] = 0;
  limbs[1] = 0;
}

vnum::vnum(int32_t v) : plus(v >= 0), len(2), cap(FRESH_CAP), limbs(allocateLimbs(FRESH_CAP)) {
  uint32_t u = static_cast<uint32_t>(v);
  limbs[0] = static_cast<int32_t>(u & LIMB_MASK);
  // The top two bits of v land in limb 1; a negative value sign-extends
  // above them (0x3ffffffc covers bits 2..29 of limb 1).
  limbs[1] = static_cast<int32_t>((v < 0 ? 0x3ffffffcu : 0u) | (u >> 30));
  normalize();
}

vnum::vnum(int64_t v) : plus(v >= 0), len(4), cap(FRESH_CAP), limbs(allocateLimbs(FRESH_CAP)) {
  uint64_t u = static_cast<uint64_t>(v);
  uint32_t lo = static_cast<uint32_t>(u);
  uint32_t hi = static_cast<uint32_t>(u >> 32);
  limbs[0] = static_cast<int32_t>(lo & LIMB_MASK);
  limbs[1] = static_cast<int32_t>(((hi << 2) | (lo >> 30)) & LIMB_MASK);
  // Limb 2 holds bits 60..63 of v; a negative value sign-extends above them.
  limbs[2] = static_cast<int32_t>((v < 0 ? 0x3ffffff0u : 0u) | (hi >> 28));
  limbs[3] = fill();
  normalize();
}

vnum::vnum(const vnum& other) : plus(1), len(2), cap(FRESH_CAP), limbs(nullptr) {
  if (other.len <= 0 || other.cap <= 0) {
    limbs = allocateLimbs(FRESH_CAP);
    limbs[0] = 0;
    limbs[1] = 0;
    return;
  }
  plus = other.plus;
  len = other.len;
  cap = other.cap;
  limbs = allocateLimbs(cap);
  std::memcpy(limbs, other.limbs, sizeof(int32_t) * static_cast<size_t>(roundUp4(len)));
}

// The moved-from value is left a fresh zero, so its storage is taken before
// anything is stolen: a failed allocation then throws with both values as
// they were. (A noexcept move that allocates would end the program instead,
// and the engine turns std::bad_alloc into a message.)
vnum::vnum(vnum&& other) : vnum() { swap(other); }

// Reuses this value's array when it is large enough: assigning to a working
// value in a loop then costs a copy of the limbs, not a fresh allocation whose
// pages the kernel must zero on first touch.
vnum& vnum::operator=(const vnum& other) {
  if (this == &other) return *this;
  if (other.len <= 0 || other.cap <= 0 || cap < roundUp4(other.len)) {
    vnum copy(other);
    swap(copy);
    return *this;
  }
  plus = other.plus;
  len = other.len;
  std::memcpy(limbs, other.limbs, sizeof(int32_t) * static_cast<size_t>(roundUp4(len)));
  return *this;
}

vnum& vnum::operator=(vnum&& other) noexcept {
  swap(other);
  return *this;
}

vnum::~vnum() { delete[] limbs; }

void vnum::swap(vnum& other) noexcept {
  std::swap(plus, other.plus);
  std::swap(len, other.len);
  std::swap(cap, other.cap);
  std::swap(limbs, other.limbs);
}

void vnum::reserve(int32_t n) {
  if (cap >= n) return;
  int64_t wanted = static_cast<int64_t>(n) * GROWTH_FACTOR;
  int32_t newCap = static_cast<int32_t>(std::min<int64_t>(wanted, INT32_MAX & ~3));
  newCap = std::max(newCap, roundUp4(n));
  int32_t* fresh = allocateLimbs(newCap);
  std::memcpy(fresh, limbs, sizeof(int32_t) * static_cast<size_t>(roundUp4(len)));
  delete[] limbs;
  limbs = fresh;
  cap = newCap;
}

void vnum::normalize() {
  const int32_t f = fill();
  int32_t i = len - 1;
  while (i > 0 && limbs[i] == f && limbs[i - 1] == f) --i;
  if (i < len - 1) len = (i & 1) ? i + 1 : i + 2;
}

int32_t vnum::extendTo(int32_t n) {
  n += n & 1;
  const int32_t previous = len;
  if (len >= n) return previous;
  reserve(n);
  std::fill(limbs + len, limbs + n, fill());
  len = n;
  return previous;
}

void vnum::keepLowBits(int64_t n) {
  if (n <= 0) return;
  const int64_t r = n % LIMB_BITS;
  const int64_t k = n / LIMB_BITS - (r == 0 ? 1 : 0);
  if (k >= len) return;
  for (int64_t i = k + 1; i < len; ++i) limbs[i] = 0;
  if (r != 0) limbs[k] &= static_cast<int32_t>((1u << r) - 1);
}

int64_t vnum::bitLength() const {
  if (isZero()) return 1;
  vnum magnitude(*this);
  if (!magnitude.plus) magnitude.negate();
  magnitude.normalize();
  int32_t i = magnitude.len - 1;
  while (i > 0 && magnitude.limbs[i] == 0) --i;
  const uint32_t top = static_cast<uint32_t>(magnitude.limbs[i]);
  return static_cast<int64_t>(LIMB_BITS) * i + std::bit_width(top);
}

int64_t vnum::trailingZeroBits() const {
  assert(plus && !isZero());
  int32_t i = 0;
  while (limbs[i] == 0) ++i;
  return static_cast<int64_t>(LIMB_BITS) * i + std::countr_zero(static_cast<uint32_t>(limbs[i]));
}

void vnum::setSignFromTop() { plus = (limbs[len - 1] & LIMB_SIGN_BIT) ? 0 : 1; }

int vnum::compare(const vnum& other) const {
  if (plus != other.plus) return plus ? 1 : -1;
  // Two's complement limbs of values of one sign order like the values, so
  // after the fill check the common limbs compare as unsigned words.
  const int32_t f = fill();
  if (len != other.len) {
    const vnum& longer = len > other.len ? *this : other;
    const int32_t shorter = std::min(len, other.len);
    const int thisIsLonger = len > other.len ? 1 : -1;
    for (int32_t i = longer.len - 1; i >= shorter; --i) {
      if (longer.limbs[i] != f) {
        // A non-negative operand with a non-zero extra limb is larger; a
        // negative one with an extra limb below the fill is smaller.
        const int longerIsGreater = longer.limbs[i] > f ? 1 : -1;
        return longerIsGreater * thisIsLonger;
      }
    }
  }
  for (int32_t i = std::min(len, other.len) - 1; i >= 0; --i) {
    if (limbs[i] != other.limbs[i]) return limbs[i] > other.limbs[i] ? 1 : -1;
  }
  return 0;
}

bool vnum::isZero() const {
  if (!plus) return false;
  for (int32_t i = 0; i < len; ++i)
    if (limbs[i] != 0) return false;
  return true;
}

}  // namespace quorvel
