// floor(sqrt(x)) without a division.
//
// Plan, for x of n bits, n_e = n rounded up to even, H = n_e / 2 (the root
// has at most H bits):
//  1. n <= 50: the double-precision root, exact in that range.
//  2. y ~ Y = 2^(h+H) / sqrt(x) to h = ceil(H/2) + 4 bits, Y - 3 < y < Y + 1
//     (inverseSqrt: Newton stages on the top bits of x).
//  3. The first half of the root: with J = H - h and the top L = h + 4 bits
//     u of x (L even), s0 = floor(u y / 2^L) ~ sigma = sqrt(x) / 2^J, since
//     u y / 2^L = sigma (u / (x / 2^(n_e-L))) (y / Y); s0 is within
//     (sigma - 4.25, sigma + 1), so S0 = s0 2^J is within
//     delta = sqrt(x) - S0 in (-2^J, 4.25 * 2^J).
//  4. The second half by one Newton step fused with the root (the step of
//     Karp and Markstein): r0 = x - S0^2 exactly, and
//         sqrt(x) = S0 + r0 / (2 S0) - delta^2 / (2 S0),
//     where 1 / (2 S0) is taken as y / 2^(h+H+1). Since
//     r0 y / 2^(h+H+1) = (delta - delta^2 / (2 sqrt(x))) (y / Y), its
//     distance from delta is at most 4.25 * 2^J * 3 * 2^-h + 18.1 * 2^(2J-H)
//     = 30.9 * 2^(H-2h) <= 30.9 / 256 units. r0 is cut to its bits from
//     H - 4 up first (at most 1/16 of a unit), and the floor of
//     s1 = floor(r0' y / 2^(h+5)) costs less than 1: s = S0 + s1 is within
//     1.2 of sqrt(x).
//  5. Exact correction with the remainder x - s^2, which must lie in
//     [0, 2s]: at most two steps of (s -+ 1)^2 = s^2 -+ 2s + 1.
//
// Cost, in products of h bits: inverseSqrt about 4, then u y, s0^2 and
// r0' y one each, and s^2 (H bits) two: some 9 products of h ~ H/2 bits, or
// 4.5 of the root's length.
#include <cassert>
#include <cmath>
#include <cstdint>
#include <utility>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/functions.h"
#include "numtheory/roots/limits.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// floor(sqrt(x)) for n > SQRT_DOUBLE_MAX_BITS, meaningless after a cancel.
vnum largeRoot(const vnum& x, int64_t n) {
  const int64_t ne = n + (n & 1);
  const int64_t H = ne / 2;
  const int64_t h = (H + 1) / 2 + SQRT_FUSED_GUARD_BITS;
  const int64_t J = H - h;
  const vnum y = inverseSqrt(x, h);

  int64_t L = h + SQRT_TOP_GUARD_BITS;
  L += L & 1;
  vnum s0(x);
  s0.shift(L - ne);
  s0 *= y;
  s0.shift(-L);

  vnum r0 = s0 * s0;
  r0.shift(2 * J);
  r0.negate();
  r0 += x;
  const int64_t cut = H - SQRT_RESIDUE_GUARD_BITS;
  r0.shift(-cut);  // floor, also for a negative residue
  r0 *= y;
  r0.shift(-(h + H + 1 - cut));

  vnum s(s0);
  s.shift(J);
  s += r0;
  return s;
}

}  // namespace

void squareRoot(vnum& result, const vnum& x, vnum& remainder) {
  if (!x.plus) throw MSG_NEGATIVE_VALUE;
  vnum s, rest;
  if (!x.isZero()) {
    const int64_t n = x.bitLength();
    if (n <= SQRT_DOUBLE_MAX_BITS) {
      const double d = static_cast<double>(x.limbs[0]) + std::ldexp(static_cast<double>(x.limbs[1]), LIMB_BITS);
      const int64_t root = static_cast<uint32_t>(std::sqrt(d));
      s = vnum(root);
      rest = x;
      rest -= vnum(root * root);
    } else {
      s = largeRoot(x, n);
      if (isAborted()) return;
      rest = s * s;
      rest.negate();
      rest += x;
      const vnum one(int32_t{1});
      [[maybe_unused]] int steps = 0;
      // x - (s - 1)^2 = x - s^2 + 2s - 1; x - (s + 1)^2 = x - s^2 - 2s - 1.
      while (!rest.plus && !isAborted()) {
        rest += s;
        rest += s;
        rest -= one;
        s -= one;
        assert(++steps <= MAX_ROOT_CORRECTIONS);
      }
      for (;;) {
        vnum twice(s);
        twice.shift(1);
        if (!(rest > twice) || isAborted()) break;
        rest -= twice;
        rest -= one;
        s += one;
        assert(++steps <= MAX_ROOT_CORRECTIONS);
      }
      if (isAborted()) return;
    }
  }
  result = std::move(s);
  remainder = std::move(rest);
}

}  // namespace quorvel
