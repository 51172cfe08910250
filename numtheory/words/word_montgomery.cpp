// Montgomery reduction on 64-bit words (REDC, one word at a time).
//
// Step i adds m_i N 2^(64 i) with m_i = t_i * (-N^-1) mod 2^64, which clears
// word i; after n steps the low n words are zero and the high half is
// (t + M N) / R with M = sum m_i 2^(64 i) < R. For t < R N that quotient is
// below 2N, so one conditional subtraction of N finishes the reduction.
//
// Step i's carry belongs on word i + n, which steps after it still add into.
// It is parked in word i (zero by then, and never read again as a low word)
// and all n carries are added to the high half at the end in one pass.
#include <cassert>

#include "numtheory/words/word_rows.h"
#include "numtheory/words/word_span.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

}  // namespace

uint64_t negatedInverseWord(uint64_t n0) {
  assert(n0 & 1);
  // n0 * n0 = 1 (mod 8) for odd n0; each Newton step w <- w (2 - n0 w)
  // doubles the correct low bits: 3, 6, 12, 24, 48, 96.
  uint64_t w = n0;
  for (int i = 0; i < 5; ++i) w *= 2 - n0 * w;
  return 0 - w;
}

void redcWords(uint64_t* r, uint64_t* t, const uint64_t* N, int32_t n, uint64_t nInv) {
  assert(N[0] & 1);
  const WordRow addMul = wordRows().addMul;
  for (int32_t i = 0; i < n; ++i) t[i] = addMul(t + i, N, n, t[i] * nInv);
  uint64_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const u128 s = static_cast<u128>(t[n + i]) + t[i] + carry;
    r[i] = static_cast<uint64_t>(s);
    carry = static_cast<uint64_t>(s >> 64);
  }
  // The value (carry, r) is below 2N, so the difference fits n words and
  // its borrow cancels the carry.
  if (carry || compareWords(r, N, n) >= 0) {
    [[maybe_unused]] const uint64_t borrow = subWords(r, r, N, n);
    assert(borrow == carry);
  }
}

}  // namespace quorvel
