// Construction, storage, trimming, negation and the equality test of vnum10.
#include "decimal/vnum10.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

namespace quorvel {

namespace {

std::unique_ptr<int32_t[]> allocateLimbs(int32_t count) {
  return std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(count));
}

}  // namespace

vnum10::vnum10() : plus(1), len(1), cap(DEC_FRESH_CAP), limbs(allocateLimbs(DEC_FRESH_CAP)) { limbs[0] = 0; }

vnum10::vnum10(int32_t v) : vnum10(static_cast<int64_t>(v)) {}

vnum10::vnum10(int64_t v) : plus(v >= 0), len(3), cap(DEC_FRESH_CAP), limbs(allocateLimbs(DEC_FRESH_CAP)) {
  // |INT64_MIN| = 2^63 is representable as unsigned.
  uint64_t m = v >= 0 ? static_cast<uint64_t>(v) : uint64_t{0} - static_cast<uint64_t>(v);
  limbs[0] = static_cast<int32_t>(m % DEC_LIMB_BASE);
  m /= DEC_LIMB_BASE;
  limbs[1] = static_cast<int32_t>(m % DEC_LIMB_BASE);
  // 2^63 / 10^16 < 1000: the top limb holds the rest.
  limbs[2] = static_cast<int32_t>(m / DEC_LIMB_BASE);
  trim();
}

vnum10::vnum10(const vnum10& other) : plus(1), len(1), cap(1), limbs(nullptr) {
  if (other.len <= 0) {
    cap = DEC_FRESH_CAP;
    limbs = allocateLimbs(DEC_FRESH_CAP);
    limbs[0] = 0;
    return;
  }
  plus = other.plus;
  len = other.len;
  cap = other.len;
  limbs = allocateLimbs(cap);
  std::memcpy(limbs.get(), other.limbs.get(), sizeof(int32_t) * static_cast<size_t>(len));
}

vnum10& vnum10::operator=(const vnum10& other) {
  if (this != &other) {
    vnum10 copy(other);
    swap(copy);
  }
  return *this;
}

// Storage for the fresh zero left behind comes first, so a failed
// allocation throws with both values as they were.
vnum10::vnum10(vnum10&& other) : vnum10() { swap(other); }

vnum10& vnum10::operator=(vnum10&& other) noexcept {
  swap(other);
  return *this;
}

vnum10::~vnum10() = default;

void vnum10::swap(vnum10& other) noexcept {
  std::swap(plus, other.plus);
  std::swap(len, other.len);
  std::swap(cap, other.cap);
  std::swap(limbs, other.limbs);
}

void vnum10::growTo(int32_t n) {
  if (len >= n) return;
  if (cap < n) {
    // Doubling the request leaves room for the carry limbs that sums add.
    const int32_t newCap = static_cast<int32_t>(std::min<int64_t>(int64_t{2} * n, INT32_MAX));
    auto fresh = allocateLimbs(newCap);
    std::memcpy(fresh.get(), limbs.get(), sizeof(int32_t) * static_cast<size_t>(std::max(len, 0)));
    limbs = std::move(fresh);
    cap = newCap;
  }
  std::fill(limbs.get() + std::max(len, 0), limbs.get() + n, 0);
  len = n;
}

void vnum10::trim() {
  while (len > 1 && limbs[len - 1] == 0) --len;
}

int32_t vnum10::trimmedLength() const {
  int32_t n = len;
  while (n > 1 && limbs[n - 1] == 0) --n;
  return n;
}

bool vnum10::isZero() const { return trimmedLength() == 1 && limbs[0] == 0; }

vnum10 vnum10::negate() {
  // A zero stays +0 so that it can never print as "-0".
  if (!isZero()) plus = !plus;
  return *this;
}

int vnum10::differs(const vnum10& other) const {
  if (plus != other.plus) return 1;
  const int32_t n = trimmedLength();
  if (n != other.trimmedLength()) return 1;
  return std::memcmp(limbs.get(), other.limbs.get(), sizeof(int32_t) * static_cast<size_t>(n)) != 0;
}

}  // namespace quorvel
