// Montgomery multiplication on 52-bit digits with AVX-512 IFMA (the
// "almost Montgomery" form: results below 2N, not reduced below N).
//
// With R = 2^(52 n) >= 4N and a, b < 2N, operand scanning (one digit a_i at
// a time) forms T = (a b + M N) / R with M < R chosen digit by digit so that
// each step clears the lowest digit:
//   T <- (T + a_i b + m_i N) / 2^52,  m_i = (T + a_i b)_0 (-N^-1) mod 2^52,
// and T < (4N^2 + R N) / R <= 2N, so the output can feed the next product
// without a subtraction. vpmadd52luq / vpmadd52huq add the low and high 52
// bits of eight... here four (256-bit forms) digit products to 64-bit lanes
// at once: per step, a_i b and m_i N in low and high halves, then the lanes
// move down one digit (the high half of digit j belongs to j + 1, so it
// lands on j after the move, and the low halves come from j + 1: one
// valignq per vector).
//
// Lanes stay redundant during the loop: each digit position takes at most
// four terms below 2^52 per step, over at most n steps as it moves down, so
// a lane stays below n 2^54 < 2^64 for n < 1024. m_i needs only the lowest
// lane, which is also kept in a scalar so that the next m does not wait for
// the vectors. One carry pass at the end brings the digits below 2^52, as
// the next product's multiplicands must be.
#include <immintrin.h>

#include <algorithm>
#include <cassert>
#include <vector>

#include "numtheory/words/word_span.h"
#include "platform/cpu_features.h"
#include "vnum/mul_ifma.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

constexpr int DIGIT_BITS = 52;
constexpr uint64_t DIGIT_MASK = (uint64_t{1} << DIGIT_BITS) - 1;
constexpr int32_t LANES = 4;
constexpr int32_t MAX_DIGITS = 1020;  // keeps the lanes below 2^64 (n 2^54)

uint64_t low52(u128 p) { return static_cast<uint64_t>(p) & DIGIT_MASK; }

__attribute__((target("avx512f,avx512ifma,avx512vl"))) void almostMontgomery(uint64_t* t, const uint64_t* a,
                                                                            const uint64_t* b, const uint64_t* N,
                                                                            int32_t n, uint64_t k0) {
  const int32_t vectors = n / LANES;
  uint64_t t0 = 0;  // t[0], kept in a scalar between steps
  for (int32_t q = 0; q < vectors; ++q) _mm256_storeu_si256(reinterpret_cast<__m256i*>(t) + q, _mm256_setzero_si256());
  for (int32_t i = 0; i < n; ++i) {
    const uint64_t ai = a[i];
    const uint64_t low = t0 + low52(static_cast<u128>(ai) * b[0]);
    const uint64_t m = (low * k0) & DIGIT_MASK;
    // The lowest digit of t + a_i b + m N is zero; what is above it moves to
    // digit 1, which becomes digit 0.
    const uint64_t carry = (low + low52(static_cast<u128>(m) * N[0])) >> DIGIT_BITS;
    const __m256i x = _mm256_set1_epi64x(static_cast<long long>(ai));
    const __m256i y = _mm256_set1_epi64x(static_cast<long long>(m));
    __m256i* tv = reinterpret_cast<__m256i*>(t);
    const __m256i* bv = reinterpret_cast<const __m256i*>(b);
    const __m256i* nv = reinterpret_cast<const __m256i*>(N);
    __m256i lowPrev = _mm256_madd52lo_epu64(_mm256_loadu_si256(tv), x, _mm256_loadu_si256(bv));
    lowPrev = _mm256_madd52lo_epu64(lowPrev, y, _mm256_loadu_si256(nv));
    __m256i highPrev = _mm256_madd52hi_epu64(_mm256_setzero_si256(), x, _mm256_loadu_si256(bv));
    highPrev = _mm256_madd52hi_epu64(highPrev, y, _mm256_loadu_si256(nv));
    for (int32_t q = 1; q < vectors; ++q) {
      const __m256i bq = _mm256_loadu_si256(bv + q), nq = _mm256_loadu_si256(nv + q);
      __m256i lowQ = _mm256_madd52lo_epu64(_mm256_loadu_si256(tv + q), x, bq);
      lowQ = _mm256_madd52lo_epu64(lowQ, y, nq);
      __m256i highQ = _mm256_madd52hi_epu64(_mm256_setzero_si256(), x, bq);
      highQ = _mm256_madd52hi_epu64(highQ, y, nq);
      // Digits 4(q-1) .. 4q-1 after the move: low halves of 4(q-1)+1 .. 4q,
      // high halves of 4(q-1) .. 4q-1.
      _mm256_storeu_si256(tv + q - 1, _mm256_add_epi64(_mm256_alignr_epi64(lowQ, lowPrev, 1), highPrev));
      lowPrev = lowQ;
      highPrev = highQ;
    }
    _mm256_storeu_si256(tv + vectors - 1,
                        _mm256_add_epi64(_mm256_alignr_epi64(_mm256_setzero_si256(), lowPrev, 1), highPrev));
    t[0] += carry;
    t0 = t[0];
  }
}

}  // namespace

bool hasIfmaMontgomery() {
  static const bool vl = __builtin_cpu_supports("avx512vl") != 0;
  return vl && hasAvx512Ifma();
}

int32_t montgomeryDigitCount(int64_t k) {
  const int64_t digits = (k + 2 + DIGIT_BITS - 1) / DIGIT_BITS;
  return static_cast<int32_t>((digits + LANES - 1) / LANES * LANES);
}

void ammDigits(uint64_t* r, const uint64_t* a, const uint64_t* b, const uint64_t* N, int32_t n, uint64_t k0) {
  assert(n % LANES == 0 && n > 0 && n <= MAX_DIGITS);
  std::vector<uint64_t> t(static_cast<size_t>(n));
  almostMontgomery(t.data(), a, b, N, n, k0);
  // The value is below 2N < 2^(52 n): no carry out of the top.
  [[maybe_unused]] const uint64_t carry = carryDigits(r, t.data(), n);
  assert(carry == 0);
}

void digitsFromVnum(uint64_t* d, int32_t n, const vnum& x) {
  assert(x.plus);
  int32_t limbs = x.len;
  while (limbs > 1 && x.limbs[limbs - 1] == 0) --limbs;
  // The limbs' digits may run one past n with a zero digit (x < 2^(52 n)).
  std::vector<uint64_t> digits(static_cast<size_t>(digitCount(limbs)));
  toDigits(digits.data(), x.limbs, limbs);
  const int32_t used = std::min(n, static_cast<int32_t>(digits.size()));
  assert(std::all_of(digits.begin() + used, digits.end(), [](uint64_t digit) { return digit == 0; }));
  std::copy(digits.begin(), digits.begin() + used, d);
  std::fill(d + used, d + n, 0);
}

vnum vnumFromDigits(const uint64_t* d, int32_t n) {
  // The digits as 64-bit words, then the word conversion.
  std::vector<uint64_t> words(static_cast<size_t>(n), 0);
  for (int32_t k = 0; k < n; ++k) {
    const int64_t bit = int64_t{DIGIT_BITS} * k;
    const int64_t w = bit / 64;
    const int offset = static_cast<int>(bit % 64);
    words[static_cast<size_t>(w)] |= d[k] << offset;
    if (offset + DIGIT_BITS > 64) words[static_cast<size_t>(w) + 1] |= d[k] >> (64 - offset);
  }
  return vnumFromWords(words.data(), n);
}

}  // namespace quorvel
