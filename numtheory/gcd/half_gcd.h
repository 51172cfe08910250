// The GCD room: gcd (gcd.cpp) owns the sign and zero rules and picks a
// reduction by size: halfGcd (half_gcd.cpp) on large values, otherwise one
// step at a time (half_gcd_step.cpp: a Lehmer step, or a full quotient).
// The Lehmer matrices come from leading bits (lehmer_matrix.cpp) and are
// applied by the linear passes of lehmer_kernels.cpp. The thresholds are in
// limits.h.
//
// The pieces of the GCD: Lehmer steps on leading parts, the half-GCD
// recursion above them, and the lemma that makes a reduction computed on
// leading bits valid for the whole values.
//
// Reduction matrices. A step replaces the larger of (a, b) by
// larger - q * smaller with q >= 1. Written as (a, b) = U (a', b'), the step
// "a' = a - q b" is U = E1(q) = [1 q; 0 1] and "b' = b - q a" is
// E2(q) = [1 0; q 1]. A run of steps is the product M of such matrices: its
// entries are non-negative, det M = 1, and the inverse is
// M^-1 = [m11 -m01; -m10 m00], so (a', b') = (m11 a - m01 b, m00 b - m10 a).
// Any such M leaves the GCD unchanged, whatever values it is applied to.
//
// Size of M. Right-multiplying by E1 adds column 0 to column 1 (q times),
// by E2 column 1 to column 0, so after the last step one column dominates
// the other entry by entry. If the last step was E1, a = m00 a' + m01 b'
// >= m01 b' and b >= m11 b', hence every entry is at most max(a, b) / b',
// and likewise with a' after an E2. So with a, b < 2^n and a', b' >= 2^s:
//     every entry of M is below 2^(n-s).                              (1)
//
// Lemma (extension). Let a, b < 2^n be the leading parts of A = a 2^k + Al,
// B = b 2^k + Bl (0 <= Al, Bl < 2^k), and let M reduce (a, b) to
// a', b' >= 2^s with 2s >= n + 1. Then M^-1 (A, B) = (A', B') with
//     A' = a' 2^k + m11 Al - m01 Bl > (a' - m01) 2^k > 2^(s-1+k),
// because m01 < 2^(n-s) <= 2^(s-1) by (1), and the same for B'. So the steps
// found on the leading parts are valid steps for the whole values: they keep
// them non-negative, and they keep them above 2^(s-1+k).
//
// Everything below is that lemma used at two scales:
//   - Lehmer: the leading 127 bits of a and b, reduced by Euclid's steps in
//     machine words while both stay >= 2^F (F >= 64, so 2F >= 127 + 1), give
//     a matrix with entries below 2^63; one linear pass applies it to the
//     whole values and removes about 62 bits. With a floor s for the whole
//     values, F = s - T + 1 (T the window's shift) keeps them above 2^s.
//   - Half-GCD: for a, b of n bits, halfGcd reduces them to values >= 2^s,
//     s = floor(n/2) + 1, by one recursive call on the top half, a few
//     steps, a second recursive call on the top 2(n' - s) bits of the
//     n'-bit values then left, and a few steps more. The lemma (with each
//     sub-call's own s) shows that each sub-call's matrix, applied to the
//     whole values, keeps them above 2^s; each costs a few products of
//     n/4 to n/2 bits through vnum's multiplication.
#pragma once

#include <cstdint>

#include "vnum/vnum.h"

namespace quorvel {

// (x, y) = U (x', y') for the reduced pair of leading parts; entries < 2^63.
struct LehmerMatrix {
  uint64_t u00, u01, u10, u11;
};

// Euclid's steps on x, y < 2^63 that keep both >= 2^f, each with the
// largest quotient that does; U is their product, entries < 2^31. Requires
// 32 <= f < 63. False (U the identity) when x or y is below 2^f or no step
// fits.
bool lehmerWordMatrix(uint64_t x, uint64_t y, int f, LehmerMatrix& U);

// The same for a window X, Y < 2^127 kept >= 2^F, 64 <= F < 127, by rounds
// of lehmerWordMatrix on the window's leading 63 bits; entries < 2^63.
bool lehmerMatrix(unsigned __int128 X, unsigned __int128 Y, int F, LehmerMatrix& U);

// (a, b) <- U^-1 (a, b) = (u11 a - u01 b, u00 b - u10 a) over n limbs (n
// even), in place. U must come from lehmerMatrix on the leading bits of
// these a and b, so that both results are non-negative (the lemma) and fit
// n limbs.
void applyLehmerInverse(int32_t* a, int32_t* b, int32_t n, const LehmerMatrix& U);

// The row (p, q) of a cofactor matrix times U: (p, q) <- (u00 p + u10 q,
// u01 p + u11 q) over n limbs (n even), writing the carry to limbs n to
// n + 3 (both arrays must have room for n + 4 limbs).
void mulRowByLehmer(int32_t* p, int32_t* q, int32_t n, const LehmerMatrix& U);

// A reduction matrix of any size, entries non-negative, det 1.
struct CofactorMatrix {
  vnum m00{int32_t{1}}, m01, m10, m11{int32_t{1}};
};

// M <- M N: seven products through vnum's multiplication.
void mulCofactorMatrices(CofactorMatrix& M, const CofactorMatrix& N);

// One Lehmer step on non-negative a, b: the matrix of their leading 127 bits
// (common shift T) with floor F = max(64, s - T + 1), applied to a and b
// and, when M is given, folded into it (M <- M U). s = 0 asks for no floor
// beyond the lemma's. False, changing nothing, when that matrix is the
// identity.
bool lehmerStep(vnum& a, vnum& b, int64_t s, CofactorMatrix* M);

// One step that keeps a, b >= 2^s: a Lehmer step if one applies, else
// larger <- larger - q * smaller with the largest q >= 1 that keeps it
// >= 2^s (one division). False, changing nothing, when no step is possible
// (|a - b| < 2^s). Requires a, b >= 2^s.
bool halfGcdStep(vnum& a, vnum& b, int64_t s, CofactorMatrix* M);

// Reduces non-negative a, b of n bits (the larger one's length) by steps
// that keep both >= 2^s, s = floor(n/2) + 1, until about s bits are left,
// and sets *M (when given) to the product of those steps, so that
// (a, b) on entry = M (a, b) on return. False when no step was possible;
// *M is then the identity. On abort returns early with meaningless values.
bool halfGcd(vnum& a, vnum& b, CofactorMatrix* M);

}  // namespace quorvel
