// Division and remainder against GMP's truncating division, with q*b + r = a
// and |r| < |b| checked by our own arithmetic as a second oracle; operands
// on both sides of every method and block boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "numtheory/limits.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

Mpz pow2(unsigned long k, long add = 0) {
  Mpz p;
  mpz_ui_pow_ui(p.z, 2, k);
  if (add >= 0) mpz_add_ui(p.z, p.z, static_cast<unsigned long>(add));
  else mpz_sub_ui(p.z, p.z, static_cast<unsigned long>(-add));
  return p;
}

// Quotient blocks: a divisor of lb bits and a quotient of up to q bits take
// ceil(q / w) blocks, w as chosen by the division (numtheory/limits.h).
long blockCount(long lb, long q) {
  if (lb <= SHORT_DIVISOR_BITS) return (q + SHORT_DIVISOR_BLOCK_BITS - 1) / SHORT_DIVISOR_BLOCK_BITS;
  const double balanced = std::floor(std::sqrt(double(lb) * double(q) / NEWTON_BLOCK_BALANCE));
  return static_cast<long>(std::ceil(q / std::max<double>(balanced, SHORT_DIVISOR_BLOCK_BITS)));
}

void checkDivision(const Mpz& a, const Mpz& b) {
  SCOPED_TRACE("a=" + a.hex() + "\n b=" + b.hex());
  Mpz q, r;
  mpz_tdiv_qr(q.z, r.z, a.z, b.z);
  const vnum divisor = fromMpz(b);
  vnum quotient = fromMpz(a), remainder = fromMpz(a);
  divide(quotient, divisor);
  modulo(remainder, divisor);
  EXPECT_VNUM_EQ(quotient, q);
  EXPECT_VNUM_EQ(remainder, r);
  vnum back = quotient * divisor;
  back += remainder;
  EXPECT_VNUM_EQ(back, a);
  vnum absR(remainder), absB(divisor);
  if (!absR.plus) absR.negate();
  if (!absB.plus) absB.negate();
  EXPECT_LT(absR.compare(absB), 0);
}

void checkAllSigns(const Mpz& a, const Mpz& b) {
  Mpz na, nb;
  mpz_neg(na.z, a.z);
  mpz_neg(nb.z, b.z);
  checkDivision(a, b);
  checkDivision(na, b);
  checkDivision(a, nb);
  checkDivision(na, nb);
}

}  // namespace

TEST(NumtheoryDivide, SignsZeroAndAliasing) {
  // {a, b, a / b, a MOD b}
  const long rows[][4] = {{7, 2, 3, 1},  {-7, 2, -3, -1}, {7, -2, -3, 1}, {-7, -2, 3, -1}, {7, 3, 2, 1},
                          {-7, 3, -2, -1}, {7, -3, -2, 1}, {-7, -3, 2, -1}, {3, 7, 0, 3},  {-3, -7, 0, -3},
                          {0, -5, 0, 0},  {-1, -1, 1, 0},  {-8, 4, -2, 0}};
  for (const auto& row : rows) {
    vnum q(int64_t{row[0]}), r(int64_t{row[0]});
    divide(q, vnum(int64_t{row[1]}));
    modulo(r, vnum(int64_t{row[1]}));
    SCOPED_TRACE(std::to_string(row[0]) + " / " + std::to_string(row[1]));
    EXPECT_VNUM_EQ(q, Mpz(row[2]));
    EXPECT_VNUM_EQ(r, Mpz(row[3]));
  }
  // A zero divisor (also an unnormalised one) throws and leaves x alone.
  vnum wideZero;
  wideZero.extendTo(4);
  const Mpz big("-123456789abcdef0123456789abcdef0123", 16);
  for (const vnum& zero : {vnum(), wideZero}) {
    vnum x = fromMpz(big);
    const char* caught = nullptr;
    try { divide(x, zero); } catch (const char* m) { caught = m; }
    EXPECT_STREQ(caught, MSG_DIVIDE_BY_ZERO);
    caught = nullptr;
    try { modulo(x, zero); } catch (const char* m) { caught = m; }
    EXPECT_STREQ(caught, MSG_DIVIDE_BY_ZERO);
    EXPECT_VNUM_EQ(x, big);
  }
  // x / x and x MOD x with the divisor aliased to x.
  auto g = rng(401);
  for (int it = 0; it < iterations(30); ++it) {
    vnum x = fromMpz(randomMpz(g, static_cast<long>(logUniform(g, 1, 100000)), g() & 1, g() & 1));
    vnum y(x);
    EXPECT_VNUM_EQ(divide(x, x), Mpz(1));
    EXPECT_VNUM_EQ(modulo(y, y), Mpz(0));
  }
}

// 2^60 - 1 takes the native path, 2^60 the limb path.
TEST(NumtheoryDivide, NativeBoundary) {
  for (const Mpz& b : {Mpz(1), Mpz(3), pow2(30, -1), pow2(30, 1), pow2(59, 1), pow2(60, -1)})
    for (long add : {-1L, 0L, 1L}) checkAllSigns(pow2(60, add), b);
}

// Bit-length differences around the bitwise/Newton boundary (1,000),
// divisors of 512 and 513 bits, and quotient lengths where the block count
// changes; divisors random, with long runs, all ones and 2^(lb-1) + 1,
// dividends q*b - 1, q*b and q*b + b - 1 so that the estimate's correction
// reaches both ends of its range.
TEST(NumtheoryDivide, MethodAndBlockBoundaries) {
  auto g = rng(402);
  for (long lb : {2L, 61L, 512L, 513L, 1030L, 1500L, 1501L, 2400L, 9000L}) {
    std::vector<long> diffs{1, 999, 1000, 1001};
    for (long q = 1003; q < (lb <= SHORT_DIVISOR_BITS ? 2500 : 40000); ++q)  // diff = q - 1
      if (blockCount(lb, q) != blockCount(lb, q - 1)) diffs.insert(diffs.end(), {q - 3, q - 2, q - 1});
    for (long diff : diffs) {
      SCOPED_TRACE("lb=" + std::to_string(lb) + " diff=" + std::to_string(diff));
      const Mpz b[] = {randomMpz(g, lb, g() & 1, false), pow2(lb, -1), pow2(lb - 1, 1)};
      const Mpz& divisor = b[g() % 3];
      checkAllSigns(randomMpz(g, lb + diff, g() & 1, false), divisor);
      Mpz q = g() & 1 ? randomMpz(g, diff, true, false) : pow2(diff, -1), a;
      mpz_mul(a.z, q.z, divisor.z);
      for (int edge : {-1, 0, 1}) {
        Mpz x(a);
        if (edge < 0) mpz_sub_ui(x.z, x.z, 1);
        if (edge > 0) {
          mpz_add(x.z, x.z, divisor.z);
          mpz_sub_ui(x.z, x.z, 1);
        }
        checkDivision(x, divisor);
      }
    }
  }
}

// The divisor's trailing zero bits are stripped; the remainder gets the
// dividend's low bits back, and a power of two divides by shifting (toward 0).
TEST(NumtheoryDivide, DivisorsWithTrailingZeroBits) {
  auto g = rng(405);
  for (unsigned long k : {1UL, 29UL, 30UL, 31UL, 60UL, 1000UL, 10007UL}) {
    for (int it = 0; it < 3; ++it) {
      const Mpz m = randomMpz(g, static_cast<long>(logUniform(g, 1, 20000)), g() & 1, false);
      Mpz n = randomMpz(g, static_cast<long>(logUniform(g, 1, 3000)), g() & 1, false), a, b;
      mpz_setbit(n.z, 0);
      mpz_mul_2exp(a.z, m.z, k);
      mpz_add(a.z, a.z, randomMpz(g, static_cast<long>(g() % k), false, false).z);
      mpz_mul_2exp(b.z, n.z, k);
      checkAllSigns(a, b);
      checkAllSigns(a, pow2(k));
    }
  }
}

TEST(NumtheoryDivide, AgreesWithGmpOnRandomOperands) {
  auto g = rng(406);
  for (int it = 0; it < iterations(400); ++it) {
    const long maxBits = it % 8 == 0 ? 200000 : 6000;
    Mpz a = randomOperand(g, maxBits), b = randomOperand(g, it % 3 == 0 ? 700 : maxBits);
    if (mpz_sgn(b.z) != 0) checkDivision(a, b);
    if (mpz_sgn(a.z) != 0) checkDivision(b, a);
  }
}

TEST(NumtheoryDivide, DivideMagnitudesAndRefineReciprocal) {
  auto g = rng(408);
  for (int it = 0; it < iterations(60); ++it) {
    Mpz b = randomMpz(g, static_cast<long>(logUniform(g, 1, 20000)), g() & 1, false);
    Mpz a = randomMpz(g, static_cast<long>(logUniform(g, 1, 40000)), g() & 1, false), q;
    if (mpz_cmp(a.z, b.z) < 0) mpz_swap(a.z, b.z);
    mpz_fdiv_q(q.z, a.z, b.z);
    vnum intoA = fromMpz(a), intoB = fromMpz(b);
    EXPECT_VNUM_EQ(divideMagnitudes(intoA, intoA, fromMpz(b)), q);
    EXPECT_VNUM_EQ(divideMagnitudes(intoB, fromMpz(a), intoB), q);

    // From any start 2 <= x <= 2^p / B: floor(2^p / B) or one below.
    const long lb = static_cast<long>(mpz_sizeinbase(b.z, 2)), p = lb + static_cast<long>(logUniform(g, 1, 6000));
    Mpz target, half;
    mpz_fdiv_q(target.z, pow2(p).z, b.z);
    mpz_tdiv_q_2exp(half.z, target.z, 1);
    for (const Mpz& start : {pow2(p - lb), half, target}) {
      if (mpz_cmp_ui(start.z, 2) < 0) continue;
      vnum x = fromMpz(start);
      refineReciprocal(x, fromMpz(b), p);
      Mpz gap;
      mpz_sub(gap.z, target.z, toMpz(x).z);
      EXPECT_TRUE(mpz_cmp_ui(gap.z, 1) <= 0 && mpz_sgn(gap.z) >= 0) << "p=" << p << " b=" << b.hex();
    }
  }
}

// A cancelled division returns with some value and throws nothing; with the
// flag clear again the next one is exact.
TEST(NumtheoryDivide, CancelledDivisionReturns) {
  auto g = rng(410);
  const Mpz a = randomMpz(g, 400000, false, false);
  for (long lb : {900L, 150000L, 399500L}) {
    const vnum b = fromMpz(randomMpz(g, lb, false, true));
    vnum x = fromMpz(a), y = fromMpz(a);
    abortSlot->store(1);
    EXPECT_NO_THROW(divide(x, b));
    EXPECT_NO_THROW(modulo(y, b));
    abortSlot->store(0);
    checkDivision(a, toMpz(b));
  }
}
