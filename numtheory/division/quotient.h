// Division and remainder: divide and modulo (divide.cpp) own the signs and
// call quotientAndRemainder (divide_magnitudes.cpp), which picks one of the
// methods below by size: long division on words (div_words.cpp), the
// recursive division (recursive_quotient.cpp) whose leaves are long
// divisions, or quotient blocks (reciprocal_quotient.cpp) by a Newton
// reciprocal (newton_reciprocal.cpp). The thresholds are in limits.h.
//
// The quotient methods behind divide, modulo and divideMagnitudes, and the
// reciprocal they share.
//
// Every method takes non-negative normalised values A >= B > 0 and produces
// floor(A / B), A mod B or both; a null output is not computed (divide needs
// no remainder, modulo no quotient).
//
// Reciprocal quotient. For a partial dividend X < B * 2^W (a quotient of at
// most W bits) let m = min(lb, W + 4) be the divisor bits kept,
// s = lb - m the bits dropped, C = floor(B / 2^s) and K = W + 2. With a
// reciprocal V, 0 <= 2^(K+m)/C - V < 6, and t = max(0, m - 8) further
// dividend bits dropped, the estimate
//     h = floor(floor(X / 2^(s+t)) * V / 2^(K+m-t))
// lies in [floor(X/B) - 2, floor(X/B) + 1]:
//   - dropping t dividend bits costs less than 2^t / C <= 2^-7,
//   - the reciprocal's error costs at most 6 * X/2^s / 2^(K+m) < 6/4,
//   - replacing B/2^s by C raises X/B by at most X/(C(C+1)) < 2^(W-m+2),
//     at most 1/4 when s > 0, and nothing when s = 0.
// The correction then adds or subtracts B a bounded number of times.
#pragma once

#include <cstdint>

#include "vnum/vnum.h"

namespace quorvel {

// q <- floor(A / B) and r <- A mod B for A >= B > 0, either may be null;
// the method dispatcher. Meaningless after a cancel.
void quotientAndRemainder(vnum* q, vnum* r, const vnum& A, const vnum& B);

// The same for bitLength(A) > bitLength(B), by multiplication with a Newton
// reciprocal of the divisor's top bits, in quotient blocks from the top.
void reciprocalQuotient(vnum* q, vnum* r, const vnum& A, const vnum& B);

// The same by Burnikel and Ziegler's recursive division: 2n-by-n divisions
// split into two 3h-by-2h ones (h = n/2) down to long divisions of at most
// DIV_RECURSIVE_LEAF_LIMBS, for a middle-sized divisor and a quotient at
// least about as long.
void recursiveQuotient(vnum* q, vnum* r, const vnum& A, const vnum& B);

// The same by long division on 64-bit words (div_words.cpp), for B or the
// quotient short enough that its quadratic cost wins.
void schoolbookQuotient(vnum* q, vnum* r, const vnum& A, const vnum& B);

// Long division of word spans, Knuth's algorithm D in base 2^64 with a
// pre-inverted quotient digit: q[0..un-dn) <- floor(u / d) and
// u[0..dn) <- u mod d (u[dn..un) is left zero). Preconditions:
// 1 <= dn < un; d normalised (top bit of d[dn-1] set); the top dn words of u
// are below d, so every quotient digit fits a word. Polls the abort flag
// once per quotient word and returns early, leaving q and u meaningless.
void divWords(uint64_t* q, uint64_t* u, int32_t un, const uint64_t* d, int32_t dn);

// The same on 30-bit limb spans, through words: q[0..un-dn) <- floor(u / d)
// and u[0..dn) <- u mod d, u[dn..un) <- 0, for d[dn-1] != 0 and
// u < d 2^(30 (un-dn)). Returns early on abort, q and u meaningless.
void divLimbs(int32_t* q, int32_t* u, int32_t un, const int32_t* d, int32_t dn);

// V with 0 <= 2^(K+m)/C - V < 6 for C of m bits, by Newton stages of
// doubling precision over C's top bits. Meaningless after a cancel.
vnum newtonReciprocal(const vnum& C, int64_t m, int64_t K);

// h is an estimate of floor(X / B) (see the bound above). On return h is
// exact and r = X - h*B in [0, B). Stops early on abort.
void correctQuotient(vnum& h, vnum& r, const vnum& X, const vnum& B);

}  // namespace quorvel
