// GCD against GMP: the zero and sign rules; every operand shape of
// gcd_support.h at the word and window sizes of the Lehmer step and at
// random sizes below the half-GCD; the half-GCD's own contract (which a
// wrong matrix would break even where the GCD still came out right) on both
// sides of its threshold; aliasing; and cancellation at arbitrary points.
// The threshold of the GCD loop and the 5,000,000-bit cap are in the slow
// test.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "numtheory/functions.h"
#include "numtheory/gcd/limits.h"
#include "platform/abort_flags.h"
#include "tests/support/gcd_support.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(Gcd, SignAndZeroRules) {
  const long table[][3] = {{12, 18, 6}, {-12, 18, 6}, {12, -18, 6}, {-12, -18, 6}, {17, 5, 1}, {-1, -1, 1},
                           {7, 0, 7},   {-7, 0, -7},  {0, 9, 9},    {0, -9, -9},   {0, 0, 0},  {-48, -48, 48}};
  for (const auto& row : table) {
    vnum r(int64_t{row[0]});
    gcd(r, vnum(int64_t{row[1]}));
    SCOPED_TRACE("gcd(" + std::to_string(row[0]) + ", " + std::to_string(row[1]) + ")");
    EXPECT_VNUM_EQ(r, Mpz(row[2]));
  }
  // Powers of two: only the shifts act.
  Mpz b = powerOfTwoPlus(60, 0);
  mpz_mul_ui(b.z, b.z, 3);
  expectGcd(powerOfTwoPlus(100, 0), b);
  expectGcd(powerOfTwoPlus(200000, 0, -1), powerOfTwoPlus(150000, 0));
}

TEST(Gcd, AgreesWithGmpForEveryShape) {
  auto g = rng(501);
  // Around the double word that ends the loop (127 bits) and the window of a
  // Lehmer step, then random sizes up to the half-GCD's threshold.
  std::vector<long> sizes = {200, 250, 3000};
  for (int it = 0; it < iterations(4); ++it)
    sizes.push_back(static_cast<long>(logUniform(g, 200, HALF_GCD_LEHMER_MAX_BITS / 3)));
  for (long bits : sizes) {
    for (GcdShape shape : allGcdShapes) {
      Mpz a, b;
      makeGcdOperands(g, shape, bits, a, b);
      if (g() & 1) mpz_neg(a.z, a.z);
      if (g() & 1) mpz_neg(b.z, b.z);
      if (g() & 1) mpz_swap(a.z, b.z);
      SCOPED_TRACE(std::string(shapeName(shape)) + " of " + std::to_string(bits) + " bits");
      expectGcd(a, b);
    }
  }
  for (long bits : {1L, 2L, 30L, 62L, 63L, 64L, 65L, 126L, 127L, 128L, 129L, 190L}) {
    for (int it = 0; it < 8; ++it) {
      const Mpz a = randomOperand(g, bits), b = randomMpz(g, bits, (g() & 1) != 0, (g() & 1) != 0);
      expectGcd(a, b);
    }
  }
}

TEST(Gcd, WithItselfIsTheMagnitude) {
  auto g = rng(502);
  for (long bits : {1L, 64L, 5000L, GCD_HALF_GCD_MIN_BITS + 1}) {
    Mpz a = randomMpz(g, bits, (g() & 1) != 0, (g() & 1) != 0);
    vnum x = fromMpz(a);
    gcd(x, x);
    mpz_abs(a.z, a.z);
    EXPECT_VNUM_EQ(x, a);
  }
}

TEST(Gcd, HalfGcdKeepsItsContractAroundItsThreshold) {
  auto g = rng(503);
  for (long n : {3000L, HALF_GCD_LEHMER_MAX_BITS - 1, HALF_GCD_LEHMER_MAX_BITS + 1}) {
    for (GcdShape shape : {GcdShape::random, GcdShape::hugeQuotient}) {
      Mpz a, b;
      makeGcdOperands(g, shape, n, a, b);
      if (g() & 1) mpz_swap(a.z, b.z);
      SCOPED_TRACE(shapeName(shape));
      checkHalfGcd(a, b, shape == GcdShape::random);
    }
  }
}

// The flag is raised from another thread after a delay, so that the call
// stops at whatever point it has reached: it leaves its operand as it was,
// or finishes with the right answer if the flag came too late. A flag
// raised before the call must stop it. Afterwards the next call is right.
TEST(Gcd, CancelledAtAnyPointLeavesTheOperand) {
  auto g = rng(504);
  Mpz a, b, expected;
  makeGcdOperands(g, GcdShape::commonFactor, GCD_HALF_GCD_MIN_BITS + 1000, a, b);
  mpz_gcd(expected.z, a.z, b.z);
  const vnum original = fromMpz(a), divisor = fromMpz(b);
  std::atomic<int>* slot = abortSlot;
  for (int delayMicroseconds : {-1, 0, 100, 300, 1000, 3000, 10000, 30000, 100000}) {
    vnum x(original);
    if (delayMicroseconds < 0) slot->store(1);
    std::thread raiser([&] {
      if (delayMicroseconds < 0) return;
      std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds));
      slot->store(1);
    });
    gcd(x, divisor);
    raiser.join();
    slot->store(0);
    SCOPED_TRACE(delayMicroseconds);
    if (delayMicroseconds < 0 || x.compare(original) == 0) {
      EXPECT_EQ(x.compare(original), 0);
    } else {
      EXPECT_VNUM_EQ(x, expected);
    }
  }
  vnum x(original);
  gcd(x, divisor);
  EXPECT_VNUM_EQ(x, expected);
}
