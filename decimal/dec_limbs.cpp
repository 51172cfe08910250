// Base-10^8 limb kernels: comparison, addition and subtraction with carries,
// and the exact division by a power of two.
#include "decimal/dec_limbs.h"

#include <cassert>

#include "decimal/limits.h"

namespace quorvel {

int compareDecLimbs(const int32_t* a, int32_t an, const int32_t* b, int32_t bn) {
  if (an != bn) return an > bn ? 1 : -1;
  for (int32_t i = an - 1; i >= 0; --i)
    if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
  return 0;
}

uint32_t addDecLimbs(int32_t* dst, int32_t dn, const int32_t* src, int32_t sn) {
  assert(sn <= dn);
  // Two limbs and a carry sum to at most 2 * 10^8 - 1 < 2^31.
  int32_t carry = 0;
  int32_t i = 0;
  for (; i < sn; ++i) {
    int32_t s = dst[i] + src[i] + carry;
    carry = s >= DEC_LIMB_BASE;
    dst[i] = carry ? s - DEC_LIMB_BASE : s;
  }
  for (; carry && i < dn; ++i) {
    int32_t s = dst[i] + 1;
    carry = s == DEC_LIMB_BASE;
    dst[i] = carry ? 0 : s;
  }
  return static_cast<uint32_t>(carry);
}

void subDecLimbs(int32_t* dst, int32_t dn, const int32_t* src, int32_t sn) {
  assert(sn <= dn);
  int32_t borrow = 0;
  int32_t i = 0;
  for (; i < sn; ++i) {
    int32_t d = dst[i] - src[i] - borrow;
    borrow = d < 0;
    dst[i] = borrow ? d + DEC_LIMB_BASE : d;
  }
  for (; borrow && i < dn; ++i) {
    int32_t d = dst[i] - 1;
    borrow = d < 0;
    dst[i] = borrow ? DEC_LIMB_BASE - 1 : d;
  }
  assert(!borrow);
}

}  // namespace quorvel
