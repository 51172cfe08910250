// Powers, modular powers, integer square root, GCD and the factorial family.
//
// The pieces: `power` (x^y by left-to-right binary exponentiation),
// `setModulus` / `montgomeryReduce` / `modularPower` (x^y mod N in Montgomery
// form by sliding windows: on 64-bit word spans with word-by-word REDC for
// moduli up to MODPOW_WORD_MAX_BITS (word_span.h), on vnum products with
// montgomeryReduce and the record's R = 2^k above), `squareRoot` with
// its inverse square root `inverseSqrt`, `gcd` (Lehmer steps, and a half-GCD
// recursion on products for large values, half_gcd.h), and
// `fallingFactorial` P(n, r) under `factorial`, `permutations`, `combinations`
// (from prime factorisations, packed machine words and product trees;
// prime_products.h). None of them divides inside a loop (the GCD only at
// its rare long quotients): only shifts, additions and products.
//
// How one operation travels, sqrt of a 5,000,000-bit x: the top 64 bits give
// an x87 estimate of 1/sqrt(x); Newton stages of doubling precision on the
// top bits of x take it to 1.25M bits (inverseSqrt); the top half of the
// root is x's top bits times that, the bottom half one fused Newton step
// (the exact residue x - s0^2 times the inverse root), and the exact
// remainder x - s^2 corrects the last unit. Every product goes through vnum
// `*=`, which picks schoolbook or FFT by size and polls the abort flag; the
// Newton stages, the correction, the GCD steps and the levels of the
// factorial product tree poll it too. A call that sees the flag returns
// early and leaves its output arguments untouched (value-returning calls
// return any value).
//
// And 100,000!: the primes up to n from a segmented sieve, Legendre's
// exponent of each, and 16 rounds of acc <- acc^2 * Q_j, Q_j the product of
// the primes whose exponent has bit j set, packed three or more to a 64-bit
// word and multiplied word by word up to 128 words, by vnum above; a
// shift by 99,994 puts the powers of two back.
//
// Primes (primes/primes.h has the plan): a verdict on a value, deterministic
// below 2^64 and Baillie-PSW above, and the next prime after a value.
//
// Errors are the messages of vnum/messages.h, thrown before any work.
#pragma once

#include <cstdint>
#include <string>

#include "vnum/vnum.h"

namespace quorvel {

// --- powers ---

// x^y over the integers; x^0 = 1 for every x, 0 included. y < 0: "Bad argument." for x = 0, else 1/x^|y|
// truncated (0 for |x| >= 2). |x| <= 1 is exact for any y (the sign of
// (-1)^y is y's parity). For |x| >= 2 a result certain to pass scaleLimitBits
// (every y >= 2^30 among them) raises "Scale over" before any product.
vnum power(const vnum& x, const vnum& y);

// The stored modulus of "Modulo", used by "Power": N odd and positive, or the
// reset state (all zero) in which every modular power is 0.
struct ModulusRecord {
  vnum N;     // the modulus
  vnum RR;    // R^2 mod N, R = 2^k
  vnum NP;    // -N^-1 mod R, so that N * NP = -1 (mod R)
  int k = 0;  // bit length of N
};

// Fills the record from an odd positive N (the caller has refused even and
// negative values). When the abort flag is seen the record is left as it was.
void setModulus(ModulusRecord& record, const vnum& N);
// Back to the state with no modulus stored.
void resetModulus(ModulusRecord& record);
// REDC: T * R^-1 mod N for 0 <= T < R * N, the result in [0, N).
vnum montgomeryReduce(const vnum& T, const ModulusRecord& record);
// x^y mod N. "Negative Value." for x < 0 or y < 0; 0 with no modulus stored.
vnum modularPower(const vnum& x, const vnum& y, const ModulusRecord& record);
// Window width (bits) of the sliding-window power for an exponent of
// exponentBits bits whose forms take formBytes each.
int slidingWindowBits(int64_t exponentBits, int64_t formBytes);

// --- integer square root ---

// result <- floor(sqrt(x)), remainder <- x - result^2. "Negative value." for
// x < 0. result and remainder may be x.
void squareRoot(vnum& result, const vnum& x, vnum& remainder);
// y ~ Y = 2^(k+H) / sqrt(x) for x > 0, H = ceil(bitLength(x) / 2), so that
// Y is in (2^k, 2^(k+1)]: Y - 3 < y < Y + 1. Newton stages of doubling
// precision on the top bits of x. Meaningless after a cancel.
vnum inverseSqrt(const vnum& x, int64_t k);

// --- greatest common divisor ---

// a <- gcd(a, b), positive, unless an operand is zero: b = 0 leaves a as it
// is (gcd(-7, 0) = -7) and a = 0 takes b as it is (gcd(0, -9) = -9).
// b may be a.
void gcd(vnum& a, const vnum& b);

// --- factorial family ---

// result <- P(n, r) = n (n - 1) ... (n - r + 1). Throws, in this order,
// "Negative value." (n < 0 or r < 0), "Bad argument." (r > n), "Too big
// value." (r > 2^20). No size guard of its own: its callers bound the result.
void fallingFactorial(vnum& result, const vnum& n, const vnum& r);
// n! = P(n, n), with the refusals of P(n, n) and then "Scale over", before
// any work, when n! certainly has more than scaleLimitBits bits (from
// 298,594 on). The engine has refused n > 1,000,000 ("Limit Over") first.
vnum factorial(const vnum& n);
// nPr = P(n, r), "Scale over" before the product when the result must pass
// scaleLimitBits.
vnum permutations(const vnum& n, const vnum& r);
// nCr = P(n, r) / P(r, r) = C(n, min(r, n - r)), "Scale over" before the
// products when the binomial itself must pass scaleLimitBits.
vnum combinations(const vnum& n, const vnum& r);

// --- primes ---

// Whether a value is prime, and why not when a reason is cheap.
struct PrimeVerdict {
  enum Kind {
    NOT_PRIME,       // below 2
    PRIME,           // proven: below 2^64, by a deterministic test
    PROBABLE_PRIME,  // passes Baillie-PSW
    COMPOSITE,
  } kind = NOT_PRIME;
  // COMPOSITE: the smallest prime factor when trial division found one,
  // else 0.
  uint32_t divisor = 0;
  // COMPOSITE: the value fails the strong test to base 2.
  bool failsBase2 = false;
};

// The verdict on n. Meaningless after a cancel; callers poll before they
// use it.
PrimeVerdict primalityVerdict(const vnum& n);
// The verdict as the calculator shows it: "prime", "probable prime",
// "composite", "composite: divisible by 7", "composite: fails the strong
// test to base 2" or "not prime".
std::string primeVerdictText(const PrimeVerdict& verdict);
// The smallest prime (probable prime above 2^64) greater than x; 2 for
// x < 2. "Scale over" before any work when x + 1 already passes
// scaleLimitBits, and as soon as a candidate does. Meaningless after a
// cancel.
vnum nextPrime(const vnum& x);

}  // namespace quorvel
