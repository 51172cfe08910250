// The quadratic product of 30-bit limb spans on AVX-512 IFMA, in 52-bit
// digits.
//
// vpmadd52luq / vpmadd52huq multiply eight pairs of 52-bit digits and add
// the low or the high 52 bits of each 104-bit product to a 64-bit lane: one
// instruction does the work of about (52/30)^2 = 3 limb products per lane.
// So the limbs are re-cut into 52-bit digits on the way in and back on the
// way out (linear), and the product runs column by column:
//
//   acc[c] = sum over i + j = c of lo52(x_i y_j)
//          + sum over i + j = c - 1 of hi52(x_i y_j),
//
// after which P = sum over c of acc[c] 2^(52 c), since x_i y_j =
// lo52 + 2^52 hi52. A block of 16 columns stays in eight registers (low and
// high halves of four vectors, independent chains) while every row i that
// reaches it adds x_i times the digits of y from c - i: unaligned loads from
// a copy of y framed by zero digits on either side, so that the lanes
// outside y add nothing.
//
// Bounds: a column takes at most 2 min(xd, yd) terms below 2^52; pieces of
// at most MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS limbs have at most 296 digits, so
// a column stays below 2^62 and the carry pass below (acc + carry < 2^63)
// cannot overflow.
#include <immintrin.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <utility>

#include "platform/cpu_features.h"
#include "vnum/limb_spans.h"
#include "vnum/limits.h"
#include "vnum/mul_ifma.h"

namespace quorvel {

namespace {

constexpr int DIGIT_BITS = 52;
constexpr uint64_t DIGIT_MASK = (uint64_t{1} << DIGIT_BITS) - 1;
constexpr int32_t BLOCK = 16;  // columns per block: four vectors of four
constexpr int32_t MAX_LIMBS = MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS;
constexpr int32_t MAX_DIGITS = digitCount(MAX_LIMBS);
static_assert(2 * MAX_DIGITS < (1 << 10), "columns must stay below 2^62");

// 26 limbs and 15 digits hold the same 780 bits, so the conversions go by
// blocks with every shift known at compile time. Digit k of a block is bits
// 52k .. 52k + 51, inside limbs j .. j + 2 for j = floor(52k / 30); limb j
// is bits 30j .. 30j + 29, inside digits k, k + 1 for k = floor(30j / 52).
constexpr int32_t BLOCK_LIMBS = 26;
constexpr int32_t BLOCK_DIGITS = 15;
static_assert(BLOCK_LIMBS * LIMB_BITS == BLOCK_DIGITS * DIGIT_BITS);

// In 64-bit words: limb j + 2 lands at bit 60 - offset >= 31 of the digit,
// and what a shift pushes past bit 63 lies above the digit anyway.
template <int K>
inline uint64_t digitOfBlock(const uint32_t* p) {
  constexpr int bit = DIGIT_BITS * K, j = bit / LIMB_BITS, offset = bit % LIMB_BITS;
  uint64_t window = (p[j] >> offset) | (uint64_t{p[j + 1]} << (LIMB_BITS - offset));
  if constexpr (offset + DIGIT_BITS > 2 * LIMB_BITS) window |= uint64_t{p[j + 2]} << (2 * LIMB_BITS - offset);
  return window & DIGIT_MASK;
}

template <int J>
inline int32_t limbOfBlock(const uint64_t* d) {
  constexpr int bit = LIMB_BITS * J, k = bit / DIGIT_BITS, offset = bit % DIGIT_BITS;
  uint64_t window = d[k] >> offset;
  if constexpr (offset + LIMB_BITS > DIGIT_BITS) window |= d[k + 1] << (DIGIT_BITS - offset);
  return static_cast<int32_t>(window & LIMB_MASK);
}

template <int... K>
inline void digitsOfBlock(uint64_t* d, const uint32_t* p, std::integer_sequence<int, K...>) {
  ((d[K] = digitOfBlock<K>(p)), ...);
}

template <int... J>
inline void limbsOfBlock(int32_t* out, const uint64_t* d, std::integer_sequence<int, J...>) {
  ((out[J] = limbOfBlock<J>(d)), ...);
}

}  // namespace

uint64_t carryDigits(uint64_t* d, const uint64_t* columns, int32_t n) {
  uint64_t carry = 0;
  for (int32_t c = 0; c < n; ++c) {
    const uint64_t column = columns[c] + carry;
    d[c] = column & DIGIT_MASK;
    carry = column >> DIGIT_BITS;
  }
  return carry;
}

void toDigits(uint64_t* d, const int32_t* x, int32_t n) {
  const uint32_t* p = reinterpret_cast<const uint32_t*>(x);
  int32_t j = 0, k = 0;
  for (; j + BLOCK_LIMBS <= n; j += BLOCK_LIMBS, k += BLOCK_DIGITS)
    digitsOfBlock(d + k, p + j, std::make_integer_sequence<int, BLOCK_DIGITS>{});
  if (j < n) {
    uint32_t tail[BLOCK_LIMBS] = {};
    std::copy(p + j, p + n, tail);
    uint64_t digits[BLOCK_DIGITS];
    digitsOfBlock(digits, tail, std::make_integer_sequence<int, BLOCK_DIGITS>{});
    std::copy(digits, digits + (digitCount(n) - k), d + k);
  }
}

namespace {

// out[0..n) <- limbs of the digits d (the value fits n limbs); d must hold
// whole blocks of digits up to the one that covers limb n - 1.
void toLimbs(int32_t* out, int32_t n, const uint64_t* d) {
  int32_t j = 0, k = 0;
  for (; j + BLOCK_LIMBS <= n; j += BLOCK_LIMBS, k += BLOCK_DIGITS)
    limbsOfBlock(out + j, d + k, std::make_integer_sequence<int, BLOCK_LIMBS>{});
  if (j < n) {
    int32_t limbs[BLOCK_LIMBS];
    limbsOfBlock(limbs, d + k, std::make_integer_sequence<int, BLOCK_LIMBS>{});
    std::copy(limbs, limbs + (n - j), out + j);
  }
}

// The column sums of one block: low halves of the block's 16 columns and
// high halves (each belonging one column up), four vectors each.
struct BlockSums {
  __m256i lo0, lo1, lo2, lo3, hi0, hi1, hi2, hi3;
};

// Adds row x_i, given broadcast in xi, with y[c - i ..] at p.
__attribute__((target("avx512f,avx512ifma,avx512vl"), always_inline)) inline void addRow(BlockSums& s, __m256i xi,
                                                                                       const uint64_t* p) {
  const __m256i* v = reinterpret_cast<const __m256i*>(p);  // lane k of v[q]: y[c + 4q + k - i]
  const __m256i y0 = _mm256_loadu_si256(v), y1 = _mm256_loadu_si256(v + 1);
  const __m256i y2 = _mm256_loadu_si256(v + 2), y3 = _mm256_loadu_si256(v + 3);
  s.lo0 = _mm256_madd52lo_epu64(s.lo0, xi, y0);
  s.hi0 = _mm256_madd52hi_epu64(s.hi0, xi, y0);
  s.lo1 = _mm256_madd52lo_epu64(s.lo1, xi, y1);
  s.hi1 = _mm256_madd52hi_epu64(s.hi1, xi, y1);
  s.lo2 = _mm256_madd52lo_epu64(s.lo2, xi, y2);
  s.hi2 = _mm256_madd52hi_epu64(s.hi2, xi, y2);
  s.lo3 = _mm256_madd52lo_epu64(s.lo3, xi, y3);
  s.hi3 = _mm256_madd52hi_epu64(s.hi3, xi, y3);
}

// acc[0 .. xd + yd) as above, for digits x[0..xd) and y[0..yd) with
// y[-BLOCK .. yd + BLOCK) readable and zero outside [0, yd); acc has room
// for whole blocks and one more column. The high halves are gathered one
// column up from the low ones, so that both come from the same load of y.
// The vectors are of four lanes (the 256-bit forms, AVX-512 VL): their
// unaligned loads split across cache lines less often than 512-bit ones,
// which measured 1.6 times faster here for the same products. Two rows go
// per round into two sets of sums (16 independent chains), which keeps more
// products in flight than one set.
__attribute__((target("avx512f,avx512ifma,avx512vl"))) void columns(uint64_t* acc, const uint64_t* x, int32_t xd,
                                                                   const uint64_t* y, int32_t yd) {
  const int32_t count = xd + yd;
  acc[0] = 0;
  for (int32_t c = 0; c < count; c += BLOCK) {
    const __m256i zero = _mm256_setzero_si256();
    BlockSums even{zero, zero, zero, zero, zero, zero, zero, zero}, odd = even;
    // Row i reaches the block when j = c' - i lies in [0, yd) for some c'
    // in [c, c + BLOCK).
    const int32_t first = std::max(0, c - yd + 1);
    const int32_t last = std::min(xd - 1, c + BLOCK - 1);
    int32_t i = first;
    for (; i < last; i += 2) {
      addRow(even, _mm256_set1_epi64x(static_cast<long long>(x[i])), y + c - i);
      addRow(odd, _mm256_set1_epi64x(static_cast<long long>(x[i + 1])), y + c - i - 1);
    }
    if (i == last) addRow(even, _mm256_set1_epi64x(static_cast<long long>(x[i])), y + c - i);
    // acc[c] already holds the high half carried up from the block below;
    // then the high halves, one column up.
    const __m256i below = _mm256_maskz_loadu_epi64(1, acc + c);
    const __m256i lows[4] = {_mm256_add_epi64(_mm256_add_epi64(even.lo0, odd.lo0), below),
                             _mm256_add_epi64(even.lo1, odd.lo1), _mm256_add_epi64(even.lo2, odd.lo2),
                             _mm256_add_epi64(even.lo3, odd.lo3)};
    const __m256i highs[4] = {_mm256_add_epi64(even.hi0, odd.hi0), _mm256_add_epi64(even.hi1, odd.hi1),
                              _mm256_add_epi64(even.hi2, odd.hi2), _mm256_add_epi64(even.hi3, odd.hi3)};
    __m256i* out = reinterpret_cast<__m256i*>(acc + c);
    for (int q = 0; q < 4; ++q) _mm256_storeu_si256(out + q, lows[q]);
    acc[c + BLOCK] = 0;
    __m256i* up = reinterpret_cast<__m256i*>(acc + c + 1);
    for (int q = 0; q < 4; ++q) _mm256_storeu_si256(up + q, _mm256_add_epi64(_mm256_loadu_si256(up + q), highs[q]));
  }
}

// A piece's product: out[0 .. xn + yn) <- x y for x of xn limbs given as xd
// digits, y as yd digits (framed as columns() needs).
void piece(int32_t* out, int32_t outLimbs, const uint64_t* x, int32_t xd, const uint64_t* y, int32_t yd) {
  // Whole blocks of columns, one more, and a block of zero digits above the
  // product for toLimbs.
  alignas(64) uint64_t acc[2 * MAX_DIGITS + 2 * BLOCK];
  static_assert(BLOCK_DIGITS <= BLOCK);
  columns(acc, x, xd, y, yd);
  const int32_t count = xd + yd;
  [[maybe_unused]] const uint64_t carry = carryDigits(acc, acc, count);
  assert(carry == 0);
  std::fill(acc + count, acc + count + BLOCK_DIGITS, 0);
  toLimbs(out, outLimbs, acc);
}

}  // namespace

bool hasIfmaKernel() {
  static const bool vl = __builtin_cpu_supports("avx512vl") != 0;
  return vl && hasAvx512Ifma();
}

void mulIfma(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn) {
  assert(an >= bn && bn >= 1 && bn <= MAX_LIMBS);
  alignas(64) uint64_t framed[MAX_DIGITS + 2 * BLOCK];
  uint64_t* y = framed + BLOCK;
  const int32_t yd = digitCount(bn);
  std::fill(framed, y, 0);
  toDigits(y, b, bn);
  std::fill(y + yd, y + yd + BLOCK, 0);
  alignas(64) uint64_t x[MAX_DIGITS];
  // a in pieces of at most MAX_LIMBS limbs, as the AVX2 kernel takes it.
  const int32_t first = std::min(an, MAX_LIMBS);
  toDigits(x, a, first);
  piece(out, first + bn, x, digitCount(first), y, yd);
  for (int32_t k = MAX_LIMBS; k < an; k += MAX_LIMBS) {
    const int32_t p = std::min(MAX_LIMBS, an - k);
    int32_t product[2 * MAX_LIMBS];
    toDigits(x, a + k, p);
    piece(product, p + bn, x, digitCount(p), y, yd);
    // out[k .. k+bn) holds the top of the previous piece's product; the
    // limbs above are not written yet.
    copySpan(out + k + bn, product + bn, p);
    [[maybe_unused]] const uint32_t carry = addInto<uint32_t{1} << LIMB_BITS>(out + k, bn + p, product, bn);
    assert(carry == 0);
  }
}

}  // namespace quorvel
