// The row kernels behind the word spans' products, reductions and long
// division: r[0..n) += a b, r[0..n) -= a b and r[0..n) = a b for one word
// b, n >= 0, returning the carry (borrow) out of r[n-1]. r and a are either
// disjoint or (mul only) the same span.
//
// wordRows() picks the set once for a whole product or reduction: the
// mulx/adcx/adox forms (adx::, word_rows_adx.cpp) where hasBmi2Adx() says
// yes, the portable 128-bit loops (word_arithmetic.cpp) elsewhere and under
// QUORVEL_SIMD=off. Asking per row would cost a good part of a short row.
#pragma once

#include <cstdint>

namespace quorvel {

using WordRow = uint64_t (*)(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b);

struct WordRows {
  WordRow addMul;
  WordRow subMul;
  WordRow mul;
};

WordRows wordRows();

namespace adx {

uint64_t addMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b);
uint64_t subMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b);
uint64_t mulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b);

}  // namespace adx

}  // namespace quorvel
