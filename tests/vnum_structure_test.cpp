// Layout, construction, normal form, size and comparison of vnum.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/vnum_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::vector<int32_t> limbsOf(const vnum& x) { return std::vector<int32_t>(x.limbs, x.limbs + x.len); }

// A value with exactly these limbs and length, as the arithmetic might leave
// it before normalising.
vnum withLimbs(std::vector<int32_t> limbs, bool plus) {
  vnum x;
  x.extendTo(static_cast<int32_t>(limbs.size()));
  for (size_t i = 0; i < limbs.size(); ++i) x.limbs[i] = limbs[i];
  x.len = static_cast<int32_t>(limbs.size());
  x.plus = plus;
  return x;
}

}  // namespace

TEST(VnumConstruction, ExactLimbLayouts) {
  struct Row {
    vnum value;
    bool plus;
    std::vector<int32_t> limbs;
  };
  const Row rows[] = {
      {vnum(), true, {0, 0}},
      {vnum(int32_t{0}), true, {0, 0}},
      {vnum(int64_t{0}), true, {0, 0}},
      {vnum(int32_t{-1}), false, {0x3fffffff, 0x3fffffff}},
      {vnum(int32_t{0x7fffffff}), true, {0x3fffffff, 1}},
      {vnum(int32_t{INT32_MIN}), false, {0, 0x3ffffffe}},
      {vnum(int64_t{10000000000000000}), true, {0x2fc10000, 0x008e1bc9, 0, 0}},
      {vnum(int64_t{-1}), false, {0x3fffffff, 0x3fffffff}},
      {vnum(int64_t{INT64_MIN}), false, {0, 0, 0x3ffffff8, 0x3fffffff}},
      {vnum(int64_t{INT64_MAX}), true, {0x3fffffff, 0x3fffffff, 7, 0}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.value.plus, r.plus);
    EXPECT_EQ(limbsOf(r.value), r.limbs);
    EXPECT_EQ(r.value.cap, FRESH_CAP);
  }
  EXPECT_EQ(mpz_get_si(toMpz(vnum(int64_t{INT64_MIN})).z), INT64_MIN);
}

TEST(VnumConstruction, CopyMoveAndSelfAssignment) {
  vnum big = fromMpz(Mpz("123456789abcdef0123456789abcdef0123456789", 16));
  vnum copy(big);
  EXPECT_EQ(copy.cap, big.cap);
  EXPECT_NE(copy.limbs, big.limbs);
  EXPECT_EQ(copy.compare(big), 0);

  int32_t* array = big.limbs;
  vnum& alias = big;
  big = alias;
  EXPECT_EQ(big.limbs, array);
  EXPECT_EQ(big.compare(copy), 0);

  vnum moved(std::move(big));
  EXPECT_EQ(moved.compare(copy), 0);
  EXPECT_TRUE(big.isZero());  // NOLINT: a moved-from value is a usable zero
  EXPECT_EQ(invariantViolation(big), "");

  vnum broken;
  broken.len = 0;
  vnum fromBroken(broken);
  broken.len = 2;
  EXPECT_TRUE(fromBroken.isZero());
}

TEST(VnumStructure, Normalize) {
  struct Row {
    std::vector<int32_t> limbs;
    bool plus;
    int32_t len;
  };
  const Row rows[] = {
      {{5, 0, 0, 0}, true, 2},
      {{0, 1, 0, 0, 0, 0}, true, 4},
      {{0x3ffffffe, 0x3fffffff, 0x3fffffff, 0x3fffffff}, false, 2},
      {{0x3fffffff, 0x3fffffff, 0x3fffffff, 0x3fffffff}, false, 2},
      {{0, 0, 0, 0, 0, 0, 0, 0}, true, 2},
      {{0, 0x20000000, 0x3fffffff, 0x3fffffff}, false, 4},  // -2^59 keeps a fill limb
      {{1, 2, 3, 0}, true, 4},                              // one fill limb: not trimmed
  };
  for (const Row& r : rows) {
    vnum x = withLimbs(r.limbs, r.plus);
    x.normalize();
    EXPECT_EQ(x.len, r.len);
  }
}

TEST(VnumStructure, ExtendToAndGrowth) {
  vnum x(int32_t{-7});
  EXPECT_EQ(x.extendTo(5), 2);
  EXPECT_EQ(x.len, 6);
  EXPECT_EQ(x.limbs[5], LIMB_MASK);
  EXPECT_EQ(x.extendTo(4), 6);  // never shrinks
  EXPECT_EQ(x.len, 6);
  x.extendTo(300);
  EXPECT_EQ(x.cap, 300 * GROWTH_FACTOR);
  EXPECT_EQ(x.limbs[299], LIMB_MASK);
  x.normalize();
  EXPECT_EQ(mpz_get_si(toMpz(x).z), -7);
  EXPECT_EQ(x.cap, 300 * GROWTH_FACTOR);  // capacity never shrinks in place
}

TEST(VnumStructure, KeepLowBits) {
  vnum x(int32_t{0x7fffffff});
  x.keepLowBits(30);
  EXPECT_EQ(mpz_get_si(toMpz(x).z), (1 << 30) - 1);
  vnum y(int32_t{12345});
  y.keepLowBits(0);
  EXPECT_EQ(mpz_get_si(toMpz(y).z), 12345);

  auto g = rng(11);
  for (int it = 0; it < iterations(200); ++it) {
    Mpz a = randomMpz(g, static_cast<long>(logUniform(g, 1, 3000)), g() & 1, false);
    const long n = static_cast<long>(logUniform(g, 1, 3100));
    vnum v = fromMpz(a);
    v.keepLowBits(n);
    Mpz expected;
    mpz_fdiv_r_2exp(expected.z, a.z, static_cast<mp_bitcnt_t>(n));
    EXPECT_EQ(mpz_cmp(toMpz(v).z, expected.z), 0) << "n=" << n;
  }
}

TEST(VnumStructure, BitLength) {
  EXPECT_EQ(vnum().bitLength(), 1);
  EXPECT_EQ(vnum(int32_t{1}).bitLength(), 1);
  EXPECT_EQ(vnum(int32_t{-1}).bitLength(), 1);
  EXPECT_EQ(vnum(int32_t{0x3fffffff}).bitLength(), 30);
  EXPECT_EQ(vnum(int64_t{1} << 30).bitLength(), 31);
  EXPECT_EQ(vnum(-(int64_t{1} << 30)).bitLength(), 31);
  EXPECT_EQ(vnum(-(int64_t{1} << 60)).bitLength(), 61);
  auto g = rng(12);
  for (int it = 0; it < iterations(300); ++it) {
    Mpz a = randomOperand(g, 20000);
    const long expected = mpz_sgn(a.z) == 0 ? 1 : static_cast<long>(mpz_sizeinbase(a.z, 2));
    EXPECT_EQ(fromMpz(a).bitLength(), expected) << a.hex();
  }
}

TEST(VnumCompare, ExamplesAndUnnormalisedZero) {
  EXPECT_GT(vnum(int32_t{3}).compare(vnum(int32_t{-5})), 0);
  EXPECT_LT(vnum(int32_t{-5}).compare(vnum(int32_t{3})), 0);
  EXPECT_GT(vnum(int32_t{-1}).compare(vnum(int32_t{-2})), 0);
  EXPECT_LT(vnum(int32_t{-2}).compare(vnum(int32_t{-1})), 0);
  EXPECT_EQ(withLimbs({0, 0, 0, 0}, true).compare(vnum()), 0);
  EXPECT_GT(vnum(int64_t{1} << 60).compare(vnum(int32_t{5})), 0);
  EXPECT_LT(vnum(int32_t{5}).compare(vnum(int64_t{1} << 60)), 0);
  EXPECT_LT(vnum(-(int64_t{1} << 60)).compare(vnum(int32_t{-5})), 0);
  EXPECT_GT(vnum(int32_t{-5}).compare(vnum(-(int64_t{1} << 60))), 0);
  // A longer negative operand whose extra limbs are all fill equals the short one.
  EXPECT_EQ(withLimbs({0x3ffffffb, 0x3fffffff, 0x3fffffff, 0x3fffffff}, false).compare(vnum(int32_t{-5})), 0);
}

TEST(VnumCompare, AgreesWithGmp) {
  auto g = rng(13);
  for (int it = 0; it < iterations(2000); ++it) {
    Mpz a = randomOperand(g, 2000);
    Mpz b = (g() % 4 == 0) ? a : randomOperand(g, 2000);
    if (g() % 4 == 0 && mpz_sgn(b.z) != 0) mpz_add_ui(b.z, b.z, 1);  // neighbours
    const int c = fromMpz(a).compare(fromMpz(b));
    const int expected = mpz_cmp(a.z, b.z);
    EXPECT_EQ((c > 0) - (c < 0), (expected > 0) - (expected < 0)) << a.hex() << " vs " << b.hex();
  }
}

TEST(VnumTables, PowersOfTen) {
  EXPECT_EQ(mpz_get_si(toMpz(decPowerLadder[0]).z), 100000000);
  EXPECT_EQ(mpz_cmp(toMpz(decPowerLadder[1]).z, Mpz("10000000000000000").z), 0);
  for (int k = 2; k < DEC_POWER_LADDER_SIZE; ++k) EXPECT_TRUE(decPowerLadder[k].isZero());
  long p = 1;
  for (int k = 0; k < SMALL_DEC_POWERS_SIZE; ++k, p *= 10) EXPECT_EQ(mpz_get_si(toMpz(smallDecPowers[k]).z), p);
}
