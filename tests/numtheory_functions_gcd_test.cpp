// Binary GCD: the zero and sign rules, shared powers of two, random operands
// of all four sign pairs against GMP, aliasing and the cancelled loop.
#include <gtest/gtest.h>

#include "numtheory/functions.h"
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
  Mpz a, b;
  mpz_setbit(a.z, 100);
  mpz_setbit(b.z, 60);
  mpz_mul_ui(b.z, b.z, 3);
  expectGcd(a, b);  // 2^60
  expectGcd(b, a);
}

TEST(Gcd, AgreesWithGmpForAllSignPairs) {
  auto g = rng(501);
  for (int it = 0; it < iterations(300); ++it) {
    const long maxBits = it % 20 == 0 ? 20000 : 2000;
    Mpz a = randomOperand(g, maxBits), b = randomOperand(g, maxBits);
    // Mostly with a common factor and a shared power of two, so that the
    // answer is more than 1 and the final shift matters.
    if (it % 3 != 0) {
      const Mpz c = randomMpz(g, static_cast<long>(logUniform(g, 1, 300)), it % 2 == 0, false);
      const unsigned long shift = g() % 80;
      mpz_mul(a.z, a.z, c.z);
      mpz_mul(b.z, b.z, c.z);
      mpz_mul_2exp(a.z, a.z, shift + g() % 3);
      mpz_mul_2exp(b.z, b.z, shift + g() % 3);
    }
    expectGcd(a, b);
  }
}

TEST(Gcd, WithItselfIsTheMagnitude) {
  auto g = rng(502);
  for (int it = 0; it < iterations(20); ++it) {
    Mpz a = randomMpz(g, static_cast<long>(logUniform(g, 1, 5000)), it % 2 == 0, it % 3 == 0);
    vnum x = fromMpz(a);
    gcd(x, x);
    mpz_abs(a.z, a.z);
    EXPECT_VNUM_EQ(x, a);
  }
}

TEST(Gcd, CancelledLoopLeavesTheOperand) {
  Mpz a, b;
  mpz_fib2_ui(a.z, b.z, 3000);  // neighbouring Fibonacci numbers: many rounds
  const vnum original = fromMpz(a);
  vnum x(original);
  abortSlot->store(1);
  gcd(x, fromMpz(b));
  abortSlot->store(0);
  EXPECT_EQ(x.compare(original), 0);
}
