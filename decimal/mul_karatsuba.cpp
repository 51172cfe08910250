// One Karatsuba step of the vnum10 product, for products too long for a
// single FFT (and as the last fallback when an FFT rounds too close to a
// half). With B = 10^8 and a split at v limbs:
//
//   x = x_hi B^v + x_lo,  y = y_hi B^v + y_lo
//   x y = z2 B^(2v) + (x_hi y_lo + x_lo y_hi) B^v + z0
//   z2 = x_hi y_hi,  z0 = x_lo y_lo
//   x_hi y_lo + x_lo y_hi = z2 + z0 - (x_hi - x_lo)(y_hi - y_lo)
//
// Plan: (1) split at v = t div 2, (2) z2 and z0, (3) p = -d_x d_y from the
// differences d_x = x_hi - x_lo and d_y = y_hi - y_lo, (4) middle = z2 + z0 + p,
// (5) place z0 at limb 0, z2 at limb 2v and add middle at limb v.
#include <algorithm>
#include <cassert>
#include <cstring>

#include "decimal/dec_limbs.h"
#include "decimal/mul_steps.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// Limbs [from, to) of x's magnitude as a non-negative trimmed value.
vnum10 limbSlice(const vnum10& x, int32_t from, int32_t to) {
  vnum10 slice;
  if (to <= from) return slice;
  slice.growTo(to - from);
  std::memcpy(slice.limbs.get(), x.limbs.get() + from, sizeof(int32_t) * static_cast<size_t>(to - from));
  slice.trim();
  return slice;
}

// result <- |a| * |b| through mulMagnitudes, the larger magnitude first.
void mulEitherOrder(vnum10& result, const vnum10& a, const vnum10& b, double trustedError) {
  const bool aFirst =
      compareDecLimbs(a.limbs.get(), a.trimmedLength(), b.limbs.get(), b.trimmedLength()) >= 0;
  vnum10::mulMagnitudes(result, aFirst ? a : b, aFirst ? b : a, trustedError);
}

}  // namespace

void mulKaratsubaStep(vnum10& result, const vnum10& x, const vnum10& y, double trustedError) {
  const int32_t t = x.trimmedLength();
  const int32_t u = y.trimmedLength();
  assert(t >= 2 && t >= u);

  // (1) y_hi is zero when y is no longer than the split.
  const int32_t v = t / 2;
  const vnum10 xLo = limbSlice(x, 0, v), xHi = limbSlice(x, v, t);
  const vnum10 yLo = limbSlice(y, 0, std::min(v, u)), yHi = limbSlice(y, v, u);

  // (2)
  vnum10 z2, z0;
  mulEitherOrder(z2, xHi, yHi, trustedError);
  mulEitherOrder(z0, xLo, yLo, trustedError);

  // (3) The product of the magnitudes, negated when d_x d_y >= 0.
  vnum10 dx(xHi), dy(yHi);
  dx.subAssign(xLo);
  dy.subAssign(yLo);
  vnum10 p;
  mulEitherOrder(p, dx, dy, trustedError);
  if (dx.plus == dy.plus) p.negate();

  // (4) middle = x_hi y_lo + x_lo y_hi >= 0.
  vnum10 middle(z2);
  middle.addAssign(z0);
  middle.addAssign(p);
  // A cancelled sub-product makes the parts meaningless; stop before they
  // are placed.
  if (isAborted()) {
    result = vnum10();
    return;
  }
  assert(middle.plus);

  // (5) z0 < B^(2v) fills at most limbs [0, 2v), so z0 and z2 do not overlap;
  // middle B^v <= x y < B^(t+u) keeps the addition inside t + u limbs.
  vnum10 product;
  product.growTo(t + u);
  int32_t* out = product.limbs.get();
  const int32_t z0Len = z0.trimmedLength(), z2Len = z2.trimmedLength(), middleLen = middle.trimmedLength();
  assert(z0Len <= 2 * v && 2 * v + z2Len <= t + u && v + middleLen <= t + u);
  std::memcpy(out, z0.limbs.get(), sizeof(int32_t) * static_cast<size_t>(z0Len));
  std::memcpy(out + 2 * v, z2.limbs.get(), sizeof(int32_t) * static_cast<size_t>(z2Len));
  const uint32_t carry = addDecLimbs(out + v, t + u - v, middle.limbs.get(), middleLen);
  assert(carry == 0);
  (void)carry;
  product.trim();
  result.swap(product);
}

}  // namespace quorvel
