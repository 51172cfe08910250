// 2^(k+H) / sqrt(x) to k bits, by Newton stages of doubling precision.
//
// Let n_e be the bit length of x rounded up to even and H = n_e / 2, so that
// x in [2^(n_e-2), 2^n_e) and the target Y_k = 2^(k+H) / sqrt(x) lies in
// (2^k, 2^(k+1)]. Stage k reads only the top L bits of x (L even, so that
// the dropped power of two has a square root): u = floor(x / 2^(n_e - L)),
// and Y_k = 2^(k + L/2) / sqrt(x / 2^(n_e - L)).
//
// Plan (each stage keeps Y_k - 3 < y_k < Y_k + 1, a relative error below
// 2^-(k-2)):
//  1. Stage k0 <= 58: y = floor(2^(k0+32) / sqrt(u)) for the top 64 bits u,
//     from the x87 extended format: sqrtl and the division are each rounded
//     once (2^-64), u's truncation moves the root by under 2^-63, so the
//     real value is within 2^-61 relative, a quarter unit at k0 = 58.
//  2. Stage k -> k' (k' <= 2k - 6), with u' of L' >= k' + 4 bits: Newton's
//     step for 1/y^2 = u' / 2^(2k' + L') at y = y_k 2^(k'-k) is
//         y' = y + y (2^(2k'+L') - u' y^2) / 2^(2k'+L'+1)
//            = y_k 2^(k'-k) + y_k D / 2^(3k - k' + L' + 1),
//         D = 2^(2k + L') - u' y_k^2     (exact, either sign),
//     so only y_k^2 and u' y_k^2 are formed, and D is cut to its bits from
//     j = 2k + L' - k' - 4 up before the last product.
//  3. Error of a stage. With u' in place of x the target Yu >= Y_k' is
//     higher by less than 2^-(L'-1) relative. Written y = Yu (1 + e), the
//     exact step gives Yu (1 - 3e^2/2 - e^3/2): never above Yu, and below it
//     by at most 1.6 e^2 Yu, where |e| < 3.01 * 2^-k, Yu <= 2^(k'+1) and
//     k' <= 2k - 6: less than 0.46 units. The cut of D lowers the step by
//     less than y_k 2^j / 2^(3k-k'+L'+1) <= 1/16, the final floor by less
//     than 1. So Y_k' - 1.53 < y_k' <= Yu < Y_k' + 2^(k'+1-(L'-1)) <= Y_k' + 1/4.
//
// Cost: stage k' squares y_k (k bits), multiplies u' (k' bits) by the
// square (2k bits) and y_k by the top k' - k + 7 bits of D: about 4 k'-bit
// products' worth of combined length at the last stage, 8 in all.
#include <fpu_control.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <vector>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/functions.h"
#include "numtheory/roots/limits.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// The x87 unit set to a 64-bit significand, round to nearest and every
// exception masked for the scope's life, then restored. `long double` is the
// 80-bit format on this platform.
class ExtendedPrecisionScope {
 public:
  ExtendedPrecisionScope() {
    _FPU_GETCW(saved_);
    constexpr fpu_control_t exceptions =
        _FPU_MASK_IM | _FPU_MASK_DM | _FPU_MASK_ZM | _FPU_MASK_OM | _FPU_MASK_UM | _FPU_MASK_PM;
    // _FPU_EXTENDED and _FPU_RC_ZERO are also the masks of their fields.
    fpu_control_t word = (saved_ & ~(_FPU_EXTENDED | _FPU_RC_ZERO)) | _FPU_EXTENDED | _FPU_RC_NEAREST | exceptions;
    _FPU_SETCW(word);
    asm volatile("" ::: "memory");
  }
  ~ExtendedPrecisionScope() {
    asm volatile("" ::: "memory");
    _FPU_SETCW(saved_);
  }
  ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
  ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;

 private:
  fpu_control_t saved_;
};

// floor(x / 2^(ne - L)) for even ne and L: the top L bits of x, or x
// scaled up when it has fewer.
vnum topBits(const vnum& x, int64_t ne, int64_t L) {
  vnum u(x);
  u.shift(L - ne);
  return u;
}

uint64_t low64(const vnum& v) {
  uint64_t w = 0;
  for (int32_t i = std::min<int32_t>(v.len, 3) - 1; i >= 0; --i) w = (w << LIMB_BITS) | static_cast<uint32_t>(v.limbs[i]);
  return w;
}

vnum fromUnsigned64(uint64_t w) {
  vnum v(static_cast<int64_t>(w >> 32));
  v.shift(32);
  v += vnum(static_cast<int64_t>(w & 0xffffffffu));
  return v;
}

// Step 1: y_k for k <= SQRT_START_BITS from the top 64 bits of x.
vnum startInverseSqrt(const vnum& x, int64_t ne, int64_t k) {
  assert(k >= 1 && k <= SQRT_START_BITS);
  const uint64_t u = low64(topBits(x, ne, SQRT_ESTIMATE_BITS));
  uint64_t y;
  {
    ExtendedPrecisionScope scope;
    // volatile keeps both operations in the 80-bit registers under this
    // control word, each rounded once.
    volatile long double root = std::sqrt(static_cast<long double>(u));
    volatile long double inverse = 1.0L / root;
    y = static_cast<uint64_t>(std::ldexp(static_cast<long double>(inverse), static_cast<int>(k + SQRT_ESTIMATE_BITS / 2)));
  }
  return fromUnsigned64(y);
}

}  // namespace

vnum inverseSqrt(const vnum& x, int64_t k) {
  assert(x.plus && !x.isZero() && k >= 1);
  const int64_t n = x.bitLength();
  const int64_t ne = n + (n & 1);
  std::vector<int64_t> stages{k};
  while (stages.back() > SQRT_START_BITS) stages.push_back((stages.back() + SQRT_STAGE_LOSS_BITS + 1) / 2);
  std::reverse(stages.begin(), stages.end());

  vnum y = startInverseSqrt(x, ne, stages[0]);
  for (size_t i = 1; i < stages.size(); ++i) {
    if (isAborted()) return y;
    const int64_t kk = stages[i - 1];
    const int64_t next = stages[i];
    assert(next <= 2 * kk - SQRT_STAGE_LOSS_BITS);
    int64_t L = next + SQRT_TOP_GUARD_BITS;
    L += L & 1;
    vnum D = y * y;
    D *= topBits(x, ne, L);
    D.negate();
    D += powerOfTwo(2 * kk + L);
    const int64_t j = 2 * kk + L - next - SQRT_RESIDUE_GUARD_BITS;
    D.shift(-j);  // floor, also for a negative residue
    D *= y;
    D.shift(-(3 * kk - next + L + 1 - j));
    y.shift(next - kk);
    y += D;
  }
  return y;
}

}  // namespace quorvel
