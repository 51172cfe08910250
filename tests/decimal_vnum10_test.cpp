// vnum10: construction, storage, sign handling, addition, printing, and the
// limb kernels under them, against GMP.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "decimal/dec_limbs.h"
#include "tests/decimal_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::vector<int32_t> limbsOf(const vnum10& x) { return std::vector<int32_t>(x.limbs.get(), x.limbs.get() + x.len); }

}  // namespace

TEST(Vnum10Structure, Construction) {
  const vnum10 zero;
  EXPECT_EQ(zero.len, 1);
  EXPECT_EQ(zero.cap, DEC_FRESH_CAP);
  EXPECT_EQ(textOf(zero), "0");
  EXPECT_EQ(vnum10Violation(zero), "");

  struct Case {
    int64_t value;
    std::vector<int32_t> limbs;
  };
  const Case cases[] = {
      {0, {0}},
      {99999999, {99999999}},
      {100000000, {0, 1}},
      {-1, {1}},
      {int64_t{1} << 60, {6846976, 29215046, 115}},
      {-(int64_t{1} << 60), {6846976, 29215046, 115}},
      {INT64_MAX, {54775807, 33720368, 922}},
      {INT64_MIN, {54775808, 33720368, 922}},
      {10000000000000000, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    const vnum10 x(c.value);
    EXPECT_EQ(limbsOf(x), c.limbs) << c.value;
    EXPECT_EQ(x.plus, c.value >= 0) << c.value;
    EXPECT_EQ(textOf(x), std::to_string(c.value));
  }
  for (int32_t v : {0, 7, -7, 100000000, INT32_MAX, INT32_MIN}) {
    const vnum10 x(v);
    EXPECT_EQ(vnum10Violation(x), "") << v;
    EXPECT_EQ(textOf(x), std::to_string(v));
  }
}

TEST(Vnum10Structure, CopyMoveAndGrowth) {
  vnum10 x = vnum10FromMpz(Mpz("-123456789012345678901234567890", 10));
  x.growTo(40);  // untrimmed, with spare capacity
  const vnum10 copy(x);
  EXPECT_EQ(copy.cap, copy.len);
  EXPECT_EQ(copy.differs(x), 0);
  EXPECT_EQ(textOf(copy), "-123456789012345678901234567890");

  vnum10 assigned(int32_t{5});
  assigned = x;
  EXPECT_EQ(assigned.differs(x), 0);
  const vnum10& same = assigned;
  assigned = same;  // self-assignment keeps the value
  EXPECT_EQ(assigned.differs(x), 0);

  vnum10 moved(std::move(assigned));
  EXPECT_EQ(moved.differs(x), 0);
  EXPECT_EQ(textOf(assigned), "0");  // the moved-from value is a usable zero
  EXPECT_EQ(vnum10Violation(assigned), "");

  vnum10 empty;
  empty.len = 0;  // a source without limbs copies as zero
  const vnum10 fromEmpty(empty);
  EXPECT_EQ(textOf(fromEmpty), "0");
  EXPECT_EQ(fromEmpty.len, 1);
  empty.len = 1;

  // growTo never shrinks; growing pads with zero limbs on top.
  vnum10 g(int64_t{123456789012});
  g.growTo(1);
  EXPECT_EQ(g.len, 2);
  g.growTo(1000);
  EXPECT_EQ(g.len, 1000);
  EXPECT_GE(g.cap, 1000);
  EXPECT_EQ(g.limbs[999], 0);
  EXPECT_EQ(g.trimmedLength(), 2);
  EXPECT_EQ(textOf(g), "123456789012");
}

TEST(Vnum10Structure, NegateAndDiffers) {
  vnum10 x(int32_t{42});
  const vnum10 returned = x.negate();
  EXPECT_EQ(textOf(x), "-42");
  EXPECT_EQ(textOf(returned), "-42");
  x.negate();
  EXPECT_EQ(textOf(x), "42");

  // Zero never turns negative, so it can never print as "-0".
  vnum10 zero;
  zero.negate();
  EXPECT_EQ(zero.plus, 1);
  EXPECT_EQ(textOf(zero), "0");

  // differs: an equality test that sees the sign flag and ignores zero limbs
  // on top.
  vnum10 negativeZero;
  negativeZero.plus = 0;
  EXPECT_EQ(vnum10().differs(negativeZero), 1);
  EXPECT_EQ(textOf(negativeZero), "0");
  EXPECT_EQ(vnum10(int32_t{5}).differs(vnum10(int32_t{-5})), 1);
  EXPECT_EQ(vnum10(int32_t{5}).differs(vnum10(int32_t{6})), 1);
  EXPECT_EQ(vnum10(int64_t{100000005}).differs(vnum10(int32_t{5})), 1);
  vnum10 padded(int32_t{5});
  padded.growTo(9);
  EXPECT_EQ(padded.differs(vnum10(int32_t{5})), 0);
  EXPECT_EQ(vnum10(int32_t{5}).differs(padded), 0);
}

TEST(Vnum10Add, AgreesWithGmp) {
  auto g = rng(501);
  for (int it = 0; it < iterations(2000); ++it) {
    const long maxDigits = it % 20 == 0 ? 20000 : 200;
    const Mpz a = randomDecimal(g, logUniform(g, 1, maxDigits), g() & 1, g() & 1);
    Mpz b = randomDecimal(g, logUniform(g, 1, maxDigits), g() & 1, g() & 1);
    if (it % 7 == 0) mpz_neg(b.z, a.z);  // sums that cancel to zero
    if (it % 7 == 1) mpz_set(b.z, a.z);
    Mpz sum, difference;
    mpz_add(sum.z, a.z, b.z);
    mpz_sub(difference.z, a.z, b.z);

    vnum10 x = vnum10FromMpz(a);
    x.addAssign(vnum10FromMpz(b));
    EXPECT_VNUM10_EQ(x, sum);
    vnum10 y = vnum10FromMpz(a);
    y.growTo(y.len + static_cast<int32_t>(g() % 5));  // untrimmed target
    y.subAssign(vnum10FromMpz(b));
    EXPECT_VNUM10_EQ(y, difference);
  }
}

TEST(Vnum10Add, CarryEdgesAndAliasing) {
  vnum10 x = vnum10FromMpz(Mpz("9999999999999999999999999999999999999999", 10));
  x.addAssign(vnum10(int32_t{1}));
  EXPECT_EQ(textOf(x), "1" + std::string(40, '0'));
  x.subAssign(vnum10(int32_t{1}));
  EXPECT_EQ(textOf(x), std::string(40, '9'));
  x.subAssign(vnum10FromMpz(Mpz(("1" + std::string(40, '0')).c_str(), 10)));
  EXPECT_EQ(textOf(x), "-1");

  vnum10 y = vnum10FromMpz(Mpz("-12345678901234567890", 10));
  y.addAssign(y);
  EXPECT_EQ(textOf(y), "-24691357802469135780");
  y.subAssign(y);
  EXPECT_EQ(textOf(y), "0");
  EXPECT_EQ(vnum10Violation(y), "");
}

TEST(Vnum10Write, PaddingSignsAndZero) {
  EXPECT_EQ(textOf(vnum10()), "0");
  EXPECT_EQ(textOf(vnum10(int32_t{100000000})), "100000000");
  EXPECT_EQ(textOf(vnum10(int64_t{-1000000000000000005})), "-1000000000000000005");
  // Every limb below the top prints as eight digits, zeros included.
  vnum10 x;
  x.growTo(4);
  x.limbs[0] = 5;
  x.limbs[1] = 0;
  x.limbs[2] = 12345;
  x.limbs[3] = 7;
  EXPECT_EQ(textOf(x), "7" "00012345" "00000000" "00000005");
  // An untrimmed value prints without leading zeros.
  x.growTo(8);
  EXPECT_EQ(textOf(x), "7" "00012345" "00000000" "00000005");
  // Zero limbs below the top of a multi-limb value are digits, not padding.
  vnum10 zeros;
  zeros.growTo(3);
  EXPECT_EQ(textOf(zeros), "0");
}

TEST(Vnum10Write, NeverPastTheGivenSize) {
  const std::string full = "-" "98765" "43210987" "65432109" "00000001";
  const vnum10 x = vnum10FromMpz(Mpz(full.c_str(), 10));
  constexpr size_t GUARD = 16;
  for (size_t size = 0; size <= full.size() + 3; ++size) {
    std::vector<char> buffer(size + GUARD, '#');
    x.writeDecimal(buffer.data(), size);
    if (size == 0) {
      EXPECT_EQ(buffer[0], '#');
    } else {
      const size_t kept = std::min(size - 1, full.size());
      EXPECT_EQ(std::string(buffer.data()), full.substr(0, kept)) << "size " << size;
    }
    for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << "byte " << i << ", size " << size;
  }
}

