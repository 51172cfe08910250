// Long division on 64-bit words (Knuth, TAOCP vol. 2, 4.3.1, algorithm D)
// with the quotient digit from a pre-inverted divisor (Möller and Granlund,
// "Improved division by invariant integers", IEEE Trans. Computers, 2011).
//
// With the divisor D normalised (top bit of its top word d1 set) and the
// window u[j..j+dn] below D 2^64, the digit of the window's top three words
// by D's top two, q = floor(<u2 u1 u0> / <d1 d0>), is never below the true
// digit and at most one above it (the two-word divisor estimate of Knuth's
// theorem B). Möller and Granlund's 3-by-2 division finds q and the
// remainder <r1 r0> with two multiplications by the reciprocal
//     v = floor((2^192 - 1) / <d1 d0>) - 2^64
// instead of a hardware division; the lower dn - 2 divisor words are then
// subtracted q times in one row (subMulWordsBy), and a negative window adds D
// back once. A divisor of one word takes the 2-by-1 form with
// v = floor((2^128 - 1) / d1) - 2^64.
//
// Cost per quotient word: one row of dn - 2 word products and a few more.
// On 30-bit limbs the same division took (64/30)^2, about 4.5, times as many
// products; the conversion to words and back is linear.
#include <algorithm>
#include <bit>
#include <cassert>
#include <vector>

#include "numtheory/division/quotient.h"
#include "numtheory/words/word_rows.h"
#include "numtheory/words/word_span.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

uint64_t high(u128 x) { return static_cast<uint64_t>(x >> 64); }
uint64_t low(u128 x) { return static_cast<uint64_t>(x); }

// floor((2^128 - 1) / d) - 2^64 for d >= 2^63: the quotient of
// 2^128 - 1 - d 2^64 (which is below d 2^64, so it fits a word).
uint64_t reciprocal2by1(uint64_t d) { return static_cast<uint64_t>(((static_cast<u128>(~d) << 64) | ~uint64_t{0}) / d); }

// floor((2^192 - 1) / <d1 d0>) - 2^64 for d1 >= 2^63. The 2-by-1 reciprocal
// of d1 is at least this value and at most 2 above it; step down while
// (2^64 + v) <d1 d0> still exceeds 2^192 - 1, i.e. has a fourth word.
uint64_t reciprocal3by2(uint64_t d1, uint64_t d0) {
  uint64_t v = reciprocal2by1(d1);
  for (;;) {
    // (2^64 + v)(d1 2^64 + d0) = d1 2^128 + (d0 + v d1) 2^64 + v d0.
    const u128 vd0 = static_cast<u128>(v) * d0;
    const u128 vd1 = static_cast<u128>(v) * d1;
    const u128 w1 = static_cast<u128>(high(vd0)) + low(vd1) + d0;
    const u128 w2 = static_cast<u128>(high(w1)) + high(vd1) + d1;
    if (high(w2) == 0) return v;
    --v;
  }
}

// q = floor(<u1 u0> / d) and r, for u1 < d, d >= 2^63 (Möller-Granlund,
// algorithm 4).
uint64_t div2by1(uint64_t& r, uint64_t u1, uint64_t u0, uint64_t d, uint64_t v) {
  const u128 p = static_cast<u128>(v) * u1 + ((static_cast<u128>(u1) << 64) | u0);
  uint64_t q1 = high(p) + 1;
  const uint64_t q0 = low(p);
  uint64_t rem = u0 - q1 * d;
  if (rem > q0) {
    --q1;
    rem += d;
  }
  if (rem >= d) {
    ++q1;
    rem -= d;
  }
  r = rem;
  return q1;
}

// q = floor(<u2 u1 u0> / <d1 d0>) and <r1 r0>, for <u2 u1> < <d1 d0>,
// d1 >= 2^63 (Möller-Granlund, algorithm 5).
uint64_t div3by2(uint64_t& r1, uint64_t& r0, uint64_t u2, uint64_t u1, uint64_t u0, uint64_t d1, uint64_t d0,
                 uint64_t v) {
  const u128 D = (static_cast<u128>(d1) << 64) | d0;
  const u128 p = static_cast<u128>(v) * u2 + ((static_cast<u128>(u2) << 64) | u1);
  uint64_t q1 = high(p);
  const uint64_t q0 = low(p);
  const uint64_t top = u1 - q1 * d1;
  u128 r = ((static_cast<u128>(top) << 64) | u0) - static_cast<u128>(d0) * q1 - D;
  ++q1;
  if (high(r) >= q0) {
    --q1;
    r += D;
  }
  if (r >= D) {
    ++q1;
    r -= D;
  }
  r1 = high(r);
  r0 = low(r);
  return q1;
}

// p[0..n] <- p[0..n) 2^s in place, 0 <= s < 64; p[n] takes the bits out
// of the top.
void shiftWordsLeft(uint64_t* p, int32_t n, int s) {
  if (s == 0) {
    p[n] = 0;
    return;
  }
  p[n] = p[n - 1] >> (64 - s);
  for (int32_t i = n - 1; i > 0; --i) p[i] = (p[i] << s) | (p[i - 1] >> (64 - s));
  p[0] <<= s;
}

// p[0..n) <- p / 2^s for 0 <= s < 64 (the low bits are zero here).
void shiftWordsRight(uint64_t* p, int32_t n, int s) {
  if (s == 0) return;
  for (int32_t i = 0; i < n; ++i) p[i] = (p[i] >> s) | (i + 1 < n ? p[i + 1] << (64 - s) : 0);
}

}  // namespace

void divWords(uint64_t* q, uint64_t* u, int32_t un, const uint64_t* d, int32_t dn) {
  assert(dn >= 1 && un > dn && d[dn - 1] >> 63);
  const uint64_t d1 = d[dn - 1];
  if (dn == 1) {
    const uint64_t v = reciprocal2by1(d1);
    uint64_t r = u[un - 1];
    assert(r < d1);
    for (int32_t j = un - 2; j >= 0; --j) {
      if (isAborted()) return;
      q[j] = div2by1(r, r, u[j], d1, v);
      u[j + 1] = 0;
    }
    u[0] = r;
    return;
  }
  const uint64_t d0 = d[dn - 2];
  const uint64_t v = reciprocal3by2(d1, d0);
  const WordRow subMul = wordRows().subMul;
  for (int32_t j = un - dn - 1; j >= 0; --j) {
    if (isAborted()) return;
    uint64_t* w = u + j;  // the window w[0..dn], below D 2^64
    const uint64_t u2 = w[dn], u1 = w[dn - 1], u0 = w[dn - 2];
    uint64_t digit;
    if (u2 == d1 && u1 == d0) {
      // <u2 u1> = <d1 d0>: the 3-by-2 division does not apply; the digit is
      // 2^64 - 1 or one less.
      digit = ~uint64_t{0};
      const uint64_t borrow = subMulWordsBy(w, d, dn, digit);
      uint64_t topWord = u2 - borrow;
      if (u2 < borrow) {
        --digit;
        topWord += addWords(w, w, d, dn);
      }
      assert(topWord == 0);
      w[dn] = 0;
    } else {
      uint64_t r1, r0;
      digit = div3by2(r1, r0, u2, u1, u0, d1, d0, v);
      // <r1 r0> is the window's top after the top two divisor words; take
      // the lower ones, whose borrow lands on r0.
      const uint64_t borrow = dn > 2 ? subMul(w, d, dn - 2, digit) : 0;
      const bool below = r0 < borrow;
      r0 -= borrow;
      const bool negative = r1 < static_cast<uint64_t>(below);
      r1 -= below;
      if (negative) {
        // The digit was one too large: add D back; the carry out of the top
        // cancels the borrow.
        --digit;
        const uint64_t carry = dn > 2 ? addWords(w, w, d, dn - 2) : 0;
        const u128 s0 = static_cast<u128>(r0) + d0 + carry;
        r0 = low(s0);
        r1 += d1 + high(s0);
      }
      w[dn - 2] = r0;
      w[dn - 1] = r1;
      w[dn] = 0;
    }
    q[j] = digit;
  }
}

void schoolbookQuotient(vnum* q, vnum* r, const vnum& A, const vnum& B) {
  const int32_t an = wordCount(A);
  const int32_t dn = wordCount(B);
  assert(an >= dn);
  // One buffer for the dividend (an + 1 words), the quotient (an + 1 - dn)
  // and the divisor (dn + 1): a large division allocates once.
  std::vector<uint64_t> buffer(2 * static_cast<size_t>(an) + 3);
  uint64_t* u = buffer.data();
  uint64_t* digits = u + an + 1;
  uint64_t* d = digits + (an + 1 - dn);
  wordsFromVnum(u, an, A);
  wordsFromVnum(d, dn, B);
  // Normalise: shift both until the divisor's top bit is set. The dividend
  // gains a word, which keeps its top dn words below the divisor.
  const int s = std::countl_zero(d[dn - 1]);
  shiftWordsLeft(d, dn, s);
  shiftWordsLeft(u, an, s);
  const int32_t un = an + 1;
  divWords(digits, u, un, d, dn);
  if (isAborted()) return;
  if (q) *q = vnumFromWords(digits, un - dn);
  if (r) {
    shiftWordsRight(u, dn, s);
    *r = vnumFromWords(u, dn);
  }
}

void divLimbs(int32_t* q, int32_t* u, int32_t un, const int32_t* d, int32_t dn) {
  assert(dn >= 1 && un > dn && d[dn - 1] != 0);
  const int32_t qn = un - dn;
  // With u' = u 2^s and d' = d 2^s normalised in dw words, u' < d' 2^(30 qn)
  // <= d' 2^(64 (uw - dw)) for uw - dw = ceil(30 qn / 64): the top dw words
  // of u' are below d', as divWords requires, and u' fits uw words.
  const int64_t dBits = int64_t{LIMB_BITS} * (dn - 1) + std::bit_width(static_cast<uint32_t>(d[dn - 1]));
  const int32_t dw = static_cast<int32_t>((dBits + 63) / 64);
  const int s = static_cast<int>(64 * int64_t{dw} - dBits);
  const int32_t uw = dw + static_cast<int32_t>((int64_t{LIMB_BITS} * qn + 63) / 64);
  std::vector<uint64_t> buffer(static_cast<size_t>(uw) + 1 + static_cast<size_t>(uw - dw) + dw + 1);
  uint64_t* uWords = buffer.data();
  uint64_t* digits = uWords + uw + 1;
  uint64_t* dWords = digits + (uw - dw);
  wordsFromLimbs(dWords, dw, d, dn);
  shiftWordsLeft(dWords, dw, s);
  // The shift's carry word stays zero: u 2^s fits uw words.
  wordsFromLimbs(uWords, uw, u, un);
  shiftWordsLeft(uWords, uw, s);
  assert(uWords[uw] == 0);
  divWords(digits, uWords, uw, dWords, dw);
  if (isAborted()) return;
  limbsFromWords(q, qn, digits, uw - dw);
  shiftWordsRight(uWords, dw, s);
  limbsFromWords(u, dn, uWords, dw);
  std::fill(u + dn, u + un, 0);
}

}  // namespace quorvel
