#include "tests/support/gcd_support.h"

#include <algorithm>

#include "numtheory/functions.h"
#include "numtheory/gcd/half_gcd.h"

namespace quorvel::test {

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

// The pair (x, y) with x / y = [1, ..., 1, q, 1, ..., 1], m1 ones before q
// and m2 after, so that Euclid's algorithm meets exactly these quotients.
// A run of m ones maps (x, y) to [F(m+1) F(m); F(m) F(m-1)] (x, y), and q
// maps it to (q x + y, x); the pair is built from the last quotient up.
void fromQuotients(Mpz& x, Mpz& y, unsigned long m1, const Mpz& q, unsigned long m2) {
  mpz_fib2_ui(x.z, y.z, m2 + 1);
  Mpz t(x), f1, f0, fm;
  mpz_mul(x.z, q.z, t.z);
  mpz_add(x.z, x.z, y.z);
  mpz_set(y.z, t.z);
  mpz_fib2_ui(f1.z, f0.z, m1 + 1);  // F(m1+1), F(m1)
  mpz_sub(fm.z, f1.z, f0.z);         // F(m1-1)
  mpz_mul(t.z, f1.z, x.z);
  mpz_addmul(t.z, f0.z, y.z);
  mpz_mul(y.z, y.z, fm.z);
  mpz_addmul(y.z, f0.z, x.z);
  mpz_swap(x.z, t.z);
}

long bitsOf(const Mpz& z) { return static_cast<long>(mpz_sizeinbase(z.z, 2)); }

// Quotients 1 shrink a pair by log2 of the golden ratio per step.
constexpr double BITS_PER_UNIT_QUOTIENT = 0.6942419136;  // log2 of the golden ratio

}  // namespace

const char* shapeName(GcdShape shape) {
  static const char* const names[] = {"random",    "commonFactor", "lopsided",   "trailingZeros",
                                      "fibonacci", "hugeQuotient", "nearlyEqual"};
  return names[static_cast<int>(shape)];
}

void makeGcdOperands(std::mt19937_64& g, GcdShape shape, long bits, Mpz& a, Mpz& b) {
  const bool runs = (g() & 1) != 0;
  switch (shape) {
    case GcdShape::random:
      a = randomMpz(g, bits + static_cast<long>(g() % 64), runs, false);
      b = randomMpz(g, bits, runs, false);
      break;
    case GcdShape::commonFactor: {
      // A factor of a third to all but 100 bits of the operands.
      const long cbits = bits / 3 + static_cast<long>(g() % static_cast<unsigned long>(bits - bits / 3 - 99));
      const Mpz c = randomMpz(g, cbits, runs, false);
      a = randomMpz(g, bits - cbits + 1, runs, false);
      b = randomMpz(g, bits - cbits, runs, false);
      mpz_mul(a.z, a.z, c.z);
      mpz_mul(b.z, b.z, c.z);
      break;
    }
    case GcdShape::lopsided:
      a = randomMpz(g, 4 * bits + static_cast<long>(g() % 1000), runs, false);
      b = randomMpz(g, bits, runs, false);
      break;
    case GcdShape::trailingZeros: {
      const Mpz c = randomMpz(g, bits / 2, runs, false);
      a = randomMpz(g, bits / 4, runs, false);
      b = randomMpz(g, bits / 4, runs, false);
      mpz_mul(a.z, a.z, c.z);
      mpz_mul(b.z, b.z, c.z);
      mpz_mul_2exp(a.z, a.z, static_cast<unsigned long>(bits / 4 + 7));
      mpz_mul_2exp(b.z, b.z, static_cast<unsigned long>(bits / 4));
      break;
    }
    case GcdShape::fibonacci: {
      const unsigned long m = static_cast<unsigned long>(bits / BITS_PER_UNIT_QUOTIENT);
      mpz_fib2_ui(a.z, b.z, m + 1);
      const Mpz c = randomMpz(g, 1 + static_cast<long>(g() % 200), false, false);
      mpz_mul(a.z, a.z, c.z);
      mpz_mul(b.z, b.z, c.z);
      break;
    }
    case GcdShape::hugeQuotient: {
      // A third of the bits in one quotient, placed in the middle of the
      // sequence, where the reduction meets it deep inside its recursion.
      const long qbits = bits / 3;
      const auto ones = static_cast<unsigned long>(static_cast<double>(bits - qbits) / BITS_PER_UNIT_QUOTIENT);
      const unsigned long m1 = ones / 2 + g() % 8;
      fromQuotients(a, b, m1, randomMpz(g, qbits, runs, false), ones - m1);
      break;
    }
    case GcdShape::nearlyEqual:
      b = randomMpz(g, bits, runs, false);
      mpz_add(a.z, b.z, randomMpz(g, static_cast<long>(1 + g() % 100), false, false).z);
      break;
  }
}

void expectGcd(const Mpz& a, const Mpz& b) {
  vnum r = fromMpz(a);
  gcd(r, fromMpz(b));
  SCOPED_TRACE("a=" + a.hex() + "\n b=" + b.hex());
  EXPECT_VNUM_EQ(r, reference(a, b));
}

void checkHalfGcd(const Mpz& a, const Mpz& b, bool random) {
  const long n = std::max(bitsOf(a), bitsOf(b));
  const long s = n / 2 + 1;
  vnum x = fromMpz(a), y = fromMpz(b);
  CofactorMatrix M;
  SCOPED_TRACE("n=" + std::to_string(n));
  ASSERT_TRUE(halfGcd(x, y, &M));
  const Mpz m00 = toMpz(M.m00), m01 = toMpz(M.m01), m10 = toMpz(M.m10), m11 = toMpz(M.m11);
  const Mpz x1 = toMpz(x), y1 = toMpz(y);
  Mpz t;
  mpz_mul(t.z, m00.z, x1.z);
  mpz_addmul(t.z, m01.z, y1.z);
  EXPECT_EQ(mpz_cmp(t.z, a.z), 0) << "first row";
  mpz_mul(t.z, m10.z, x1.z);
  mpz_addmul(t.z, m11.z, y1.z);
  EXPECT_EQ(mpz_cmp(t.z, b.z), 0) << "second row";
  mpz_mul(t.z, m00.z, m11.z);
  mpz_submul(t.z, m01.z, m10.z);
  EXPECT_EQ(mpz_cmp_ui(t.z, 1), 0) << "determinant";
  for (const Mpz* m : {&m00, &m01, &m10, &m11}) {
    EXPECT_GE(mpz_sgn(m->z), 0);
    EXPECT_LE(bitsOf(*m), n - s);
  }
  EXPECT_GT(bitsOf(x1), s);
  EXPECT_GT(bitsOf(y1), s);
  mpz_sub(t.z, x1.z, y1.z);
  EXPECT_LE(bitsOf(t), s) << "a step is left";
  if (random) {
    EXPECT_LE(std::max(bitsOf(x1), bitsOf(y1)), s + 64) << "stopped early";
  }
}

}  // namespace quorvel::test
