// Shifts and bitwise logic on the infinite two's complement bit string.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/vnum_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

vnum shifted(vnum x, int64_t n) {
  x.shift(n);
  return x;
}

Mpz gmpShift(const Mpz& a, long n) {
  Mpz r;
  if (n >= 0)
    mpz_mul_2exp(r.z, a.z, static_cast<mp_bitcnt_t>(n));
  else
    mpz_fdiv_q_2exp(r.z, a.z, static_cast<mp_bitcnt_t>(-n));
  return r;
}

}  // namespace

TEST(VnumShift, Edges) {
  struct Row {
    long value;
    long n;
    long expected;
  };
  const Row rows[] = {
      {0, 1000, 0},  {0, -1000, 0}, {-1, -1, -1},  {-3, -1, -2},
      {-1, -100, -1}, {5, -100, 0}, {0x3fffffff, -30, 0}, {1, 29, 1 << 29},
  };
  for (const Row& r : rows) EXPECT_VNUM_EQ(shifted(vnum(int64_t{r.value}), r.n), Mpz(r.expected));

  vnum one30 = shifted(vnum(int32_t{1}), 30);
  EXPECT_EQ(one30.len, 4);
  EXPECT_EQ((std::vector<int32_t>(one30.limbs, one30.limbs + 4)), (std::vector<int32_t>{0, 1, 0, 0}));
  EXPECT_EQ(shifted(vnum(int32_t{1}), 29).len, 2);
  EXPECT_VNUM_EQ(shifted(vnum(int64_t{1} << 60), -60), Mpz(1));
  EXPECT_EQ(shifted(vnum(), 77).len, 2);
}

TEST(VnumShift, AgreesWithGmp) {
  auto g = rng(31);
  for (int it = 0; it < iterations(2000); ++it) {
    Mpz a = randomOperand(g, it % 20 == 0 ? 300000 : 4000);
    long n = static_cast<long>(logUniform(g, 1, 10000));
    if (g() & 1) n = -n;
    if (g() % 8 == 0) n = (n > 0 ? 1 : -1) * 30 * static_cast<long>(g() % 50);  // whole limbs
    SCOPED_TRACE("a=" + a.hex() + " n=" + std::to_string(n));
    EXPECT_VNUM_EQ(shifted(fromMpz(a), n), gmpShift(a, n));
  }
}

TEST(VnumShift, KeyPanelCountsTakeTheirSign) {
  auto g = rng(32);
  for (int it = 0; it < iterations(300); ++it) {
    Mpz a = randomOperand(g, 3000);
    const long y = static_cast<long>(g() % 700);
    vnum left = fromMpz(a);
    left <<= vnum(int64_t{-y});
    vnum right = fromMpz(a);
    right >>= vnum(int64_t{y});
    EXPECT_EQ(left.compare(right), 0);
    EXPECT_VNUM_EQ(right, gmpShift(a, -y));
    vnum up = fromMpz(a);
    up >>= vnum(int64_t{-y});
    EXPECT_VNUM_EQ(up, gmpShift(a, y));
  }
}

TEST(VnumShift, RightShiftByHugeCountKeepsOnlyTheSign) {
  const vnum huge = vnum(int64_t{1} << 30) + vnum(int32_t{3});  // low limb 3
  const vnum hugeNegative = vnum(int64_t{0}) - huge;
  vnum big = fromMpz(Mpz("123456789abcdef123456789abcdef", 16));
  vnum a(big);
  a >>= huge;
  EXPECT_VNUM_EQ(a, Mpz(0));
  vnum b = vnum() - big;
  b >>= huge;
  EXPECT_VNUM_EQ(b, Mpz(-1));
  vnum c(big);
  c <<= hugeNegative;
  EXPECT_VNUM_EQ(c, Mpz(0));
  vnum d(int32_t{-8});
  d >>= fromMpz(Mpz("1000000000000000000000000", 16));
  EXPECT_VNUM_EQ(d, Mpz(-1));
}

TEST(VnumLogic, Edges) {
  auto v = [](long x) { return vnum(int64_t{x}); };
  EXPECT_VNUM_EQ(vnum(v(12)) &= v(10), Mpz(8));
  EXPECT_VNUM_EQ(vnum(v(-4)) &= v(-3), Mpz(-4));
  vnum zeroed(v(-77));
  zeroed &= vnum();
  EXPECT_EQ(zeroed.plus, 1);
  EXPECT_VNUM_EQ(zeroed, Mpz(0));
  EXPECT_VNUM_EQ(vnum(v(12)) |= v(3), Mpz(15));
  EXPECT_VNUM_EQ(vnum(v(5)) |= v(-8), Mpz(-3));
  EXPECT_VNUM_EQ(vnum(v(5)) ^= v(5), Mpz(0));
  EXPECT_VNUM_EQ(vnum(v(5)) ^= v(-1), Mpz(-6));
  EXPECT_VNUM_EQ(vnum().complement(), Mpz(-1));
  EXPECT_VNUM_EQ(v(-1).complement(), Mpz(0));
  EXPECT_VNUM_EQ(v(5).complement(), Mpz(-6));

  const vnum bit70 = fromMpz(Mpz("400000000000000000", 16));
  EXPECT_VNUM_EQ(vnum() ^= bit70, Mpz("400000000000000000", 16));

  // -1 (two limbs) AND / OR a much longer value.
  Mpz longValue("987654321fedcba987654321fedcba987654321fedcba", 16);
  EXPECT_VNUM_EQ(v(-1) &= fromMpz(longValue), longValue);
  EXPECT_VNUM_EQ(fromMpz(longValue) &= v(-1), longValue);
  EXPECT_VNUM_EQ(v(-1) |= fromMpz(longValue), Mpz(-1));
}

TEST(VnumLogic, AgreesWithGmp) {
  auto g = rng(33);
  for (int it = 0; it < iterations(2000); ++it) {
    const long maxBits = it % 20 == 0 ? 400000 : 4000;
    Mpz a = randomOperand(g, maxBits), b = randomOperand(g, maxBits);
    Mpz r;
    mpz_and(r.z, a.z, b.z);
    EXPECT_VNUM_EQ(vnum(fromMpz(a)) &= fromMpz(b), r);
    mpz_ior(r.z, a.z, b.z);
    EXPECT_VNUM_EQ(vnum(fromMpz(a)) |= fromMpz(b), r);
    mpz_xor(r.z, a.z, b.z);
    EXPECT_VNUM_EQ(vnum(fromMpz(a)) ^= fromMpz(b), r);
    mpz_com(r.z, a.z);
    EXPECT_VNUM_EQ(fromMpz(a).complement(), r);
  }
}

TEST(VnumLogic, SelfAliasing) {
  auto g = rng(34);
  for (int it = 0; it < iterations(200); ++it) {
    Mpz a = randomOperand(g, 20000);
    vnum x = fromMpz(a);
    const vnum& same = x;  // through a second name, as aliasing reaches the operators
    x &= same;
    EXPECT_VNUM_EQ(x, a);
    x |= same;
    EXPECT_VNUM_EQ(x, a);
    x ^= same;
    EXPECT_VNUM_EQ(x, Mpz(0));
  }
}
