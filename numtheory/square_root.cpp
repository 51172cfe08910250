// floor(sqrt(x)) without a division.
//
// Plan, for x of n bits:
//  1. n <= 50: the double-precision root, exact in that range.
//  2. Otherwise an estimate y ~ 2^n / sqrt(x) with about 62 correct bits from
//     the x87 extended format: 1/sqrt of the top 64 bits of x.
//  3. n > 16384: Newton on the top G bits of x only, from G = 64 or 65 (so
//     that n - G is even) through about n/2^j, ..., n/4, n/2: each stage at
//     most doubles the precision, as one Newton step at most doubles the
//     correct bits, and ends with y correct to about G/2 bits. Between stages
//     y moves up by half the growth; y ~ 2^G / sqrt(x >> (n - G)) is the
//     full-size y shifted right by (n - G)/2.
//  4. Newton at full size, then s = (y x) >> n. As y <= 2^n / sqrt(x), s is
//     floor(sqrt(x)) or a few units below it.
//  5. Upward correction by whole units, with (s + 1)^2 = s^2 + 2s + 1.
// Step 5 cannot move s past the root; should the truncations of step 4 ever
// leave s one too high, a downward check takes it back, so the result always
// satisfies s^2 <= x < (s + 1)^2.
#include <fpu_control.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "numtheory/functions.h"
#include "numtheory/functions_limits.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

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

// The low 64 bits of a non-negative value.
uint64_t low64(const vnum& v) {
  uint64_t w = static_cast<uint32_t>(v.limbs[0]);
  w |= static_cast<uint64_t>(static_cast<uint32_t>(v.limbs[1])) << LIMB_BITS;
  if (v.len > 2) w |= static_cast<uint64_t>(static_cast<uint32_t>(v.limbs[2])) << (2 * LIMB_BITS);
  return w;
}

vnum fromUnsigned64(uint64_t w) {
  vnum v(static_cast<int64_t>(w >> 32));
  v.shift(32);
  v += vnum(static_cast<int64_t>(w & 0xffffffffu));
  return v;
}

// y ~ 2^n / sqrt(x) from the top 64 bits t of x (t * 2^(n-64) <= x).
//  - n < 16380: f = t * 2^(n-64) ~ x fits the exponent range; 1/sqrt(f) is
//    y / 2^n.
//  - otherwise f = t * 2^-64 in [1/2, 1), doubled for odd n so that the power
//    of two left out (2^(n-64) or 2^(n-65)) has an even exponent; then
//    1/sqrt(f) = sqrt(2^n / x) (or that over sqrt 2) is y / 2^ceil(n/2).
// The 64-bit significand M of 1/sqrt(f) = M * 2^(e-64) carries about 62
// correct bits (t truncated, two roundings).
vnum inverseSqrtEstimate(const vnum& x, int64_t n) {
  vnum top(x);
  top.shift(SQRT_ESTIMATE_BITS - n);
  const uint64_t t = low64(top);
  int64_t scale;
  uint64_t significand;
  int exponent;
  {
    ExtendedPrecisionScope scope;
    volatile long double f;
    if (n < SQRT_SCALED_ESTIMATE_MIN_BITS) {
      f = std::ldexp(static_cast<long double>(t), static_cast<int>(n - SQRT_ESTIMATE_BITS));
      scale = n;
    } else {
      f = std::ldexp(static_cast<long double>(t), (n & 1) ? 1 - SQRT_ESTIMATE_BITS : -SQRT_ESTIMATE_BITS);
      scale = n / 2 + (n & 1);
    }
    volatile long double inverseRoot = 1.0L / std::sqrt(f);
    const long double fraction = std::frexp(inverseRoot, &exponent);
    significand = static_cast<uint64_t>(std::ldexp(fraction, 64));
  }
  vnum y = fromUnsigned64(significand);
  y.shift(exponent - 64 + scale);
  return y;
}

// Step 3: brings y to about n/4 correct bits working on the top bits of x
// only, and returns it at full scale (~2^n / sqrt(x)). Every precision has
// the parity of n, so each shift of y by half a difference is exact.
void refineStaged(vnum& y, const vnum& x, int64_t n) {
  int64_t G = SQRT_ESTIMATE_BITS + (n & 1);
  // The precisions from the top: n/2, n/4, ... rounded up to n's parity,
  // down to the last one above the estimate's (which is then at most 2G).
  const auto halved = [n](int64_t g) {
    g = (g + 1) / 2;
    return g + ((g ^ n) & 1);
  };
  std::vector<int64_t> stages;
  for (int64_t g = halved(n); g > G; g = halved(g)) stages.push_back(g);
  y.shift(-(n - G) / 2);
  vnum top(x);
  top.shift(-(n - G));
  refineInverseSqrt(y, top, G);
  for (auto next = stages.rbegin(); next != stages.rend() && !isAborted(); ++next) {
    y.shift((*next - G) / 2);
    G = *next;
    top = x;
    top.shift(-(n - G));
    refineInverseSqrt(y, top, G);
  }
  y.shift((n - G) / 2);
}

}  // namespace

void squareRoot(vnum& result, const vnum& x, vnum& remainder) {
  if (!x.plus) throw MSG_NEGATIVE_VALUE;
  vnum s, B;
  if (!x.isZero()) {
    const int64_t n = x.bitLength();
    if (n <= SQRT_DOUBLE_MAX_BITS) {
      const double d = static_cast<double>(x.limbs[0]) + std::ldexp(static_cast<double>(x.limbs[1]), LIMB_BITS);
      const int64_t root = static_cast<uint32_t>(std::sqrt(d));
      s = vnum(root);
      B = vnum(root * root);
    } else {
      vnum y = inverseSqrtEstimate(x, n);
      if (n > SQRT_STAGED_MIN_BITS) refineStaged(y, x, n);
      if (isAborted()) return;
      refineInverseSqrt(y, x, n);
      if (isAborted()) return;
      s = y * x;
      s.shift(-n);
      B = s * s;
      const vnum one(int32_t{1});
      while (x > B && !isAborted()) {
        // (s + 1)^2 = s^2 + 2s + 1
        vnum next(B);
        next += s;
        next += s;
        next += one;
        if (x < next) break;
        s += one;
        B = std::move(next);
      }
      while (x < B && !isAborted()) {
        // (s - 1)^2 = s^2 - 2s + 1
        B -= s;
        B -= s;
        B += one;
        s -= one;
      }
      if (isAborted()) return;
    }
  }
  vnum rest(x);
  rest -= B;
  result = std::move(s);
  remainder = std::move(rest);
}

}  // namespace quorvel
