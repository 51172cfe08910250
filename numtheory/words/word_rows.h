// The row kernels behind the word spans' products, reductions and long
// division (word_arithmetic.cpp chooses between them): r[0..n) += a b,
// r[0..n) -= a b and r[0..n) = a b for one word b, with a carry (borrow)
// in and out. The adx:: forms (word_rows_adx.cpp) take any n >= 0 and run
// only where hasBmi2Adx() said yes; r and a are either disjoint or (mulRow
// only) the same span.
#pragma once

#include <cstdint>

namespace quorvel::adx {

uint64_t addMulRow(uint64_t* r, const uint64_t* a, int64_t n, uint64_t b, uint64_t carry);
uint64_t subMulRow(uint64_t* r, const uint64_t* a, int64_t n, uint64_t b, uint64_t borrow);
uint64_t mulRow(uint64_t* r, const uint64_t* a, int64_t n, uint64_t b, uint64_t carry);

}  // namespace quorvel::adx
