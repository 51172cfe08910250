// vnum10 products: mulAssign against GMP (signs, squares, untrimmed
// operands, the dispatcher's lower limits), the square flag and the mode
// limit of the transform, and cancellation. The kernels are compared with
// each other in mul_kernels_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decimal/mul_spans.h"
#include "platform/abort_flags.h"
#include "tests/decimal_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Random magnitudes of t >= u limbs (top limb non-zero).
struct Operands {
  Mpz a, b;
  vnum10 x, y;
};

Operands randomOperands(std::mt19937_64& g, int32_t t, int32_t u) {
  Operands o;
  o.a = randomDecimal(g, 8L * (t - 1) + 1 + static_cast<long>(g() % 8), g() & 1, false);
  o.b = randomDecimal(g, 8L * (u - 1) + 1 + static_cast<long>(g() % 8), g() & 1, false);
  if (mpz_cmp(o.a.z, o.b.z) < 0) mpz_swap(o.a.z, o.b.z);
  o.x = vnum10FromMpz(o.a);
  o.y = vnum10FromMpz(o.b);
  return o;
}

Mpz productOf(const Operands& o) {
  Mpz p;
  mpz_mul(p.z, o.a.z, o.b.z);
  return p;
}

}  // namespace

TEST(Vnum10Mul, OneLimbProductsAndSigns) {
  vnum10 x(int32_t{99999999});
  x.mulAssign(vnum10(int32_t{99999999}));
  EXPECT_EQ(x.len, 2);
  EXPECT_EQ(x.limbs[0], 1);  // 99999999^2 = 99999998 00000001
  EXPECT_EQ(x.limbs[1], 99999998);

  for (int32_t a : {3, -3}) {
    for (int32_t b : {7, -7}) {
      vnum10 p(a);
      p.mulAssign(vnum10(b));
      EXPECT_EQ(textOf(p), std::to_string(a * b));
    }
    // Zero results are +0 whatever the signs.
    vnum10 z(a);
    z.mulAssign(vnum10());
    EXPECT_EQ(z.plus, 1);
    EXPECT_EQ(textOf(z), "0");
    vnum10 z2;
    z2.mulAssign(vnum10(a));
    EXPECT_EQ(textOf(z2), "0");
  }
}

TEST(Vnum10Mul, AgreesWithGmp) {
  auto g = rng(511);
  for (int it = 0; it < iterations(600); ++it) {
    const long maxDigits = it % 25 == 0 ? 60000 : 1500;
    const Mpz a = randomDecimal(g, logUniform(g, 1, maxDigits), g() & 1, g() & 1);
    const Mpz b = randomDecimal(g, logUniform(g, 1, maxDigits), g() & 1, g() & 1);
    Mpz expected;
    mpz_mul(expected.z, a.z, b.z);
    vnum10 x = vnum10FromMpz(a);
    x.growTo(x.len + static_cast<int32_t>(g() % 3));  // untrimmed operand
    x.mulAssign(vnum10FromMpz(b));
    EXPECT_VNUM10_EQ(x, expected);

    // Self-aliasing: the square.
    vnum10 s = vnum10FromMpz(a);
    s.mulAssign(s);
    Mpz square;
    mpz_mul(square.z, a.z, a.z);
    EXPECT_VNUM10_EQ(s, square);
  }
}

TEST(Vnum10Mul, ThresholdNeighboursThroughMulAssign) {
  // Every method limit through mulAssign, with signs and untrimmed operands
  // (the span-level test in mul_kernels_test.cpp compares the methods).
  auto g = rng(512);
  for (int64_t limit : {DEC_SCHOOLBOOK_MAX_LIMBS, decKaratsubaMaxLimbs(false), DEC_TOOM3_PARALLEL_MIN_LIMBS}) {
    for (int64_t total = limit - 2; total <= limit + 2; total += 2) {
      for (int64_t u : {total / 2, total / 3}) {
        const Operands o = randomOperands(g, static_cast<int32_t>(total - u), static_cast<int32_t>(u));
        vnum10 x(o.x);
        x.negate();
        x.growTo(x.len + 1);
        x.mulAssign(o.y);
        Mpz expected = productOf(o);
        mpz_neg(expected.z, expected.z);
        EXPECT_VNUM10_EQ(x, expected);
      }
    }
  }
}

TEST(Vnum10Mul, SquareFlagGivesTheSameLimbs) {
  auto g = rng(513);
  for (int32_t n : {2, 9, 100, 5000}) {
    const Operands o = randomOperands(g, n, 1);
    const vnum10 copy(o.x);
    for (int mode : {0, 1}) {
      vnum10 squared, multiplied;
      vnum10::mulFft(squared, o.x, o.x, mode);
      vnum10::mulFft(multiplied, o.x, copy, mode);
      EXPECT_EQ(squared.differs(multiplied), 0);
      Mpz expected;
      mpz_mul(expected.z, o.a.z, o.a.z);
      EXPECT_VNUM10_EQ(squared, expected);
    }
  }
}

TEST(Vnum10Mul, AtTheConversionsLargestSize) {
  // 190,000 total limbs is about the largest product of the decimal
  // conversion (the top merge of a 5,000,000-bit value).
  constexpr int64_t LARGEST = 190000;
  auto g = rng(515);
  for (int64_t total : {LARGEST, LARGEST + 1}) {
    const int32_t u = static_cast<int32_t>(total / 2);
    const Operands o = randomOperands(g, static_cast<int32_t>(total) - u, u);
    vnum10 product;
    vnum10::mulMagnitudes(product, o.x, o.y);
    EXPECT_VNUM10_EQ(product, productOf(o));
  }
  // Operands of nothing but 99999999 limbs put every coefficient at its
  // maximum, the worst case for the transform's rounding: mulFft may fail,
  // but never silently, and the dispatcher must deliver the exact square.
  constexpr int32_t half = static_cast<int32_t>(LARGEST / 2);
  vnum10 nines;
  nines.growTo(half);
  std::fill(nines.limbs.get(), nines.limbs.get() + half, DEC_LIMB_BASE - 1);
  // (10^(8n) - 1)^2 = 10^(16n) - 2 * 10^(8n) + 1.
  auto expectSquareOfNines = [](const vnum10& square) {
    ASSERT_EQ(square.len, 2 * half);
    EXPECT_EQ(square.limbs[0], 1);
    EXPECT_EQ(square.limbs[half - 1], 0);
    EXPECT_EQ(square.limbs[half], DEC_LIMB_BASE - 2);
    EXPECT_EQ(square.limbs[2 * half - 1], DEC_LIMB_BASE - 1);
    EXPECT_EQ(vnum10Violation(square), "");
  };
  for (int mode : {0, 1}) {
    vnum10 square;
    if (vnum10::mulFft(square, nines, nines, mode) <= FFT_TRUSTED_ROUNDING_ERROR) expectSquareOfNines(square);
  }
  vnum10 square;
  vnum10::mulMagnitudes(square, nines, vnum10(nines));
  expectSquareOfNines(square);
}

TEST(Vnum10Mul, CancelledProductsReturnEarly) {
  auto g = rng(516);
  const Operands o = randomOperands(g, 3000, 2000);
  abortSlot->store(1);
  vnum10 byDispatch, byTransform;
  vnum10::mulMagnitudes(byDispatch, o.x, o.y);
  const double distance = vnum10::mulFft(byTransform, o.x, o.y, 0);
  vnum10 signed_(o.x);
  signed_.negate();
  signed_.mulAssign(o.y);
  abortSlot->store(0);
  EXPECT_EQ(textOf(byDispatch), "0");
  EXPECT_EQ(distance, 0.0);
  EXPECT_EQ(textOf(byTransform), "0");
  // A cancelled signed product is a zero that is still +0.
  EXPECT_EQ(vnum10Violation(signed_), "");
  EXPECT_EQ(textOf(signed_), "0");
}
