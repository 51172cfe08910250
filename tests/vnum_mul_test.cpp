// Multiplication of values: signs, shortcuts, self-aliasing, the method
// limits and unbalanced shapes against GMP, and cancellation. The kernels
// themselves are compared in mul_kernels_test.cpp.
#include <gtest/gtest.h>

#include "platform/abort_flags.h"
#include "tests/support/vnum_mul_support.h"
#include "vnum/mul_spans.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(VnumMul, SignsZeroAndOne) {
  auto v = [](long x) { return vnum(int64_t{x}); };
  const Mpz big("-123456789abcdef0123456789abcdef0123456789abcdef", 16);
  const vnum x = fromMpz(big);
  EXPECT_VNUM_EQ(v(0) * x, Mpz(0));
  EXPECT_VNUM_EQ(x * v(0), Mpz(0));
  EXPECT_EQ((x * v(0)).plus, 1);
  EXPECT_VNUM_EQ(v(1) * x, big);
  EXPECT_VNUM_EQ(x * v(1), big);
  EXPECT_VNUM_EQ(v(-3) * v(5), Mpz(-15));
  EXPECT_VNUM_EQ(v(-3) * v(-5), Mpz(15));
  EXPECT_VNUM_EQ(v(5) * v(-3), Mpz(-15));

  vnum p100(int32_t{1});
  p100.shift(100);
  Mpz expected(3);
  mpz_mul_2exp(expected.z, expected.z, 100);
  EXPECT_VNUM_EQ(p100 * v(3), expected);
  EXPECT_VNUM_EQ(v(3) * p100, expected);

  const vnum m60 = v((1l << 60) - 1);
  Mpz square;
  mpz_ui_pow_ui(square.z, 2, 120);
  Mpz twice;
  mpz_ui_pow_ui(twice.z, 2, 61);
  mpz_sub(square.z, square.z, twice.z);
  mpz_add_ui(square.z, square.z, 1);
  EXPECT_VNUM_EQ(m60 * m60, square);
}

TEST(VnumMul, SelfAliasing) {
  auto g = rng(51);
  for (int it = 0; it < iterations(40); ++it) {
    Mpz a = randomOperand(g, 200000);
    vnum x = fromMpz(a);
    x *= x;
    Mpz expected;
    mpz_mul(expected.z, a.z, a.z);
    EXPECT_VNUM_EQ(x, expected);
  }
}

TEST(VnumMul, AgreesWithGmpOnRandomSizes) {
  auto g = rng(52);
  for (int it = 0; it < iterations(400); ++it) {
    const long maxBits = it % 10 == 0 ? 400000 : 8000;
    Mpz a = randomOperand(g, maxBits), b = randomOperand(g, maxBits);
    Mpz expected;
    mpz_mul(expected.z, a.z, b.z);
    SCOPED_TRACE("a=" + a.hex() + " b=" + b.hex());
    EXPECT_VNUM_EQ(fromMpz(a) * fromMpz(b), expected);
  }
}

TEST(VnumMul, ThresholdNeighbours) {
  // The lower method limits and where Toom-3 starts handing its parts to the
  // pool (this test also runs with 1, 2 and 4 threads), through *= with both
  // signs (mul_kernels_test.cpp hits the exact significant lengths,
  // mul_kernels_slow_test.cpp the Toom-3 limit and vnum_mul_slow_test.cpp
  // the transforms' limits).
  for (int32_t T : {mulSchoolbookMaxLimbs(), karatsubaMaxLimbs(false), MUL_TOOM3_PARALLEL_MIN_LIMBS})
    checkAroundThreshold(T, 53);
}

TEST(VnumMul, UnbalancedProductsInPieces) {
  // 5,000,000 x 10,000 bits (the long operand in 500 pieces of the short
  // one's length), and shapes where the last piece is short.
  auto g = rng(54);
  const std::pair<long, long> sizes[] = {{5000000, 10000}, {1000000, 300000}, {400000, 9000}, {70000, 2000}};
  for (auto [longBits, shortBits] : sizes) {
    const Mpz a = randomMpz(g, longBits, (g() & 1) != 0, (g() & 1) != 0);
    const Mpz b = randomMpz(g, shortBits, (g() & 1) != 0, (g() & 1) != 0);
    Mpz expected;
    mpz_mul(expected.z, a.z, b.z);
    SCOPED_TRACE(std::to_string(longBits) + " x " + std::to_string(shortBits) + " bits");
    EXPECT_VNUM_EQ(fromMpz(a) * fromMpz(b), expected);
    EXPECT_VNUM_EQ(fromMpz(b) * fromMpz(a), expected);
  }
}

TEST(VnumMul, AbortYieldsZero) {
  auto g = rng(55);
  const vnum a = oddOperandOfLength(g, 40, false), b = oddOperandOfLength(g, 4000, false);
  abortSlot->store(1);
  const vnum small = a * b;
  const vnum large = b * b;
  const vnum one = vnum(int32_t{1}) * a;
  abortSlot->store(0);
  EXPECT_VNUM_EQ(small, Mpz(0));
  EXPECT_VNUM_EQ(large, Mpz(0));
  EXPECT_EQ(one.compare(a), 0);  // the factor-one shortcut needs no kernel
}
