// Reciprocal by restoring division, one quotient bit per pass.
//
// Dividing 2^(m-1+n-1) by C (m bits) bit by bit: the partial remainder d
// starts at 2^(m-1), the dividend's top bit, and for each of the n quotient
// bits, from the top: if d >= C the bit is 1 and d <- d - C; then the next
// (zero) dividend bit is brought down, d <- 2d. Since d < C after the
// subtraction, d < 2C < 2^(m+1) throughout, so d fits ceil((m+1)/30) limbs.
//
// The subtraction and the doubling are fused into one pass from the bottom:
// limb j of 2(d - C) takes bits 0..28 of limb j of the difference and bit 29
// of limb j-1.
#include <algorithm>
#include <cassert>
#include <vector>

#include "numtheory/bit_fields.h"
#include "numtheory/quotient.h"

namespace quorvel {

vnum bitwiseReciprocal(const vnum& C, int64_t steps) {
  const int64_t m = magnitudeBits(C);
  assert(m >= 1 && steps >= 1);
  const int64_t width = (m + 1 + LIMB_BITS - 1) / LIMB_BITS;
  std::vector<int32_t> c(C.limbs, C.limbs + std::min<int64_t>(C.len, width));
  c.resize(width, 0);
  std::vector<int32_t> d(width, 0);
  d[(m - 1) / LIMB_BITS] = int32_t{1} << ((m - 1) % LIMB_BITS);
  std::vector<int32_t> e((steps + LIMB_BITS - 1) / LIMB_BITS, 0);

  for (int64_t i = 0; i < steps; ++i) {
    int64_t j = width - 1;
    while (j > 0 && d[j] == c[j]) --j;
    const bool subtract = d[j] >= c[j];
    if (subtract) {
      const int64_t bit = steps - 1 - i;
      e[bit / LIMB_BITS] |= int32_t{1} << (bit % LIMB_BITS);
    }
    const int32_t mask = subtract ? LIMB_MASK : 0;
    int32_t borrow = 0;
    uint32_t carried = 0;  // bit 29 of the previous difference limb
    for (int64_t k = 0; k < width; ++k) {
      int32_t t = d[k] - (c[k] & mask) - borrow;
      borrow = t < 0;
      const uint32_t diff = static_cast<uint32_t>(t) & LIMB_MASK;
      d[k] = static_cast<int32_t>(((diff << 1) & LIMB_MASK) | carried);
      carried = diff >> (LIMB_BITS - 1);
    }
    assert(borrow == 0 && carried == 0);
  }
  return fromLimbs(e.data(), static_cast<int64_t>(e.size()));
}

}  // namespace quorvel
