// The largest sizes: roots of 5,000,000-bit values, the largest n! within
// the cap and P(n, n) up to the engine's limit, nPr and nCr at the edges of
// the cap and of r, modular powers across the switch to vnum products, a
// power and a modular power of the benchmark's sizes, and GCDs across the
// loop's threshold, through the deeper half-GCD levels and at the cap.
#include <gtest/gtest.h>

#include <cmath>

#include "numtheory/factorials/limits.h"
#include "numtheory/functions.h"
#include "numtheory/gcd/limits.h"
#include "numtheory/powers/limits.h"
#include "tests/support/gcd_support.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

long bitsOf(const Mpz& z) { return static_cast<long>(mpz_sizeinbase(z.z, 2)); }

// log2 C(n, r) from lgamma, for choosing operands near the cap.
double log2Binomial(double n, double r) {
  return (std::lgamma(n + 1) - std::lgamma(r + 1) - std::lgamma(n - r + 1)) / std::log(2.0);
}

}  // namespace

TEST(FunctionsSlow, SquareRootsAtTheCap) {
  auto g = rng(701);
  const Mpz x = randomMpz(g, scaleLimitBits, false, false);
  Mpz s, r;
  mpz_sqrtrem(s.z, r.z, x.z);
  vnum root, rest;
  squareRoot(root, fromMpz(x), rest);
  EXPECT_VNUM_EQ(root, s);
  EXPECT_VNUM_EQ(rest, r);

  // k^2 - 1, k^2, k^2 + 1 with k of 2,500,000 bits: roots k - 1, k, k.
  const Mpz k = randomMpz(g, scaleLimitBits / 2, true, false);
  Mpz square;
  mpz_mul(square.z, k.z, k.z);
  for (long d : {-1L, 0L, 1L}) {
    Mpz y(square), expected(k);
    if (d < 0) mpz_sub_ui(y.z, y.z, 1);
    if (d > 0) mpz_add_ui(y.z, y.z, 1);
    if (d < 0) mpz_sub_ui(expected.z, expected.z, 1);
    squareRoot(root, fromMpz(y), rest);
    SCOPED_TRACE(d);
    EXPECT_VNUM_EQ(root, expected);
  }
}

TEST(FunctionsSlow, FactorialsAtTheCapAndUpToTheEngineLimit) {
  // The largest n! within the cap comes from the key; P(n, n) computes the
  // larger ones that the key refuses, up to the engine's limit.
  Mpz expected;
  mpz_fac_ui(expected.z, 298593);
  ASSERT_EQ(bitsOf(expected), 4999988);
  EXPECT_VNUM_EQ(factorial(v(298593)), expected);
  for (long n : {300000L, 1000000L}) {
    mpz_fac_ui(expected.z, static_cast<unsigned long>(n));
    vnum result;
    fallingFactorial(result, v(n), v(n));
    SCOPED_TRACE(n);
    EXPECT_VNUM_EQ(result, expected);
  }
}

TEST(FunctionsSlow, LargestR) {
  Mpz expected;
  mpz_bin_uiui(expected.z, 2000000, FALLING_FACTORIAL_MAX_R);
  EXPECT_VNUM_EQ(combinations(v(2000000), v(FALLING_FACTORIAL_MAX_R)), expected);
  EXPECT_STREQ(thrownMessage([] { combinations(v(2000000), v(FALLING_FACTORIAL_MAX_R + 1)); }), MSG_TOO_BIG_VALUE);
}

TEST(FunctionsSlow, PermutationsAndCombinationsAtTheCap) {
  // The largest r with 1,000,000 nPr r inside the cap is computed; a few
  // factors more (each about 20 bits) are refused before any product.
  const long n = 1000000;
  long r = 0;
  while (log2Binomial(n, r + 1) + std::lgamma(r + 2.0) / std::log(2.0) < scaleLimitBits - 30) ++r;
  Mpz expected, lower;
  mpz_fac_ui(expected.z, static_cast<unsigned long>(n));
  mpz_fac_ui(lower.z, static_cast<unsigned long>(n - r));
  mpz_divexact(expected.z, expected.z, lower.z);
  ASSERT_LE(bitsOf(expected), scaleLimitBits);
  ASSERT_GT(bitsOf(expected), scaleLimitBits - 60);
  EXPECT_VNUM_EQ(permutations(v(n), v(r)), expected);
  EXPECT_STREQ(thrownMessage([&] { permutations(v(n), v(r + 10)); }), MSG_SCALE_OVER);

  // nCr is measured by the binomial, not by P(n, r): with r = 250,000 the
  // largest n whose binomial fits (about 96,000,000) has P(n, r) of about
  // 6,600,000 bits. n larger by a thousandth adds some 360 bits.
  const long k = 250000;
  long m = 2 * k, above = 1L << 40;
  while (above - m > 1) {
    const long mid = m + (above - m) / 2;
    (log2Binomial(mid, k) < scaleLimitBits - 30 ? m : above) = mid;
  }
  mpz_bin_uiui(expected.z, static_cast<unsigned long>(m), static_cast<unsigned long>(k));
  ASSERT_LE(bitsOf(expected), scaleLimitBits);
  EXPECT_VNUM_EQ(combinations(v(m), v(k)), expected);
  EXPECT_STREQ(thrownMessage([&] { combinations(v(m + m / 1000), v(k)); }), MSG_SCALE_OVER);
}

TEST(FunctionsSlow, ModularPowerAcrossTheSwitchToProducts) {
  // Moduli on both sides of the switch from word spans to vnum products,
  // random and all ones, with bases above the modulus.
  auto g = rng(703);
  const long T = MODPOW_WORD_MAX_BITS;
  for (long bits : {T - 1, T, T + 1}) {
    for (bool ones : {false, true}) {
      Mpz N = ones ? powerOfTwoPlus(bits, -1) : randomMpz(g, bits, true, false), expected;
      mpz_setbit(N.z, 0);
      const Mpz x = randomMpz(g, bits + 5, false, false), y = randomMpz(g, 12, false, false);
      ModulusRecord record;
      setModulus(record, fromMpz(N));
      mpz_powm(expected.z, x.z, y.z, N.z);
      SCOPED_TRACE(bits);
      EXPECT_VNUM_EQ(modularPower(fromMpz(x), fromMpz(y), record), expected);
    }
  }
}

TEST(FunctionsSlow, PowerAndModularPowerOfBenchmarkSizes) {
  Mpz expected;
  mpz_ui_pow_ui(expected.z, 3, 3000000);
  EXPECT_VNUM_EQ(power(v(3), v(3000000)), expected);
  mpz_mul_si(expected.z, expected.z, -3);
  EXPECT_VNUM_EQ(power(v(-3), v(3000001)), expected);

  auto g = rng(702);
  Mpz N = randomMpz(g, 4096, false, false);
  mpz_setbit(N.z, 0);
  const Mpz x = randomMpz(g, 4096, false, false), y = randomMpz(g, 4096, false, false);
  ModulusRecord record;
  setModulus(record, fromMpz(N));
  mpz_powm(expected.z, x.z, y.z, N.z);
  EXPECT_VNUM_EQ(modularPower(fromMpz(x), fromMpz(y), record), expected);
}

// The smaller operand just below, at and above the size from which the loop
// hands the whole values to halfGcd.
TEST(FunctionsSlow, GcdAcrossTheHalfGcdThreshold) {
  auto g = rng(706);
  const long T = GCD_HALF_GCD_MIN_BITS;
  const struct {
    long bits;
    GcdShape shape;
  } cases[] = {{T - 1, GcdShape::random},       {T - 1, GcdShape::fibonacci},   {T, GcdShape::commonFactor},
               {T, GcdShape::hugeQuotient},     {T + 1, GcdShape::random},      {T + 1, GcdShape::nearlyEqual},
               {T + 1, GcdShape::trailingZeros}};
  for (const auto& c : cases) {
    Mpz a, b;
    makeGcdOperands(g, c.shape, c.bits, a, b);
    if (g() & 1) mpz_neg(b.z, b.z);
    SCOPED_TRACE(std::string(shapeName(c.shape)) + " of " + std::to_string(c.bits) + " bits");
    expectGcd(a, b);
  }
}

// Where a half-GCD's sub-calls recurse themselves (twice the threshold and
// more), with the quotient sequences that stress the splits most.
TEST(FunctionsSlow, HalfGcdContractAtDeeperLevels) {
  auto g = rng(704);
  const long T = HALF_GCD_LEHMER_MAX_BITS;
  for (long n : {2 * T - 1, 2 * T + 1, 4 * T + static_cast<long>(g() % 1000)}) {
    for (GcdShape shape : {GcdShape::random, GcdShape::fibonacci, GcdShape::hugeQuotient}) {
      Mpz a, b;
      makeGcdOperands(g, shape, n, a, b);
      SCOPED_TRACE(shapeName(shape));
      checkHalfGcd(a, b, shape == GcdShape::random);
    }
  }
}

TEST(FunctionsSlow, GcdAtTheCap) {
  auto g = rng(705);
  for (GcdShape shape : {GcdShape::commonFactor, GcdShape::fibonacci}) {
    Mpz a, b;
    makeGcdOperands(g, shape, scaleLimitBits - 200, a, b);
    ASSERT_LE(bitsOf(a), scaleLimitBits);
    SCOPED_TRACE(shapeName(shape));
    expectGcd(a, b);
  }
  // A cap-sized value and one of a fifth of it, the smaller negative.
  Mpz a = randomMpz(g, scaleLimitBits, false, false), b = randomMpz(g, scaleLimitBits / 5, true, true);
  expectGcd(a, b);
}
