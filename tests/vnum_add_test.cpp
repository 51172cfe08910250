// Addition, subtraction and negation against GMP and the representation rules.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/vnum_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(VnumAdd, CarryAndSignEdges) {
  vnum zero;
  zero += vnum();
  EXPECT_EQ(zero.len, 2);
  EXPECT_VNUM_EQ(zero, Mpz(0));

  vnum x(int64_t{(1ll << 60) - 1});
  x += vnum(int32_t{1});
  EXPECT_EQ(x.len, 4);
  EXPECT_EQ((std::vector<int32_t>(x.limbs, x.limbs + 4)), (std::vector<int32_t>{0, 0, 1, 0}));

  vnum m(int32_t{-1});
  m += vnum(int32_t{1});
  EXPECT_EQ(m.len, 2);
  EXPECT_VNUM_EQ(m, Mpz(0));
  vnum p(int32_t{1});
  p += vnum(int32_t{-1});
  EXPECT_VNUM_EQ(p, Mpz(0));

  vnum big = fromMpz(Mpz("10000000000000000000000", 16));  // 2^88
  big += vnum(int32_t{-1});
  EXPECT_VNUM_EQ(big, Mpz("ffffffffffffffffffffff", 16));

  EXPECT_VNUM_EQ(vnum(int32_t{5}) - vnum(int32_t{7}), Mpz(-2));
  EXPECT_VNUM_EQ(vnum(int32_t{-2}) - vnum(int32_t{-2}), Mpz(0));
}

TEST(VnumAdd, SelfAliasing) {
  auto g = rng(21);
  for (int it = 0; it < iterations(200); ++it) {
    Mpz a = randomOperand(g, 50000);
    vnum x = fromMpz(a);
    x += x;
    Mpz twice;
    mpz_mul_2exp(twice.z, a.z, 1);
    EXPECT_VNUM_EQ(x, twice);
    vnum y = fromMpz(a);
    const vnum& same = y;  // through a second name, as aliasing reaches the operator
    y -= same;
    EXPECT_VNUM_EQ(y, Mpz(0));
  }
}

TEST(VnumAdd, AgreesWithGmp) {
  auto g = rng(22);
  for (int it = 0; it < iterations(1500); ++it) {
    const long maxBits = it % 10 == 0 ? 600000 : 5000;
    Mpz a = randomOperand(g, maxBits), b = randomOperand(g, maxBits);
    Mpz sum, difference;
    mpz_add(sum.z, a.z, b.z);
    mpz_sub(difference.z, a.z, b.z);
    EXPECT_VNUM_EQ(fromMpz(a) + fromMpz(b), sum);
    EXPECT_VNUM_EQ(fromMpz(a) - fromMpz(b), difference);
    // The left operand may be the shorter one, and may be unnormalised
    // with extra capacity.
    vnum left = fromMpz(a);
    left.reserve(static_cast<int32_t>(g() % 4000));
    left += fromMpz(b);
    EXPECT_VNUM_EQ(left, sum);
    // The three-operand forms into storage left by an earlier value, and
    // with the result as the right operand.
    vnum stale = fromMpz(g() & 1 ? b : a);
    add(stale, fromMpz(a), fromMpz(b));
    EXPECT_VNUM_EQ(stale, sum);
    vnum right = fromMpz(b);
    subtract(right, fromMpz(a), right);
    EXPECT_VNUM_EQ(right, difference);
  }
}

TEST(VnumAdd, SumsOfOppositeSignsThatCancelHighLimbs) {
  // a + (-a + small): every high limb cancels and the length collapses.
  auto g = rng(23);
  for (int it = 0; it < iterations(300); ++it) {
    Mpz a = randomMpz(g, static_cast<long>(logUniform(g, 1, 30000)), g() & 1, g() & 1);
    Mpz small = randomOperand(g, 90);
    Mpz b;
    mpz_sub(b.z, small.z, a.z);
    EXPECT_VNUM_EQ(fromMpz(a) + fromMpz(b), small);
  }
}

TEST(VnumNegate, EdgesAndRoundTrip) {
  vnum zero;
  zero.negate();
  EXPECT_VNUM_EQ(zero, Mpz(0));
  EXPECT_VNUM_EQ(vnum(int32_t{-1}).negate(), Mpz(1));

  // -2^59 held in two limbs needs a fill limb once positive.
  vnum minus;
  minus.limbs[0] = 0;
  minus.limbs[1] = 0x20000000;
  minus.plus = 0;
  vnum positive = vnum(minus).negate();
  EXPECT_EQ(positive.len, 4);
  EXPECT_EQ((std::vector<int32_t>(positive.limbs, positive.limbs + 4)), (std::vector<int32_t>{0, 0x20000000, 0, 0}));
  vnum back = vnum(positive).negate();
  EXPECT_EQ(back.compare(minus), 0);

  auto g = rng(24);
  for (int it = 0; it < iterations(500); ++it) {
    Mpz a = randomOperand(g, 40000);
    Mpz expected;
    mpz_neg(expected.z, a.z);
    vnum x = fromMpz(a);
    vnum copy = x.negate();
    EXPECT_VNUM_EQ(x, expected);
    EXPECT_VNUM_EQ(copy, expected);
  }
}
