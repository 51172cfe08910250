// AND, OR, XOR and NOT on the infinite two's complement bit strings.
//
// The shorter operand is taken as extended by its fill, so each operation is
// a single pass over the longer length; the sign bit of the top limb then
// gives the sign of the result.
#include <emmintrin.h>

#include <algorithm>

#include "vnum/limb_ops.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {

// p[i] = op(p[i], q[i]) for i in [0, n), four limbs per vector step.
template <typename VectorOp, typename ScalarOp>
void combineLimbs(int32_t* p, const int32_t* q, int32_t n, VectorOp vop, ScalarOp sop) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i* dst = reinterpret_cast<__m128i*>(p + i);
    const __m128i a = _mm_loadu_si128(dst);
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + i));
    _mm_storeu_si128(dst, vop(a, b));
  }
  for (; i < n; ++i) p[i] = sop(p[i], q[i]);
}

}  // namespace

vnum& vnum::operator&=(const vnum& B) {
  const int32_t n = std::max(len, B.len);
  // A negative shorter operand's fill keeps the longer one's high limbs, so
  // it must take part; a non-negative one ends the value at its own length.
  if (len < n && !plus) extendTo(n);
  const int32_t common = std::min(len, B.len);
  combineLimbs(limbs, B.limbs, common, _mm_and_si128, [](int32_t a, int32_t b) { return a & b; });
  if (B.plus) std::fill(limbs + common, limbs + len, 0);
  setSignFromTop();
  normalize();
  return *this;
}

vnum& vnum::operator|=(const vnum& B) {
  extendTo(std::max(len, B.len));
  combineLimbs(limbs, B.limbs, B.len, _mm_or_si128, [](int32_t a, int32_t b) { return a | b; });
  if (!B.plus) std::fill(limbs + B.len, limbs + len, LIMB_MASK);
  setSignFromTop();
  normalize();
  return *this;
}

vnum& vnum::operator^=(const vnum& B) {
  extendTo(std::max(len, B.len));
  // Both operands' limbs are 30-bit, so their XOR needs no mask.
  combineLimbs(limbs, B.limbs, B.len, _mm_xor_si128, [](int32_t a, int32_t b) { return a ^ b; });
  if (!B.plus)
    for (int32_t i = B.len; i < len; ++i) limbs[i] ^= LIMB_MASK;
  setSignFromTop();
  normalize();
  return *this;
}

vnum& vnum::complement() {
  complementLimbs(limbs, len);
  setSignFromTop();
  normalize();
  return *this;
}

}  // namespace quorvel
