// Kernels on spans of 64-bit machine words, for the work that runs many
// small products in a row: the modular power of a modulus up to a few
// thousand bits, long division by a short divisor and the lower levels of
// the factorial's product trees. Their rows run on mulx/adcx/adox where the
// processor has BMI2 and ADX (word_rows.h).
//
// vnum keeps 30 bits per 32-bit limb so that its additions and schoolbook
// columns have headroom; a 64 x 64 -> 128-bit multiply does (64/30)^2, about
// 4.5, times the work of a limb product in one instruction. Callers convert a
// value into words once, run the whole loop on words, and convert back.
//
// Spans are non-negative, least significant word first, with explicit
// lengths: no sign, no normalisation, no allocation. Each kernel states its
// result size and which of its arguments may overlap.
#pragma once

#include <cstdint>

#include "vnum/vnum.h"

namespace quorvel {

// --- conversion (word_convert.cpp) ---

// Words needed for the magnitude of a non-negative x (at least 1).
int32_t wordCount(const vnum& x);
// out[0..n) <- x for 0 <= x < 2^(64 n).
void wordsFromVnum(uint64_t* out, int32_t n, const vnum& x);
// The non-negative value of w[0..n).
vnum vnumFromWords(const uint64_t* w, int32_t n);
// The same on spans: out[0..n) <- the limbs x[0..limbs) (zero above) cut
// into words, and out[0..limbs) <- the words w[0..n) (zero above) cut into
// 30-bit limbs; each drops what lies above its output.
void wordsFromLimbs(uint64_t* out, int32_t n, const int32_t* x, int32_t limbs);
void limbsFromWords(int32_t* out, int32_t limbs, const uint64_t* w, int32_t n);

// --- arithmetic (word_arithmetic.cpp) ---

// r[0..n) <- a - b mod 2^(64 n), returns the borrow (1 when a < b). r may be
// a or b.
uint64_t subWords(uint64_t* r, const uint64_t* a, const uint64_t* b, int32_t n);
// Sign of a[0..n) - b[0..n).
int compareWords(const uint64_t* a, const uint64_t* b, int32_t n);

// r[0..n) <- a[0..n) * b, returns the high word. r may be a.
uint64_t mulWordsBy(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b);
// r[0..n) += a[0..n) * b, returns the carry out of r[n-1]. r and a disjoint.
uint64_t addMulWordsBy(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b);
// r[0..n) -= a[0..n) * b mod 2^(64 n), returns the borrow out of r[n-1]
// (the word to subtract from r[n]). r and a disjoint.
uint64_t subMulWordsBy(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b);
// r[0..n) <- a + b mod 2^(64 n), returns the carry (0 or 1). r may be a or b.
uint64_t addWords(uint64_t* r, const uint64_t* a, const uint64_t* b, int32_t n);
// r[0..an+bn) <- a[0..an) * b[0..bn), an >= bn >= 1. r disjoint from a, b.
void mulWords(uint64_t* r, const uint64_t* a, int32_t an, const uint64_t* b, int32_t bn);
// r[0..2n) <- a[0..n)^2, n >= 1. r disjoint from a.
void sqrWords(uint64_t* r, const uint64_t* a, int32_t n);

// --- Montgomery reduction (word_montgomery.cpp) ---

// -N^-1 mod 2^64 for odd n0, the low word of N.
uint64_t negatedInverseWord(uint64_t n0);
// REDC with R = 2^(64 n): r[0..n) <- t * R^-1 mod N for t[0..2n) < R * N,
// with N[0..n) odd and nInv = negatedInverseWord(N[0]). t is destroyed; r
// may be t + n but not the low half.
void redcWords(uint64_t* r, uint64_t* t, const uint64_t* N, int32_t n, uint64_t nInv);

// --- Montgomery products on 52-bit digits (word_montgomery_ifma.cpp) ---

// AVX-512 IFMA with the 256-bit forms (VL), unless SIMD is switched off.
bool hasIfmaMontgomery();
// Digits per form for a modulus of k bits: the least multiple of 4 with
// R = 2^(52 n) >= 4 N, so that products of values below 2N stay below 2N.
int32_t montgomeryDigitCount(int64_t k);
// r[0..n) <- a b R^-1 mod N, not reduced: below 2N, for a, b < 2N given as
// n digits below 2^52 each (so is r); N odd, k0 = -N^-1 mod 2^52. r may be
// a or b. Only after hasIfmaMontgomery() said yes.
void ammDigits(uint64_t* r, const uint64_t* a, const uint64_t* b, const uint64_t* N, int32_t n, uint64_t k0);
// d[0..n) <- the 52-bit digits of a non-negative x < 2^(52 n).
void digitsFromVnum(uint64_t* d, int32_t n, const vnum& x);
// The value of the digits d[0..n), each below 2^52.
vnum vnumFromDigits(const uint64_t* d, int32_t n);

}  // namespace quorvel
