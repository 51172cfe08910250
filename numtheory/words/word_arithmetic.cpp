// Schoolbook products, subtraction and comparison on 64-bit word spans.
//
// The rows come from wordRows() (word_rows.h): the mulx/adcx/adox kernels
// where the processor has them, else the portable loops below.
//
// Every step is t = a_i * b + r_j + carry in 128 bits: with all three below
// 2^64, t <= (2^64 - 1)^2 + 2 (2^64 - 1) = 2^128 - 1, so the sum never
// overflows and its high word is the next carry.
//
// Squaring forms each cross product a_i a_j (i < j) once, doubles the sum
// by a one-bit shift and adds the squares a_i^2 on the diagonal: about half
// the word products of mulWords on the same operand.
#include <cassert>

#include "numtheory/words/word_rows.h"
#include "numtheory/words/word_span.h"
#include "platform/cpu_features.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;



uint64_t portableMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const u128 t = static_cast<u128>(a[i]) * b + carry;
    r[i] = static_cast<uint64_t>(t);
    carry = static_cast<uint64_t>(t >> 64);
  }
  return carry;
}

uint64_t portableAddMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const u128 t = static_cast<u128>(a[i]) * b + r[i] + carry;
    r[i] = static_cast<uint64_t>(t);
    carry = static_cast<uint64_t>(t >> 64);
  }
  return carry;
}

uint64_t portableSubMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t borrow = 0;
  for (int32_t i = 0; i < n; ++i) {
    // r_i - (a_i b + borrow) as a 128-bit difference: the high word, negated,
    // is the next borrow (at most 2^64 - 1).
    const u128 t = static_cast<u128>(a[i]) * b + borrow;
    const uint64_t low = static_cast<uint64_t>(t);
    borrow = static_cast<uint64_t>(t >> 64) + (r[i] < low);
    r[i] -= low;
  }
  return borrow;
}

}  // namespace

WordRows wordRows() {
  if (hasBmi2Adx()) return {adx::addMulRow, adx::subMulRow, adx::mulRow};
  return {portableAddMulRow, portableSubMulRow, portableMulRow};
}

uint64_t mulWordsBy(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) { return wordRows().mul(r, a, n, b); }

uint64_t addMulWordsBy(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  return wordRows().addMul(r, a, n, b);
}

uint64_t subMulWordsBy(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  return wordRows().subMul(r, a, n, b);
}

uint64_t addWords(uint64_t* r, const uint64_t* a, const uint64_t* b, int32_t n) {
  uint64_t carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const u128 s = static_cast<u128>(a[i]) + b[i] + carry;
    r[i] = static_cast<uint64_t>(s);
    carry = static_cast<uint64_t>(s >> 64);
  }
  return carry;
}

uint64_t subWords(uint64_t* r, const uint64_t* a, const uint64_t* b, int32_t n) {
  uint64_t borrow = 0;
  for (int32_t i = 0; i < n; ++i) {
    const u128 d = static_cast<u128>(a[i]) - b[i] - borrow;
    r[i] = static_cast<uint64_t>(d);
    borrow = static_cast<uint64_t>(d >> 64) & 1;
  }
  return borrow;
}

int compareWords(const uint64_t* a, const uint64_t* b, int32_t n) {
  for (int32_t i = n - 1; i >= 0; --i)
    if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
  return 0;
}

void mulWords(uint64_t* r, const uint64_t* a, int32_t an, const uint64_t* b, int32_t bn) {
  assert(an >= bn && bn >= 1);
  const WordRows rows = wordRows();
  r[an] = rows.mul(r, a, an, b[0]);
  for (int32_t j = 1; j < bn; ++j) r[an + j] = rows.addMul(r + j, a, an, b[j]);
}

void sqrWords(uint64_t* r, const uint64_t* a, int32_t n) {
  assert(n >= 1);
  if (n == 1) {
    const u128 s = static_cast<u128>(a[0]) * a[0];
    r[0] = static_cast<uint64_t>(s);
    r[1] = static_cast<uint64_t>(s >> 64);
    return;
  }
  // Row i holds a_i a_j for j > i at positions i + j, from 2i + 1 up to
  // i + n - 1, and its carry lands on i + n, which no earlier row reached.
  r[0] = 0;
  r[2 * n - 1] = 0;
  const WordRows rows = wordRows();
  r[n] = rows.mul(r + 1, a + 1, n - 1, a[0]);
  for (int32_t i = 1; i + 1 < n; ++i) r[n + i] = rows.addMul(r + 2 * i + 1, a + i + 1, n - 1 - i, a[i]);
  // 2 * (cross sum) + diagonal, one pass. The cross sum is below a^2 / 2,
  // so the doubling shifts no bit out of the top word.
  uint64_t shiftIn = 0, carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const u128 square = static_cast<u128>(a[i]) * a[i];
    const uint64_t lo = r[2 * i], hi = r[2 * i + 1];
    const uint64_t doubledLo = (lo << 1) | shiftIn;
    const uint64_t doubledHi = (hi << 1) | (lo >> 63);
    shiftIn = hi >> 63;
    u128 s = static_cast<u128>(doubledLo) + static_cast<uint64_t>(square) + carry;
    r[2 * i] = static_cast<uint64_t>(s);
    s = static_cast<u128>(doubledHi) + static_cast<uint64_t>(square >> 64) + static_cast<uint64_t>(s >> 64);
    r[2 * i + 1] = static_cast<uint64_t>(s);
    carry = static_cast<uint64_t>(s >> 64);
  }
  assert(shiftIn == 0 && carry == 0);
}

}  // namespace quorvel
