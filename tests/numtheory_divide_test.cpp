// Division and remainder against GMP's truncating division, with q*b + r = a
// and |r| < |b| checked by our own arithmetic as a second oracle; operands
// on both sides of the method rule and of the block counts, the long
// division kernel and the reciprocal on their own, and cancels.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "numtheory/division/limits.h"
#include "numtheory/division/quotient.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "platform/cpu_features.h"
#include "tests/support/cancel_after.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

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
  EXPECT_LT(mpz_cmpabs(toMpz(remainder).z, b.z), 0);
}

Mpz negated(const Mpz& a) {
  Mpz n;
  mpz_neg(n.z, a.z);
  return n;
}

void checkAllSigns(const Mpz& a, const Mpz& b) {
  for (const Mpz& x : {a, negated(a)})
    for (const Mpz& y : {b, negated(b)}) checkDivision(x, y);
}

// Divisors of lb bits: random, with long runs, all ones (just below 2^lb)
// and 2^(lb-1) + 1.
Mpz divisorOfKind(std::mt19937_64& g, long lb, int kind) {
  switch (kind % 4) {
    case 0: return randomMpz(g, lb, false, false);
    case 1: return randomMpz(g, lb, true, false);
    case 2: return powerOfTwoPlus(lb, -1);
    default: return powerOfTwoPlus(lb - 1, 1);
  }
}

// Dividends with a quotient of about qb bits: random, and q*b - 1, q*b,
// q*b + b - 1 so that the correction reaches both ends of its range and the
// quotient-only path meets exact and nearly exact divisions.
std::vector<Mpz> dividendsFor(std::mt19937_64& g, const Mpz& b, long qb) {
  const long lb = static_cast<long>(mpz_sizeinbase(b.z, 2));
  std::vector<Mpz> out{randomMpz(g, lb + qb - 1, g() & 1, false)};
  Mpz q = g() & 1 ? randomMpz(g, qb, true, false) : powerOfTwoPlus(qb, -1), a;
  mpz_mul(a.z, q.z, b.z);
  for (long edge : {-1L, 0L, 1L}) {
    Mpz x(a);
    if (edge < 0) mpz_sub_ui(x.z, x.z, 1);
    if (edge > 0) {
      mpz_add(x.z, x.z, b.z);
      mpz_sub_ui(x.z, x.z, 1);
    }
    out.push_back(x);
  }
  return out;
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
    EXPECT_STREQ(thrownMessage([&] { divide(x, zero); }), MSG_DIVIDE_BY_ZERO);
    EXPECT_STREQ(thrownMessage([&] { modulo(x, zero); }), MSG_DIVIDE_BY_ZERO);
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
  for (const Mpz& b : {Mpz(1), Mpz(3), powerOfTwoPlus(30, -1), powerOfTwoPlus(30, 1), powerOfTwoPlus(59, 1),
                       powerOfTwoPlus(60, -1)})
    for (long add : {-1L, 0L, 1L}) checkAllSigns(powerOfTwoPlus(60, add), b);
}

// The long division kernel on 64-bit words, against GMP, with guard words
// around both outputs, on both row kernels (QUORVEL_SIMD=off runs the
// portable ones): top words equal to the divisor's (the 3-by-2 digit does
// not apply), a 3-by-2 digit one too large for the whole divisor (the
// add-back), one-word divisors, and random normalised operands, many with
// long runs of equal bits where both cases are frequent.
TEST(NumtheoryDivide, LongDivisionKernel) {
  static constexpr uint64_t GUARD = 0x1234567890abcdefull;
  auto g = rng(403);
  const auto wordsOf = [](const Mpz& z, size_t n) {
    std::vector<uint64_t> out(n + 2, GUARD);  // out[0] and out[n + 1] guard
    size_t count = 0;
    mpz_export(out.data() + 1, &count, -1, sizeof(uint64_t), 0, 0, z.z);
    std::fill(out.begin() + 1 + static_cast<long>(count), out.begin() + 1 + static_cast<long>(n), 0);
    return out;
  };
  const auto fromWordArray = [](const uint64_t* p, size_t n) {
    Mpz z;
    mpz_import(z.z, n, -1, sizeof(uint64_t), 0, 0, p);
    return z;
  };
  // {u, d}: with D = 2^191 + 2^62 + 7, u = (D - 1) 2^64 + 5, whose second
  // window starts with D's top two words (the 3-by-2 digit does not apply);
  // with D = 2^191 + 5, u = 2 D - 1, whose 3-by-2 digit 2 is one too large
  // for the whole divisor (the add-back); and all-ones divisors of 1 to 3
  // words.
  const Mpz D1 = powerOfTwoPlus(191, (1L << 62) + 7), D2 = powerOfTwoPlus(191, 5);
  Mpz equalTop, tooLarge;
  mpz_sub_ui(equalTop.z, D1.z, 1);
  mpz_mul_2exp(equalTop.z, equalTop.z, 64);
  mpz_add_ui(equalTop.z, equalTop.z, 5);
  mpz_mul_2exp(tooLarge.z, D2.z, 1);
  mpz_sub_ui(tooLarge.z, tooLarge.z, 1);
  std::vector<std::pair<Mpz, Mpz>> cases = {{equalTop, D1}, {tooLarge, D2}};
  for (long words : {1L, 2L, 3L}) cases.push_back({powerOfTwoPlus(64 * words + 500, -1), powerOfTwoPlus(64 * words, -1)});
  for (int it = 0; it < iterations(300); ++it) {
    const long vb = 64 * static_cast<long>(logUniform(g, 1, 40));  // top word normalised
    cases.push_back({randomMpz(g, vb + static_cast<long>(logUniform(g, 1, 3000)), g() & 1, false),
                     randomMpz(g, vb, g() & 1, false)});
  }
  for (bool simd : {true, false}) {
    allowSimdForTesting(simd);
    for (const auto& [a, b] : cases) {
      const size_t dn = (mpz_sizeinbase(b.z, 2) + 63) / 64;
      const size_t un = (mpz_sizeinbase(a.z, 2) + 63) / 64 + 1;  // a zero word on top
      std::vector<uint64_t> u = wordsOf(a, un), d = wordsOf(b, dn), q(un - dn + 2, GUARD);
      divWords(q.data() + 1, u.data() + 1, static_cast<int32_t>(un), d.data() + 1, static_cast<int32_t>(dn));
      Mpz expectedQ, expectedR;
      mpz_fdiv_qr(expectedQ.z, expectedR.z, a.z, b.z);
      SCOPED_TRACE("u=" + a.hex() + "\n d=" + b.hex() + (simd ? "" : " (portable rows)"));
      EXPECT_EQ(mpz_cmp(fromWordArray(q.data() + 1, un - dn).z, expectedQ.z), 0);
      EXPECT_EQ(mpz_cmp(fromWordArray(u.data() + 1, dn).z, expectedR.z), 0);
      EXPECT_TRUE(q.front() == GUARD && q.back() == GUARD && u.front() == GUARD && u.back() == GUARD);
    }
  }
  allowSimdForTesting(true);
}

// Sizes on both sides of the rule that chooses long division (limits.h:
// qn dn <= H (qn + min(qn, dn)), i.e. dn <= 2H for a shorter quotient),
// quotient / divisor ratios where the reciprocal method's block count
// changes (1 to 4 blocks and more), and the recursive division's limits: its
// divisor range, its quotient of at least dn limbs, a change of its depth
// (leaves of 64 limbs at most: dn = 512 gives 8 leaves of 64, dn = 514 16 of
// 33) and a top block of about 128 limbs over the blocks of n = 1,008 limbs
// that dn = 1,000 gets; divisors and dividends of every kind.
// Signs are drawn at random: they are handled before any method is chosen.
TEST(NumtheoryDivide, MethodAndBlockBoundaries) {
  auto g = rng(404);
  const long H = DIV_SCHOOLBOOK_HARMONIC_LIMBS;
  struct Size {
    long qn, dn;  // limbs of the quotient and of the divisor
  };
  std::vector<Size> sizes;
  for (long d : {-1L, 0L, 1L}) {
    sizes.push_back({2 * H + d, 2 * H});          // 2H 2H = H (2H + 2H)
    sizes.push_back({10 * H, H + H / 9 + d});     // 10H (10H/9) = H (10H + 10H/9)
    sizes.push_back({2, 2 * H + d});              // a shorter quotient: 2 (2H) = H (2 + 2)
    sizes.push_back({H / 4, 2 * H + d});          // (H/4) 2H = H (H/4 + H/4)
  }
  const long rMin = DIV_RECURSIVE_MIN_LIMBS, rMax = DIV_RECURSIVE_MAX_LIMBS, leaf = DIV_RECURSIVE_LEAF_LIMBS;
  const long top = DIV_RECURSIVE_SHORT_TOP_LIMBS;
  for (long d : {-2L, 0L, 2L}) {
    sizes.push_back({rMin + 2, rMin + d});
    sizes.push_back({rMax, rMax + d});
    sizes.push_back({1000 + d, 1000});
    sizes.push_back({3 * 8 * leaf, 8 * leaf + d});
    sizes.push_back({2 * 1008 + top + d, 1000});
  }
  for (double ratio : {0.05, 0.35, 0.45, 0.6, 1.0, 1.3, 1.6, 3.0, 9.0}) sizes.push_back({long(3000 * ratio) + 1, 3000});
  for (size_t i = 0; i < sizes.size(); ++i) {
    const long lb = 30 * sizes[i].dn - static_cast<long>(g() % 30);
    const long qb = 30 * sizes[i].qn - static_cast<long>(g() % 30);
    SCOPED_TRACE("quotient bits " + std::to_string(qb) + ", divisor bits " + std::to_string(lb));
    const Mpz b = divisorOfKind(g, lb, static_cast<int>(i));
    for (const Mpz& a : dividendsFor(g, b, qb)) checkDivision((g() & 1) ? a : negated(a), (g() & 1) ? b : negated(b));
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
      checkAllSigns(a, powerOfTwoPlus(static_cast<long>(k), 0));
    }
  }
}

TEST(NumtheoryDivide, AgreesWithGmpOnRandomOperands) {
  auto g = rng(406);
  for (int it = 0; it < iterations(400); ++it) {
    const long maxBits = it % 8 == 0 ? 300000 : 6000;
    Mpz a = randomOperand(g, maxBits), b = randomOperand(g, it % 3 == 0 ? 700 : maxBits);
    if (mpz_sgn(b.z) != 0) checkDivision(a, b);
    if (mpz_sgn(a.z) != 0) checkDivision(b, a);
  }
}

// divideMagnitudes with its result aliased to either operand, and the
// Newton reciprocal's bound 0 <= 2^(K+m)/C - V < 6, i.e. V in
// [floor(2^(K+m)/C) - 5, floor(2^(K+m)/C)], at the 62-bit start, one stage
// above it and the stage lengths beyond, for K below and above m.
TEST(NumtheoryDivide, DivideMagnitudesAndReciprocal) {
  auto g = rng(408);
  for (int it = 0; it < iterations(60); ++it) {
    Mpz b = randomMpz(g, static_cast<long>(logUniform(g, 1, 20000)), g() & 1, false);
    Mpz a = randomMpz(g, static_cast<long>(logUniform(g, 1, 140000)), g() & 1, false), q;
    if (mpz_cmp(a.z, b.z) < 0) mpz_swap(a.z, b.z);
    mpz_fdiv_q(q.z, a.z, b.z);
    vnum intoA = fromMpz(a), intoB = fromMpz(b);
    EXPECT_VNUM_EQ(divideMagnitudes(intoA, intoA, fromMpz(b)), q);
    EXPECT_VNUM_EQ(divideMagnitudes(intoB, fromMpz(a), intoB), q);
  }
  for (long m : {1L, 2L, 61L, 62L, 63L, 64L, 500L, 70001L}) {
    for (long K : {3L, 61L, 62L, 63L, 118L, 119L, 120L, 237L, 4000L, m - 2, m + 3}) {
      if (K < 3) continue;
      for (int kind = 0; kind < 3; ++kind) {
        const Mpz C = kind == 0 ? randomMpz(g, m, g() & 1, false) : kind == 1 ? powerOfTwoPlus(m, -1) : powerOfTwoPlus(m - 1, 0);
        if (mpz_sizeinbase(C.z, 2) != static_cast<size_t>(m)) continue;
        Mpz target, gap;
        mpz_fdiv_q(target.z, powerOfTwoPlus(K + m, 0).z, C.z);
        mpz_sub(gap.z, target.z, toMpz(newtonReciprocal(fromMpz(C), m, K)).z);
        EXPECT_TRUE(mpz_sgn(gap.z) >= 0 && mpz_cmp_ui(gap.z, 5) <= 0)
            << "m=" << m << " K=" << K << " C=" << C.hex() << " gap=" << gap.hex();
      }
    }
  }
}

// Cancels that land at arbitrary points of any method (the recursive one
// for the two shorter divisors, the reciprocal for the longest) return
// without throwing; with the flag clear again the next division is exact.
TEST(NumtheoryDivide, CancelledAtArbitraryPoints) {
  auto g = rng(410);
  const Mpz a = randomMpz(g, 400000, false, false);
  for (long lb : {20000L, 150000L, 399500L}) {
    const Mpz b = randomMpz(g, lb, false, true);
    for (int delay = 0; delay < 8; ++delay) {
      vnum x = fromMpz(a), y = fromMpz(a);
      cancelAfter(std::chrono::microseconds(1500 * delay), [&] {
        EXPECT_NO_THROW(divide(x, fromMpz(b)));
        EXPECT_NO_THROW(modulo(y, fromMpz(b)));
      });
    }
    checkDivision(a, b);
  }
}
