// GCD against GMP: the zero and sign rules; operand shapes that drive each
// path (common factors, coprime values, lopsided sizes, powers of two,
// Fibonacci neighbours whose quotients are all 1, a huge quotient inside a
// long run of small ones, values within a few bits of each other) on both
// sides of every threshold; aliasing; the half-GCD's own contract, which a
// wrong matrix would break even where the GCD still came out right; and
// cancellation at arbitrary points.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "numtheory/functions.h"
#include "numtheory/functions_limits.h"
#include "numtheory/half_gcd.h"
#include "platform/abort_flags.h"
#include "tests/support/vnum_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// gcd with the zero rules: a zero operand leaves the other as it is.
Mpz reference(const Mpz& a, const Mpz& b) {
  Mpz r;
  if (mpz_sgn(b.z) == 0)
    mpz_set(r.z, a.z);
  else if (mpz_sgn(a.z) == 0)
    mpz_set(r.z, b.z);
  else
    mpz_gcd(r.z, a.z, b.z);
  return r;
}

void expectGcd(const Mpz& a, const Mpz& b) {
  vnum r = fromMpz(a);
  gcd(r, fromMpz(b));
  SCOPED_TRACE("a=" + a.hex() + " b=" + b.hex());
  EXPECT_VNUM_EQ(r, reference(a, b));
}

// The pair (x, y) with x / y = [q1; q2, ..., qm], built from the last
// quotient up: Euclid's algorithm on it meets exactly these quotients.
void fromQuotients(Mpz& x, Mpz& y, const std::vector<Mpz>& quotients) {
  mpz_set_ui(x.z, 1);
  mpz_set_ui(y.z, 0);
  Mpz t;
  for (auto q = quotients.rbegin(); q != quotients.rend(); ++q) {
    mpz_set(t.z, x.z);
    mpz_mul(x.z, q->z, t.z);
    mpz_add(x.z, x.z, y.z);
    mpz_set(y.z, t.z);
  }
}

enum class Shape { random, commonFactor, lopsided, trailingZeros, fibonacci, hugeQuotient, nearlyEqual };
const Shape allShapes[] = {Shape::random,    Shape::commonFactor, Shape::lopsided,   Shape::trailingZeros,
                           Shape::fibonacci, Shape::hugeQuotient, Shape::nearlyEqual};

// Positive a, b of about `bits` bits (b exactly `bits` where the shape allows).
void makeOperands(std::mt19937_64& g, Shape shape, long bits, Mpz& a, Mpz& b) {
  const bool runs = (g() & 1) != 0;
  switch (shape) {
    case Shape::random:
      a = randomMpz(g, bits + static_cast<long>(g() % 64), runs, false);
      b = randomMpz(g, bits, runs, false);
      break;
    case Shape::commonFactor: {
      // A factor of a third to all but 100 bits of the operands.
      const long cbits = bits / 3 + static_cast<long>(g() % static_cast<unsigned long>(bits - bits / 3 - 99));
      const Mpz c = randomMpz(g, cbits, runs, false);
      a = randomMpz(g, bits - cbits + 1, runs, false);
      b = randomMpz(g, bits - cbits, runs, false);
      mpz_mul(a.z, a.z, c.z);
      mpz_mul(b.z, b.z, c.z);
      break;
    }
    case Shape::lopsided:
      a = randomMpz(g, 4 * bits + static_cast<long>(g() % 1000), runs, false);
      b = randomMpz(g, bits, runs, false);
      break;
    case Shape::trailingZeros: {
      const Mpz c = randomMpz(g, bits / 2, runs, false);
      a = randomMpz(g, bits / 4, runs, false);
      b = randomMpz(g, bits / 4, runs, false);
      mpz_mul(a.z, a.z, c.z);
      mpz_mul(b.z, b.z, c.z);
      mpz_mul_2exp(a.z, a.z, static_cast<unsigned long>(bits / 4 + 7));
      mpz_mul_2exp(b.z, b.z, static_cast<unsigned long>(bits / 4));
      break;
    }
    case Shape::fibonacci: {
      // F(m+1) and F(m) times a common factor: m quotients of 1.
      const unsigned long m = static_cast<unsigned long>(bits / 0.6942);
      mpz_fib2_ui(a.z, b.z, m + 1);
      const Mpz c = randomMpz(g, 1 + static_cast<long>(g() % 200), false, false);
      mpz_mul(a.z, a.z, c.z);
      mpz_mul(b.z, b.z, c.z);
      break;
    }
    case Shape::hugeQuotient: {
      // Quotients 1, ..., 1, Q, 1, ..., 1 with Q of a third of the bits:
      // the long quotient falls deep inside the reduction.
      const long qbits = bits / 3;
      std::vector<Mpz> quotients(static_cast<size_t>((bits - qbits) / 0.6942), Mpz(1));
      quotients[quotients.size() / 2 + g() % 8] = randomMpz(g, qbits, runs, false);
      fromQuotients(a, b, quotients);
      break;
    }
    case Shape::nearlyEqual:
      b = randomMpz(g, bits, runs, false);
      mpz_add(a.z, b.z, randomMpz(g, static_cast<long>(1 + g() % 100), false, false).z);
      break;
  }
}

// Applies a random sign to each operand and swaps them half the time.
void shuffleSigns(std::mt19937_64& g, Mpz& a, Mpz& b) {
  if (g() & 1) mpz_neg(a.z, a.z);
  if (g() & 1) mpz_neg(b.z, b.z);
  if (g() & 1) mpz_swap(a.z, b.z);
}

long bitsOf(const Mpz& z) { return static_cast<long>(mpz_sizeinbase(z.z, 2)); }

}  // namespace

TEST(Gcd, SignAndZeroRules) {
  const long table[][3] = {{12, 18, 6}, {-12, 18, 6}, {12, -18, 6}, {-12, -18, 6}, {17, 5, 1}, {-1, -1, 1},
                           {7, 0, 7},   {-7, 0, -7},  {0, 9, 9},    {0, -9, -9},   {0, 0, 0},  {-48, -48, 48}};
  for (const auto& row : table) {
    vnum r(int64_t{row[0]});
    gcd(r, vnum(int64_t{row[1]}));
    SCOPED_TRACE("gcd(" + std::to_string(row[0]) + ", " + std::to_string(row[1]) + ")");
    EXPECT_VNUM_EQ(r, Mpz(row[2]));
  }
  // Powers of two and values with long runs of trailing zeros.
  expectGcd(powerOfTwoPlus(100, 0), powerOfTwoPlus(60, 0));
  Mpz b = powerOfTwoPlus(60, 0);
  mpz_mul_ui(b.z, b.z, 3);
  expectGcd(powerOfTwoPlus(100, 0), b);
  expectGcd(powerOfTwoPlus(200000, 0, -1), powerOfTwoPlus(150000, 0));
}

TEST(Gcd, AgreesWithGmpForEveryShapeAcrossThresholds) {
  auto g = rng(501);
  std::vector<long> sizes = {2, 31, 62, 63, 64, 65, 200, 3000};
  for (long t : {HALF_GCD_LEHMER_MAX_BITS, GCD_HALF_GCD_MIN_BITS, 2 * HALF_GCD_LEHMER_MAX_BITS})
    for (long d : {-1L, 0L, 1L}) sizes.push_back(t + d);
  for (int it = 0; it < iterations(6); ++it)
    sizes.push_back(static_cast<long>(logUniform(g, 64, 4 * GCD_HALF_GCD_MIN_BITS)));
  for (long bits : sizes) {
    for (Shape shape : allShapes) {
      if (bits < 200 && (shape == Shape::commonFactor || shape == Shape::hugeQuotient)) continue;
      Mpz a, b;
      makeOperands(g, shape, bits, a, b);
      shuffleSigns(g, a, b);
      SCOPED_TRACE("bits=" + std::to_string(bits) + " shape=" + std::to_string(static_cast<int>(shape)));
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

// halfGcd's contract: (a, b) = M (a', b') with M non-negative of determinant
// 1 and entries below 2^(n-s), a', b' >= 2^s, |a' - b'| < 2^s (no step
// left), and for random operands a', b' near 2^s rather than near 2^n.
TEST(Gcd, HalfGcdReducesToHalfWithAValidMatrix) {
  auto g = rng(503);
  const long T = HALF_GCD_LEHMER_MAX_BITS;
  for (long n : {T - 1, T, T + 1, 2 * T - 1, 2 * T + 1, 4 * T + static_cast<long>(g() % 1000)}) {
    for (Shape shape : {Shape::random, Shape::fibonacci, Shape::hugeQuotient}) {
      Mpz a, b;
      makeOperands(g, shape, n, a, b);
      if (g() & 1) mpz_swap(a.z, b.z);
      const long bits = std::max(bitsOf(a), bitsOf(b));
      const long s = bits / 2 + 1;
      vnum x = fromMpz(a), y = fromMpz(b);
      CofactorMatrix M;
      const bool progress = halfGcd(x, y, &M);
      SCOPED_TRACE("n=" + std::to_string(bits) + " shape=" + std::to_string(static_cast<int>(shape)));
      ASSERT_TRUE(progress);
      const Mpz m00 = toMpz(M.m00), m01 = toMpz(M.m01), m10 = toMpz(M.m10), m11 = toMpz(M.m11);
      const Mpz x1 = toMpz(x), y1 = toMpz(y);
      Mpz t, det;
      mpz_mul(t.z, m00.z, x1.z);
      mpz_addmul(t.z, m01.z, y1.z);
      EXPECT_EQ(mpz_cmp(t.z, a.z), 0);
      mpz_mul(t.z, m10.z, x1.z);
      mpz_addmul(t.z, m11.z, y1.z);
      EXPECT_EQ(mpz_cmp(t.z, b.z), 0);
      mpz_mul(det.z, m00.z, m11.z);
      mpz_submul(det.z, m01.z, m10.z);
      EXPECT_EQ(mpz_cmp_ui(det.z, 1), 0);
      for (const Mpz* m : {&m00, &m01, &m10, &m11}) {
        EXPECT_GE(mpz_sgn(m->z), 0);
        EXPECT_LE(bitsOf(*m), bits - s);
      }
      EXPECT_GT(bitsOf(x1), s);
      EXPECT_GT(bitsOf(y1), s);
      mpz_sub(t.z, x1.z, y1.z);
      EXPECT_LE(bitsOf(t), s);
      if (shape == Shape::random) EXPECT_LE(std::max(bitsOf(x1), bitsOf(y1)), s + 64);
    }
  }
}

// The flag is raised from another thread after a delay, so that the call
// stops at whatever point it has reached: it leaves its operand as it was,
// or finishes with the right answer if the flag came too late. A flag
// raised before the call must stop it. Afterwards the next call is right.
TEST(Gcd, CancelledAtAnyPointLeavesTheOperand) {
  auto g = rng(504);
  Mpz a, b;
  makeOperands(g, Shape::commonFactor, 4 * GCD_HALF_GCD_MIN_BITS, a, b);
  const Mpz expected = reference(a, b);
  const vnum original = fromMpz(a), divisor = fromMpz(b);
  std::atomic<int>* slot = abortSlot;
  for (int delayMicroseconds : {-1, 0, 100, 300, 1000, 3000, 10000, 30000}) {
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
