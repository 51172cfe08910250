// The Montgomery constants of a stored modulus: R = 2^k with k the bit length
// of N (so N < R < 2N), RR = R^2 mod N and NP = -N^-1 mod R.
//
// NP makes REDC exact: with u = T * NP mod R, T + u * N = T - T = 0 (mod R),
// so the shift by k in montgomeryReduce drops only zero bits.
#include <algorithm>
#include <utility>

#include "numtheory/functions.h"
#include "numtheory/numtheory.h"
#include "numtheory/powers/limits.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// NP bit by bit. Invariant after i rounds: N * NP + 1 = (x + 1) * 2^i, so bit
// i of N * NP + 1 is the low bit of x + 1. When x is even that bit is 1 and
// adding N (odd), i.e. N * 2^i to N * NP, clears it: bit i of NP is set. x is
// then odd, and (x + 1) / 2 - 1 is x shifted right by one.
vnum negatedInverseBitSerial(const vnum& N, int k) {
  vnum x, b(int32_t{1}), np;
  for (int i = 0; i < k; ++i) {
    if ((x.limbs[0] & 1) == 0) {
      x += N;
      np += b;
    }
    x.shift(-1);
    b.shift(1);
  }
  return np;
}

// value mod 2^bits for a non-negative value, normalised.
void truncateTo(vnum& value, int64_t bits) {
  value.keepLowBits(bits);
  value.normalize();
}

// NP by lifting w = N^-1 from mod 2^j to mod 2^(2j) (Newton's iteration for
// the 2-adic inverse): with N * w = 1 + d, d = 0 mod 2^j, the value
// w' = w - w * d = w (2 - N w) satisfies N w' = 1 - d^2 = 1 (mod 2^(2j)).
vnum negatedInverseLifted(const vnum& N, int k) {
  // The first 30 bits in a machine word: n * n = 1 (mod 8) for odd n, and each
  // word step doubles the correct low bits (3, 6, 12, 24, 48).
  const uint32_t n0 = static_cast<uint32_t>(N.limbs[0]);
  uint32_t w = n0;
  for (int i = 0; i < 4; ++i) w *= 2u - n0 * w;
  vnum inverse(static_cast<int32_t>(w & LIMB_MASK));
  const vnum one(int32_t{1});
  for (int64_t j = LIMB_BITS; j < k;) {
    const int64_t next = std::min<int64_t>(2 * j, k);
    vnum d(N);
    truncateTo(d, next);
    d *= inverse;
    truncateTo(d, next);
    d -= one;
    d *= inverse;
    truncateTo(d, next);
    inverse -= d;
    if (!inverse.plus) {
      vnum wrap(int32_t{1});
      wrap.shift(next);
      inverse += wrap;
    }
    j = next;
  }
  truncateTo(inverse, k);
  // -w mod R; w is odd, so R - w lies in (0, R).
  vnum np(int32_t{1});
  np.shift(k);
  np -= inverse;
  return np;
}

}  // namespace

void setModulus(ModulusRecord& record, const vnum& N) {
  const int k = static_cast<int>(N.bitLength());
  vnum RR(int32_t{1});
  RR.shift(2 * static_cast<int64_t>(k));
  modulo(RR, N);
  vnum NP = k <= NP_BIT_SERIAL_MAX_BITS ? negatedInverseBitSerial(N, k) : negatedInverseLifted(N, k);
  // The record is engine state: a cancelled call must not leave half of it.
  if (isAborted()) return;
  record.N = N;
  record.RR = std::move(RR);
  record.NP = std::move(NP);
  record.k = k;
}

void resetModulus(ModulusRecord& record) { record = ModulusRecord(); }

}  // namespace quorvel
