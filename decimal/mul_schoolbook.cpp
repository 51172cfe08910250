// The quadratic vnum10 product, for operands of a few limbs.
#include <algorithm>
#include <cassert>

#include "decimal/dec_limbs.h"
#include "decimal/mul_steps.h"

namespace quorvel {

void mulDecLimbsSchoolbook(int32_t* out, const int32_t* x, int32_t t, const int32_t* y, int32_t u) {
  assert(t >= 1 && u >= 1 && std::min(t, u) <= DEC_SCHOOLBOOK_MAX_SHORTER);
  // Column k of the product, sum of x[i] y[k-i], is formed in one 64-bit
  // accumulator and reduced once: at most DEC_SCHOOLBOOK_MAX_SHORTER terms
  // below 10^16 plus the carry from the column below (under 2^64 / 10^8)
  // stay below 2^64.
  const uint64_t base = DEC_LIMB_BASE;
  uint64_t carry = 0;
  for (int32_t k = 0; k < t + u - 1; ++k) {
    const int32_t first = std::max(0, k - u + 1), last = std::min(k, t - 1);
    uint64_t sum = carry;
    for (int32_t i = first; i <= last; ++i)
      sum += static_cast<uint64_t>(static_cast<uint32_t>(x[i])) * static_cast<uint32_t>(y[k - i]);
    out[k] = static_cast<int32_t>(sum % base);
    carry = sum / base;
  }
  // x y < 10^(8(t+u)), so what is left is the top limb.
  out[t + u - 1] = static_cast<int32_t>(carry);
}

void mulSchoolbookStep(vnum10& result, const vnum10& x, const vnum10& y) {
  const int32_t t = x.trimmedLength();
  const int32_t u = y.trimmedLength();
  vnum10 product;
  product.growTo(t + u);
  mulDecLimbsSchoolbook(product.limbs.get(), x.limbs.get(), t, y.limbs.get(), u);
  product.trim();
  result.swap(product);
}

}  // namespace quorvel
