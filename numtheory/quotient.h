// The quotient methods behind divideMagnitudes and the reciprocal they share.
//
// Every method here takes non-negative normalised values and returns both
// floor(X / B) and X mod B; divide uses the first, modulo the second.
//
// Reciprocal quotient. For a partial dividend X < B * 2^w (a quotient of at
// most w bits) let m = min(lb, w + 4) be the divisor bits kept,
// s = lb - m the bits dropped, C = floor(B / 2^s) and K = w + 2. With a
// reciprocal V, 0 <= 2^(K+m)/C - V < 6, and t = max(0, m - 8) further
// dividend bits dropped, the estimate
//     h = floor(floor(X / 2^(s+t)) * V / 2^(K+m-t))
// lies in [floor(X/B) - 2, floor(X/B) + 1]:
//   - dropping t dividend bits costs less than 2^t / C <= 2^-7,
//   - the reciprocal's error costs at most 6 * X/2^s / 2^(K+m) < 6/4,
//   - replacing B/2^s by C raises X/B by at most X/(C(C+1)) < 2^(w-m+2),
//     at most 1/4 when s > 0, and nothing when s = 0.
// The correction then adds or subtracts B a bounded number of times.
#pragma once

#include <cstdint>

#include "vnum/vnum.h"

namespace quorvel {

// q <- floor(A / B), r <- A mod B for A >= B > 0; the method dispatcher.
void quotientAndRemainder(vnum& q, vnum& r, const vnum& A, const vnum& B);

// q, r for A > B > 0 with bitLength(A) > bitLength(B), by the reciprocal of
// the divisor's top bits: bitwise when `bitwise`, else Newton's stages, and
// block by block when the quotient is much longer than the divisor.
void reciprocalQuotient(vnum& q, vnum& r, const vnum& A, const vnum& B, bool bitwise);

// floor(2^(m-1+steps-1) / C) for C of m bits, by restoring division: one
// compare and one subtract-and-shift pass over C per quotient bit.
vnum bitwiseReciprocal(const vnum& C, int64_t steps);

// V with 0 <= 2^(K+m)/C - V < 6 for C of m bits, by Newton stages of
// doubling precision over C's top bits.
vnum newtonReciprocal(const vnum& C, int64_t m, int64_t K);

// h is an estimate of floor(X / B) (see the bound above). On return h is
// exact and r = X - h*B in [0, B). Stops early on abort.
void correctQuotient(vnum& h, vnum& r, const vnum& X, const vnum& B);

}  // namespace quorvel
