// The largest sizes: division of 5,000,000-bit dividends, "Exp" at the cap,
// and reading 1.5 million decimal digits.
#include <gtest/gtest.h>

#include <string>

#include "numtheory/numtheory.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Against GMP, then q*b + r = a by our own product and |r| < |b|.
void checkDivision(const Mpz& a, const Mpz& b) {
  Mpz q, r;
  mpz_tdiv_qr(q.z, r.z, a.z, b.z);
  vnum quotient = fromMpz(a), remainder = fromMpz(a);
  divide(quotient, fromMpz(b));
  modulo(remainder, fromMpz(b));
  EXPECT_VNUM_EQ(quotient, q);
  EXPECT_VNUM_EQ(remainder, r);
  EXPECT_VNUM_EQ(quotient * fromMpz(b) + remainder, a);
  EXPECT_LT(mpz_cmpabs(toMpz(remainder).z, b.z), 0);
}

Mpz negated(const Mpz& a) {
  Mpz n;
  mpz_neg(n.z, a.z);
  return n;
}

}  // namespace

// 5,000,000 by 2,500,000 bits in all four sign pairs, and an exact division
// of that size (the quotient-only path must form its last remainder); a
// divisor of all ones just below 2^2,500,000; short divisors on both sides
// of the long-division rule (1,006 and 1,007 limbs against a quotient of
// 165,660: 1,007 takes some 30 reciprocal blocks), a quotient of 1,000 bits
// under a divisor of nearly full length, and one with two million trailing
// zero bits.
TEST(NumtheorySlow, DivisionAtTheCap) {
  auto g = rng(701);
  const Mpz a = randomMpz(g, 5000000, false, false);
  const Mpz half = randomMpz(g, 2500000, false, false);
  for (const Mpz& x : {a, negated(a)})
    for (const Mpz& y : {half, negated(half)}) checkDivision(x, y);
  Mpz exact = randomMpz(g, 2500000, true, false);
  mpz_mul(exact.z, exact.z, half.z);
  checkDivision(exact, half);
  Mpz ones;
  mpz_ui_pow_ui(ones.z, 2, 2500000);
  mpz_sub_ui(ones.z, ones.z, 1);
  checkDivision(negated(a), ones);
  for (long lb : {30180L, 30210L, 4999000L}) {
    SCOPED_TRACE("lb=" + std::to_string(lb));
    checkDivision(a, randomMpz(g, lb, g() & 1, g() & 1));
  }
  Mpz shifted = randomMpz(g, 1000000, true, false);
  mpz_setbit(shifted.z, 0);
  mpz_mul_2exp(shifted.z, shifted.z, 2000000);
  checkDivision(negated(a), shifted);
}

TEST(NumtheorySlow, ExpAtTheCap) {
  // 10^1505149 has 4,999,999 bits and is computed; 10^1505150 is refused.
  Mpz expected;
  mpz_ui_pow_ui(expected.z, 10, 1505149);
  EXPECT_VNUM_EQ(exponentScale(vnum(int32_t{1}), vnum(int32_t{1505149})), expected);
  std::string refusal;
  try {
    exponentScale(vnum(int32_t{1}), vnum(int32_t{1505150}));
  } catch (const char* message) {
    refusal = message;
  }
  EXPECT_EQ(refusal, MSG_SCALE_OVER);
  // A 5,000,000-bit value scaled down by a million digits.
  auto g = rng(702);
  const Mpz x = randomMpz(g, 5000000, false, true);
  mpz_ui_pow_ui(expected.z, 10, 1000000);
  mpz_tdiv_q(expected.z, x.z, expected.z);
  EXPECT_VNUM_EQ(exponentScale(fromMpz(x), vnum(int32_t{-1000000})), expected);
}

TEST(NumtheorySlow, ReadingMillionsOfDigits) {
  auto g = rng(703);
  std::string digits(1505000, '0');
  for (char& c : digits) c = static_cast<char>('1' + g() % 9);
  EXPECT_VNUM_EQ(parseNumberText(digits.c_str()), Mpz(digits.c_str(), 10));
  // The largest all-nines text within the cap, and one digit more.
  const std::string nines(1505149, '9');
  EXPECT_VNUM_EQ(parseNumberText(("-" + nines).c_str()), negated(Mpz(nines.c_str(), 10)));
  std::string refusal;
  try {
    parseNumberText((nines + "9").c_str());
  } catch (const char* message) {
    refusal = message;
  }
  EXPECT_EQ(refusal, MSG_SCALE_OVER);
}
