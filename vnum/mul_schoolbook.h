// The quadratic product of limb spans, and the square that does half of its
// limb products; for any base B <= 2^30, on SSE2 (part of every x86-64).
//
//   x y = sum over i, j of x_i y_j B^(i+j)
//   x^2 = 2 sum over i < j of x_i x_j B^(i+j) + sum over i of x_i^2 B^(2i)
//
// Each product column c keeps one 64-bit sum acc[c] of whole limb products;
// pmuludq forms two 32 x 32 -> 64-bit products per instruction (SSE2, every
// x86-64), vpmuludq four (AVX2, chosen at run time where the processor has
// it: the loops of step 2 come in both forms, Sse2 and Avx2 below, and the
// rest is shared).
//
// Plan (the steps are labelled in the code):
// 1. Spread the column operand y into 64-bit lanes, with eight zero lanes on
//    either side so that every load below stays inside the array.
// 2. Take the rows x_i four at a time. For each pair of columns c = i + j,
//    c + 1 (j even) the four rows add x_(i+r) (y_(j-r), y_(j-r+1)), r = 0..3,
//    into acc[c], acc[c+1]: one aligned read-add-write of acc per eight
//    products (with AVX2 quadruples of columns, sixteen products). With SSE2
//    the y pairs of rows 2 and 3 are those of rows 0 and 1 one step
//    earlier, so each step loads only two new pairs. The square takes only
//    the pairs x_h x_k with k > h: a block of rows starts at column 2i, the
//    lanes k <= h masked out of its first eight columns.
// 3. Fold (base 2^30 only, in the block that ends every FOLD_ROWS rows, as
//    it stores): acc[c] becomes (acc[c] mod B) + floor(acc[c-1] / B), which
//    keeps the value and makes room for more rows.
// 4. Carry the columns into limbs: out_c = (acc[c] + carry) mod B; the
//    square doubles its columns and adds x_h^2 to column 2h on the way.
//
// Carry bounds (ColumnBudget below, checked by static_assert). A limb
// product is at most (B-1)^2: below 2^60 for B = 2^30, below 10^16 for
// B = 10^8. A folded column is below B + 2^64/B, and the carry entering a
// column in step 4 is at most (2^64 - 1)/B. So a column may take
// (2^64 - 1 - 2 * 2^64/B - B) / (B-1)^2 products after a fold: 15 for 2^30
// (FOLD_ROWS = 12, the multiple of four below), 1,844 for 10^8 (more than
// any kernel call has rows, so the decimal kernel never folds). Before the
// square doubles its columns it folds them unless that cannot overflow.
//
// The operands are at most MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS long per call of
// the core, whose arrays live on the stack; mulSchoolbook cuts a longer x
// into pieces of that length.
#pragma once

#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "platform/cpu_features.h"
#include "vnum/limb_spans.h"
#include "vnum/limits.h"
#include "vnum/mul_ifma.h"

// Marks the functions compiled for AVX2 whatever the flags of the build;
// they run only after hasAvx2() said yes.
#define QUORVEL_TARGET_AVX2 __attribute__((target("avx2")))

namespace quorvel {

namespace schoolbook {

inline constexpr int32_t MAX = MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS;
static_assert(MAX % 4 == 0);
// y lanes: PAD zero lanes, MAX values, PAD zero lanes; the loads of a row
// block reach 3 lanes below its first column and 7 past the last row.
inline constexpr int32_t PAD = 8;

template <uint32_t B>
struct ColumnBudget {
  static constexpr uint64_t MAX_PRODUCT = uint64_t{B - 1} * (B - 1);
  static constexpr uint64_t MAX_CARRY = UINT64_MAX / B;
  static constexpr uint64_t FOLDED = (B - 1) + MAX_CARRY;
  static constexpr uint64_t ROWS = (UINT64_MAX - FOLDED - MAX_CARRY) / MAX_PRODUCT;
  static constexpr int32_t FOLD_ROWS = static_cast<int32_t>(std::min<uint64_t>(ROWS / 4 * 4, 1 << 24));
  // Whether a column that took `rows` products since its last fold (or
  // since zero) can still be doubled and take a diagonal square and a carry.
  static constexpr bool canDouble(int32_t rows) {
    const uint64_t column = FOLDED + static_cast<uint64_t>(rows) * MAX_PRODUCT;
    return column <= (UINT64_MAX - MAX_PRODUCT - MAX_CARRY) / 2;
  }
};
static_assert(ColumnBudget<1u << 30>::FOLD_ROWS == 12);
static_assert(ColumnBudget<100000000>::FOLD_ROWS >= MAX);

// Column sums of one core call: acc[-4] .. acc[-1] are zero columns so that
// the fold may read acc[c-1] for c = 0; acc itself stays 32-byte aligned.
struct Columns {
  alignas(32) uint64_t buffer[4 + 2 * MAX + 2 * PAD];
  uint64_t* acc() { return buffer + 4; }
};

// Step 1: ys[PAD + k] = y_k, zero lanes around; ys is 32-byte aligned.
inline const uint64_t* spread(uint64_t* ys, const int32_t* y, int32_t yn) {
  std::fill(ys, ys + PAD, 0);
  for (int32_t k = 0; k < yn; ++k) ys[PAD + k] = static_cast<uint32_t>(y[k]);
  std::fill(ys + PAD + yn, ys + PAD + yn + PAD, 0);
  return ys + PAD;
}

// Step 2 with SSE2: pairs of columns.
struct Sse2 {
  static __m128i pair(const uint64_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
  static __m128i pairUnaligned(const uint64_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static __m128i row(const int32_t* x, int32_t xn, int32_t k) {
    return _mm_set1_epi64x(k < xn ? static_cast<uint32_t>(x[k]) : 0);
  }
  static void add(uint64_t* acc, __m128i sum) {
    __m128i* column = reinterpret_cast<__m128i*>(acc);
    _mm_store_si128(column, _mm_add_epi64(_mm_load_si128(column), sum));
  }

  // The rows i..i+3 and the column pairs c = i + j, j = jFrom, jFrom + 2,
  // ... below jTo (jFrom even). With FOLD (step 3), every column the block
  // writes is also folded on the way: its high part moves up into the column
  // above, the top one's into acc[i + j] for the j that ends the loop, and
  // the lowest column written keeps whatever lies below it.
  template <bool FOLD>
  static void addRowBlock(uint64_t* acc, const int32_t* x, int32_t xn, int32_t i, const uint64_t* yp, int32_t jFrom,
                          int32_t jTo) {
    const __m128i x0 = row(x, xn, i), x1 = row(x, xn, i + 1), x2 = row(x, xn, i + 2), x3 = row(x, xn, i + 3);
    const __m128i mask = _mm_set1_epi64x((1 << 30) - 1);
    __m128i before0 = pair(yp + jFrom - 2);           // (y_(j-2), y_(j-1))
    __m128i before1 = pairUnaligned(yp + jFrom - 3);  // (y_(j-3), y_(j-2))
    __m128i highBelow = _mm_setzero_si128();          // lane 1: the high part of column c - 1
    int32_t j = jFrom;
    for (; j < jTo; j += 2) {
      const __m128i pair0 = pair(yp + j);
      const __m128i pair1 = pairUnaligned(yp + j - 1);
      __m128i sum = _mm_add_epi64(_mm_mul_epu32(x0, pair0), _mm_mul_epu32(x1, pair1));
      sum = _mm_add_epi64(sum, _mm_add_epi64(_mm_mul_epu32(x2, before0), _mm_mul_epu32(x3, before1)));
      __m128i* column = reinterpret_cast<__m128i*>(acc + i + j);
      __m128i value = _mm_add_epi64(_mm_load_si128(column), sum);
      if constexpr (FOLD) {
        // (low_c + high_(c-1), low_(c+1) + high_c)
        const __m128i high = _mm_srli_epi64(value, 30);
        const __m128i up = _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(highBelow), _mm_castsi128_pd(high), 1));
        value = _mm_add_epi64(_mm_and_si128(value, mask), up);
        highBelow = high;
      }
      _mm_store_si128(column, value);
      before0 = pair0;
      before1 = pair1;
    }
    if constexpr (FOLD)
      acc[i + j] += static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(highBelow, highBelow)));
  }

  // The square's first columns 2i .. 2i+7 of the row block i..i+3, where a
  // row h takes only the partners k > h: a lane with k <= h is masked out
  // (x_i x_(i+1) is lane 1 of the pair (x_i, x_(i+1)), and so on). From
  // column 2i + 8 on, addRowBlock takes over.
  static void addSquareHead(uint64_t* acc, const int32_t* x, int32_t n, int32_t i, const uint64_t* yp) {
    const __m128i x0 = row(x, n, i), x1 = row(x, n, i + 1), x2 = row(x, n, i + 2), x3 = row(x, n, i + 3);
    const __m128i laneOne = _mm_set_epi64x(-1, 0);
    const uint64_t* y = yp + i;
    uint64_t* c = acc + 2 * i;
    add(c, _mm_mul_epu32(x0, _mm_and_si128(pair(y), laneOne)));
    add(c + 2, _mm_add_epi64(_mm_mul_epu32(x0, pair(y + 2)), _mm_mul_epu32(x1, _mm_and_si128(pairUnaligned(y + 1), laneOne))));
    add(c + 4, _mm_add_epi64(_mm_add_epi64(_mm_mul_epu32(x0, pair(y + 4)), _mm_mul_epu32(x1, pairUnaligned(y + 3))),
                             _mm_mul_epu32(x2, _mm_and_si128(pair(y + 2), laneOne))));
    add(c + 6, _mm_add_epi64(_mm_add_epi64(_mm_mul_epu32(x0, pair(y + 6)), _mm_mul_epu32(x1, pairUnaligned(y + 5))),
                             _mm_add_epi64(_mm_mul_epu32(x2, pair(y + 4)),
                                           _mm_mul_epu32(x3, _mm_and_si128(pairUnaligned(y + 3), laneOne)))));
  }
};

// Step 2 with AVX2: quadruples of columns, the same sums as Sse2's.
struct Avx2 {
  QUORVEL_TARGET_AVX2 static __m256i quad(const uint64_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  QUORVEL_TARGET_AVX2 static __m256i row(const int32_t* x, int32_t xn, int32_t k) {
    return _mm256_set1_epi64x(k < xn ? static_cast<uint32_t>(x[k]) : 0);
  }
  QUORVEL_TARGET_AVX2 static void add(uint64_t* acc, __m256i sum) {
    __m256i* column = reinterpret_cast<__m256i*>(acc);
    _mm256_store_si256(column, _mm256_add_epi64(_mm256_load_si256(column), sum));
  }

  // As Sse2::addRowBlock with j = jFrom, jFrom + 4, ... (jFrom a multiple
  // of 4): row r adds x_(i+r) (y_(j-r) .. y_(j-r+3)) to acc[c .. c+3]. The
  // fold moves the four high parts one lane up, the top one into the next
  // quadruple's lane 0.
  template <bool FOLD>
  QUORVEL_TARGET_AVX2 static void addRowBlock(uint64_t* acc, const int32_t* x, int32_t xn, int32_t i,
                                              const uint64_t* yp, int32_t jFrom, int32_t jTo) {
    const __m256i x0 = row(x, xn, i), x1 = row(x, xn, i + 1), x2 = row(x, xn, i + 2), x3 = row(x, xn, i + 3);
    const __m256i mask = _mm256_set1_epi64x((1 << 30) - 1);
    __m256i highBelow = _mm256_setzero_si256();  // lane 0: the high part of column c - 1
    int32_t j = jFrom;
    for (; j < jTo; j += 4) {
      __m256i sum = _mm256_add_epi64(_mm256_mul_epu32(x0, quad(yp + j)), _mm256_mul_epu32(x1, quad(yp + j - 1)));
      sum = _mm256_add_epi64(sum, _mm256_add_epi64(_mm256_mul_epu32(x2, quad(yp + j - 2)),
                                                   _mm256_mul_epu32(x3, quad(yp + j - 3))));
      __m256i* column = reinterpret_cast<__m256i*>(acc + i + j);
      __m256i value = _mm256_add_epi64(_mm256_load_si256(column), sum);
      if constexpr (FOLD) {
        // (high_(c+3), high_c, high_(c+1), high_(c+2)), then lane 0 from below.
        const __m256i rotated = _mm256_permute4x64_epi64(_mm256_srli_epi64(value, 30), 0x93);
        value = _mm256_add_epi64(_mm256_and_si256(value, mask), _mm256_blend_epi32(rotated, highBelow, 0x03));
        highBelow = rotated;
      }
      _mm256_store_si256(column, value);
    }
    if constexpr (FOLD) acc[i + j] += static_cast<uint64_t>(_mm_cvtsi128_si64(_mm256_castsi256_si128(highBelow)));
  }

  // As Sse2::addSquareHead, in two quadruples: in the first, row i takes
  // lanes 1..3 and row i + 1 lane 3; in the second, rows i and i + 1 take
  // every lane, row i + 2 lanes 1..3 and row i + 3 lane 3.
  QUORVEL_TARGET_AVX2 static void addSquareHead(uint64_t* acc, const int32_t* x, int32_t n, int32_t i,
                                                const uint64_t* yp) {
    const __m256i x0 = row(x, n, i), x1 = row(x, n, i + 1), x2 = row(x, n, i + 2), x3 = row(x, n, i + 3);
    const __m256i fromOne = _mm256_set_epi64x(-1, -1, -1, 0);
    const __m256i onlyThree = _mm256_set_epi64x(-1, 0, 0, 0);
    const uint64_t* y = yp + i;
    uint64_t* c = acc + 2 * i;
    add(c, _mm256_add_epi64(_mm256_mul_epu32(x0, _mm256_and_si256(quad(y), fromOne)),
                            _mm256_mul_epu32(x1, _mm256_and_si256(quad(y - 1), onlyThree))));
    add(c + 4, _mm256_add_epi64(
                   _mm256_add_epi64(_mm256_mul_epu32(x0, quad(y + 4)), _mm256_mul_epu32(x1, quad(y + 3))),
                   _mm256_add_epi64(_mm256_mul_epu32(x2, _mm256_and_si256(quad(y + 2), fromOne)),
                                    _mm256_mul_epu32(x3, _mm256_and_si256(quad(y + 1), onlyThree)))));
  }
};

// Step 3 as a pass over the columns [lo, count): from the top down, so that
// acc[c-1] is still the old value when column c reads it; column lo keeps
// only its low part, its high part moving up. The top column is below B
// (the partial product is below B^count), so nothing is pushed past it.
template <uint32_t B>
void fold(uint64_t* acc, int32_t lo, int32_t count) {
  if constexpr (B == (1u << 30)) {
    const __m128i mask = _mm_set1_epi64x(B - 1);
    int32_t c = (count - 1) & ~1;
    for (; c > lo; c -= 2) {
      __m128i* column = reinterpret_cast<__m128i*>(acc + c);
      const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + c - 1));
      const __m128i low = _mm_and_si128(_mm_load_si128(column), mask);
      _mm_store_si128(column, _mm_add_epi64(low, _mm_srli_epi64(below, 30)));
    }
    if (c == lo) acc[lo + 1] = (acc[lo + 1] & (B - 1)) + (acc[lo] >> 30);
    acc[lo] &= B - 1;
  } else {
    for (int32_t c = count - 1; c > lo; --c) acc[c] = acc[c] % B + acc[c - 1] / B;
    acc[lo] %= B;
  }
}

// Step 4: out[0..count) from the columns; the product fits, so no carry is
// left over.
template <uint32_t B>
void carryOut(int32_t* out, const uint64_t* acc, int32_t count) {
  uint64_t carry = 0;
  for (int32_t c = 0; c < count; ++c) {
    const uint64_t column = acc[c] + carry;
    out[c] = static_cast<int32_t>(column % B);
    carry = column / B;
  }
  assert(carry == 0);
}

// Whether the row block from row i folds the columns it writes (step 3):
// the last block of every FOLD_ROWS rows, in base 2^30 only (in base 10^8
// no call of the core has that many rows). A column gets its rows from
// consecutive blocks, so since its last fold it has taken at most the rows
// of the two blocks before a folding one, and while that one runs, 12 rows:
// within the budget.
template <uint32_t B>
constexpr bool foldsAfter(int32_t i) {
  if constexpr (B == (1u << 30)) {
    static_assert(ColumnBudget<B>::FOLD_ROWS == 12);
    return i % 12 == 8;
  } else {
    static_assert(ColumnBudget<B>::FOLD_ROWS >= MAX);
    return false;
  }
}

// out[0 .. xn+yn) <- x y for 1 <= xn, yn <= MAX; rows from x, columns from y.
template <uint32_t B, class Isa>
void mulCore(int32_t* out, const int32_t* x, int32_t xn, const int32_t* y, int32_t yn) {
  assert(xn >= 1 && yn >= 1 && xn <= MAX && yn <= MAX);
  alignas(32) uint64_t ys[MAX + 2 * PAD];
  const uint64_t* yp = spread(ys, y, yn);  // (1)
  Columns columns;
  uint64_t* acc = columns.acc();
  const int32_t count = xn + yn;
  std::fill(columns.buffer, acc + ((xn + 3) & ~3) + yn + PAD, 0);
  for (int32_t i = 0; i < xn; i += 4) {
    // (2) Row i+3 reaches column i + yn + 2. (3) in every block that ends a
    // stretch of FOLD_ROWS rows.
    if (foldsAfter<B>(i))
      Isa::template addRowBlock<true>(acc, x, xn, i, yp, 0, yn + 3);
    else
      Isa::template addRowBlock<false>(acc, x, xn, i, yp, 0, yn + 3);
  }
  carryOut<B>(out, acc, count);  // (4)
}

// out[0 .. 2n) <- x^2 for 1 <= n <= MAX: the products x_h x_k with h < k
// once each (rows h, columns h + k), doubled, plus the squares x_h^2.
template <uint32_t B, class Isa>
void sqrCore(int32_t* out, const int32_t* x, int32_t n) {
  assert(n >= 1 && n <= MAX);
  using Budget = ColumnBudget<B>;
  alignas(32) uint64_t ys[MAX + 2 * PAD];
  const uint64_t* yp = spread(ys, x, n);  // (1)
  Columns columns;
  uint64_t* acc = columns.acc();
  const int32_t count = 2 * n;
  std::fill(columns.buffer, acc + 2 * ((n + 3) & ~3) + PAD, 0);
  for (int32_t i = 0; i < n; i += 4) {
    // (2) Row h of the block pairs with x_k, k > h: in the columns from
    // 2i + 8 up every k is at least i + 5, beyond every row of the block.
    Isa::addSquareHead(acc, x, n, i, yp);
    if (i + 8 < n + 3) {
      if (foldsAfter<B>(i))  // (3)
        Isa::template addRowBlock<true>(acc, x, n, i, yp, i + 8, n + 3);
      else
        Isa::template addRowBlock<false>(acc, x, n, i, yp, i + 8, n + 3);
    }
  }
  if (!Budget::canDouble(Budget::FOLD_ROWS)) fold<B>(acc, 0, count);
  // (4) with the doubling and the squares on the diagonal.
  uint64_t carry = 0;
  for (int32_t c = 0; c < count; ++c) {
    uint64_t column = 2 * acc[c] + carry;
    if ((c & 1) == 0) {
      const uint64_t xc = static_cast<uint32_t>(x[c / 2]);
      column += xc * xc;
    }
    out[c] = static_cast<int32_t>(column % B);
    carry = column / B;
  }
  assert(carry == 0);
}

// The product of a long a by a short b: b gives the rows, a is taken in
// pieces of at most MAX limbs, each piece's product added in at its offset.
template <uint32_t B, class Isa>
void mulPieces(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn) {
  mulCore<B, Isa>(out, b, bn, a, std::min(an, MAX));
  for (int32_t k = MAX; k < an; k += MAX) {
    const int32_t p = std::min(MAX, an - k);
    int32_t piece[2 * MAX];
    mulCore<B, Isa>(piece, b, bn, a + k, p);
    // out[k .. k+bn) holds the top of the previous piece's product; the
    // limbs above are not written yet.
    copySpan(out + k + bn, piece + bn, p);
    [[maybe_unused]] const uint32_t carry = addInto<B>(out + k, bn + p, piece, bn);
    assert(carry == 0);
  }
}

}  // namespace schoolbook

// out[0 .. an+bn) <- a b for an >= bn >= 1 with bn at most
// MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS; out overlaps neither operand. In base
// 2^30 on AVX-512 IFMA, the 52-bit digit kernel of mul_ifma.cpp instead
// from MUL_IFMA_MIN_LIMBS up.
template <class Spans>
void mulSchoolbook(const Spans&, int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn) {
  assert(an >= bn && bn >= 1 && bn <= schoolbook::MAX);
  if constexpr (Spans::BASE == (1u << 30)) {
    if (bn >= MUL_IFMA_MIN_LIMBS && hasIfmaKernel()) return mulIfma(out, a, an, b, bn);
  }
  if (hasAvx2())
    schoolbook::mulPieces<Spans::BASE, schoolbook::Avx2>(out, a, an, b, bn);
  else
    schoolbook::mulPieces<Spans::BASE, schoolbook::Sse2>(out, a, an, b, bn);
}

// out[0 .. 2n) <- a^2 for 1 <= n <= MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS; the
// full product on IFMA, which is still ahead of the halved one on AVX2.
template <class Spans>
void sqrSchoolbook(const Spans&, int32_t* out, const int32_t* a, int32_t n) {
  if constexpr (Spans::BASE == (1u << 30)) {
    if (n >= MUL_IFMA_MIN_LIMBS && hasIfmaKernel()) return mulIfma(out, a, n, a, n);
  }
  if (hasAvx2())
    schoolbook::sqrCore<Spans::BASE, schoolbook::Avx2>(out, a, n);
  else
    schoolbook::sqrCore<Spans::BASE, schoolbook::Sse2>(out, a, n);
}

}  // namespace quorvel
