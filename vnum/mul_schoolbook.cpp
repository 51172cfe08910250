// The quadratic product for small operands.
//
// Each limb product p = a_i * b_j < 2^60 is split at bit 30 and its halves are
// added into 64-bit column sums acc[i+j] and acc[i+j+1]; one carry pass then
// turns the columns into 30-bit limbs. A column receives at most
// 2 * min(A.len, B.len) halves below 2^30, so it stays below 2^64 for any
// operands that fit in memory.
#include <cassert>
#include <vector>

#include "vnum/vnum.h"

namespace quorvel {

void mulSchoolbook(vnum& out, const vnum& A, const vnum& B) {
  assert(A.plus && B.plus);
  const int32_t n = A.len + B.len;  // even, and the product fits in n limbs
  std::vector<uint64_t> acc(static_cast<size_t>(n) + 1, 0);
  for (int32_t i = 0; i < A.len; ++i) {
    const uint64_t a = static_cast<uint32_t>(A.limbs[i]);
    if (a == 0) continue;
    uint64_t* column = acc.data() + i;
    for (int32_t j = 0; j < B.len; ++j) {
      const uint64_t p = a * static_cast<uint32_t>(B.limbs[j]);
      column[j] += p & LIMB_MASK;
      column[j + 1] += p >> LIMB_BITS;
    }
  }
  // Two more limbs than the product needs keep its sign bit clear.
  out = vnum();
  out.extendTo(n + 2);
  uint64_t carry = 0;
  for (int32_t k = 0; k < n + 2; ++k) {
    const uint64_t column = (k <= n ? acc[static_cast<size_t>(k)] : 0) + carry;
    out.limbs[k] = static_cast<int32_t>(column & LIMB_MASK);
    carry = column >> LIMB_BITS;
  }
  assert(carry == 0);
  out.plus = 1;
  out.normalize();
}

}  // namespace quorvel
