// Long division on 30-bit limbs (Knuth, TAOCP vol. 2, 4.3.1, algorithm D).
//
// With the divisor normalised (top limb v1 >= 2^29) and the current window
// u[j..j+vn] below v * 2^30, the trial digit
//     qhat = min(floor((u[j+vn] 2^30 + u[j+vn-1]) / v1), 2^30 - 1)
// is never below the true digit and at most 2 above it; the test against
// the second divisor limb v2 (qhat v2 > rhat 2^30 + u[j+vn-2]) removes all
// but one of the excess cases, and the rare last one shows as a negative
// window after the multiply-subtract and is undone by adding v back once.
//
// Cost: one 64-bit division and vn multiply-subtract steps per quotient limb,
// O(qn * vn) in all, with no allocation beyond the normalised copies made by
// schoolbookQuotient.
#include <bit>
#include <cassert>
#include <vector>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/quotient.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

constexpr uint64_t LIMB_BASE = uint64_t{1} << LIMB_BITS;

// dst[0..n] <- src[0..n) * 2^s, 0 <= s < 30; dst[n] takes the bits shifted
// out of the top limb.
void shiftLimbsLeft(int32_t* dst, const int32_t* src, int64_t n, int s) {
  uint32_t carry = 0;
  for (int64_t i = 0; i < n; ++i) {
    const uint64_t w = (static_cast<uint64_t>(static_cast<uint32_t>(src[i])) << s) | carry;
    dst[i] = static_cast<int32_t>(w & LIMB_MASK);
    carry = static_cast<uint32_t>(w >> LIMB_BITS);
  }
  dst[n] = static_cast<int32_t>(carry);
}

// Limbs of a non-negative normalised value up to its highest non-zero limb.
int64_t significantLimbs(const vnum& x) {
  int64_t n = x.len;
  while (n > 1 && x.limbs[n - 1] == 0) --n;
  return n;
}

}  // namespace

void divSchoolbook(int32_t* q, int32_t* u, int64_t un, const int32_t* v, int64_t vn) {
  assert(vn >= 1 && un > vn);
  assert(static_cast<uint32_t>(v[vn - 1]) >= (LIMB_BASE >> 1));
  const uint64_t v1 = static_cast<uint32_t>(v[vn - 1]);
  const uint64_t v2 = vn >= 2 ? static_cast<uint32_t>(v[vn - 2]) : 0;
  for (int64_t j = un - vn - 1; j >= 0; --j) {
    if (isAborted()) return;
    int32_t* w = u + j;  // the window w[0..vn], below v * 2^30
    assert(static_cast<uint64_t>(static_cast<uint32_t>(w[vn])) <= v1);
    const uint64_t top = (static_cast<uint64_t>(static_cast<uint32_t>(w[vn])) << LIMB_BITS) |
                         static_cast<uint32_t>(w[vn - 1]);
    uint64_t qhat = top / v1;
    uint64_t rhat = top % v1;
    const uint64_t next = vn >= 2 ? static_cast<uint32_t>(w[vn - 2]) : 0;
    while (qhat >= LIMB_BASE || qhat * v2 > ((rhat << LIMB_BITS) | next)) {
      --qhat;
      rhat += v1;
      if (rhat >= LIMB_BASE) break;
    }
    assert(qhat < LIMB_BASE);
    // w <- w - qhat v with one signed carry: after each limb the carry is
    // floor(acc / 2^30) less the high half of the product, in
    // [-2^30 - 3, 0], so it never leaves 64 bits.
    int64_t acc = 0;
    for (int64_t i = 0; i < vn; ++i) {
      const uint64_t p = qhat * static_cast<uint32_t>(v[i]);
      acc += static_cast<int64_t>(w[i]) - static_cast<int64_t>(p & LIMB_MASK);
      w[i] = static_cast<int32_t>(acc & LIMB_MASK);
      acc = (acc >> LIMB_BITS) - static_cast<int64_t>(p >> LIMB_BITS);
    }
    acc += w[vn];
    w[vn] = static_cast<int32_t>(acc & LIMB_MASK);
    if (acc < 0) {
      // qhat was one too large: add v back; the carry out of the top limb
      // cancels the borrow that made the window negative.
      --qhat;
      uint32_t carry = 0;
      for (int64_t i = 0; i < vn; ++i) {
        const uint32_t s = static_cast<uint32_t>(w[i]) + static_cast<uint32_t>(v[i]) + carry;
        w[i] = static_cast<int32_t>(s & LIMB_MASK);
        carry = s >> LIMB_BITS;
      }
      w[vn] = static_cast<int32_t>((static_cast<uint32_t>(w[vn]) + carry) & LIMB_MASK);
    }
    assert(w[vn] == 0);
    q[j] = static_cast<int32_t>(qhat);
  }
}

void schoolbookQuotient(vnum* q, vnum* r, const vnum& A, const vnum& B) {
  const int64_t an = significantLimbs(A);
  const int64_t vn = significantLimbs(B);
  assert(an >= vn);
  // Normalise: shift both until bit 29 of the divisor's top limb is set. The
  // dividend gains one limb, and its extra zero limb on top keeps the top vn
  // limbs below v.
  const int s = LIMB_BITS - std::bit_width(static_cast<uint32_t>(B.limbs[vn - 1]));
  std::vector<int32_t> v(static_cast<size_t>(vn) + 1);
  std::vector<int32_t> u(static_cast<size_t>(an) + 2, 0);
  shiftLimbsLeft(v.data(), B.limbs, vn, s);
  shiftLimbsLeft(u.data(), A.limbs, an, s);
  const int64_t un = an + 2;
  std::vector<int32_t> digits(static_cast<size_t>(un - vn));
  divSchoolbook(digits.data(), u.data(), un, v.data(), vn);
  if (q) *q = fromLimbs(digits.data(), static_cast<int64_t>(digits.size()));
  if (r) {
    *r = fromLimbs(u.data(), vn);
    r->shift(-s);
  }
}

}  // namespace quorvel
