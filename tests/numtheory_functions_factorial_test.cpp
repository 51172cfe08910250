// n!, nPr and nCr: the refusals and their order, factorials against GMP,
// P(n, r) for n in every range of the chunk rules (the 63-bit guard, n of
// 2^24 and more, n beyond a word), binomials against GMP, the size guard
// and the cancelled product tree.
#include <gtest/gtest.h>

#include "numtheory/functions.h"
#include "numtheory/functions_limits.h"
#include "platform/abort_flags.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// n (n-1) ... (n-r+1), one factor at a time.
Mpz fallingReference(const Mpz& n, long r) {
  Mpz p(1), factor(n);
  for (long i = 0; i < r; ++i, mpz_sub_ui(factor.z, factor.z, 1)) mpz_mul(p.z, p.z, factor.z);
  return p;
}

}  // namespace

TEST(Factorial, RefusalsComeInTheirOrder) {
  const vnum tooBig = v(FALLING_FACTORIAL_MAX_R + 1);
  const struct {
    vnum n, r;
    const char* message;
  } cases[] = {
      {v(-1), v(0), MSG_NEGATIVE_VALUE}, {v(5), v(-1), MSG_NEGATIVE_VALUE},   {v(-3), tooBig, MSG_NEGATIVE_VALUE},
      {v(5), v(6), MSG_BAD_ARGUMENT},    {v(5), tooBig, MSG_BAD_ARGUMENT},    {v(2000000), tooBig, MSG_TOO_BIG_VALUE},
      {fromMpz(powerOfTwoPlus(100, 0)), tooBig, MSG_TOO_BIG_VALUE},
  };
  for (const auto& c : cases) {
    vnum result(int32_t{42});
    EXPECT_STREQ(thrownMessage([&] { fallingFactorial(result, c.n, c.r); }), c.message);
    EXPECT_STREQ(thrownMessage([&] { permutations(c.n, c.r); }), c.message);
    EXPECT_STREQ(thrownMessage([&] { combinations(c.n, c.r); }), c.message);
    EXPECT_VNUM_EQ(result, Mpz(42));
  }
  EXPECT_STREQ(thrownMessage([] { factorial(v(-1)); }), MSG_NEGATIVE_VALUE);
}

TEST(Factorial, FactorialsAndSmallTablesAgreeWithGmp) {
  for (long n : {0L, 1L, 2L, 19L, 20L, 21L, 22L, 1000L, 1001L, 100000L}) {
    Mpz expected;
    mpz_fac_ui(expected.z, static_cast<unsigned long>(n));
    SCOPED_TRACE(n);
    EXPECT_VNUM_EQ(factorial(v(n)), expected);
  }
  const long nPr[][3] = {{5, 0, 1}, {5, 2, 20}, {5, 5, 120}, {0, 0, 1}, {21, 1, 21}, {30, 3, 24360}};
  for (const auto& row : nPr) EXPECT_VNUM_EQ(permutations(v(row[0]), v(row[1])), Mpz(row[2]));
  const long nCr[][3] = {{5, 2, 10}, {52, 5, 2598960}, {7, 0, 1}, {7, 7, 1}, {0, 0, 1}, {21, 10, 352716}};
  for (const auto& row : nCr) EXPECT_VNUM_EQ(combinations(v(row[0]), v(row[1])), Mpz(row[2]));
}

TEST(Factorial, PermutationsTakeEveryFactorFromTheWholeOfN) {
  // n below 2^23 (flushes at 2^40 only), from 2^23 (a chunk times a factor
  // could pass 2^63), 2^24 and 2^31 (beyond one limb), around 2^63 and far
  // beyond a word; r up to a few thousand, so the tree has many levels.
  auto g = rng(601);
  std::vector<Mpz> ns;
  for (long e : {22L, 23L, 24L, 31L, 32L, 40L, 62L, 63L, 64L, 200L, 3000L})
    for (long add : {-1L, 0L, 1L, 12345L}) ns.push_back(powerOfTwoPlus(e, add));
  for (int it = 0; it < iterations(12); ++it) ns.push_back(Mpz(static_cast<long>(logUniform(g, 21, 1L << 40))));
  for (const Mpz& n : ns) {
    const long longRun = mpz_sizeinbase(n.z, 2) <= 64 ? static_cast<long>(logUniform(g, 334, 5000)) : 3;
    for (long r : {1L, 2L, 7L, 40L, 333L, longRun}) {
      if (mpz_cmp_ui(n.z, static_cast<unsigned long>(r)) < 0) continue;
      SCOPED_TRACE("n=" + n.hex() + " r=" + std::to_string(r));
      EXPECT_VNUM_EQ(permutations(fromMpz(n), v(r)), fallingReference(n, r));
    }
  }
  for (long n : {21L, 22L, 23L, 64L, 65L, 4097L}) EXPECT_VNUM_EQ(permutations(v(n), v(n)), fallingReference(Mpz(n), n));
}

TEST(Factorial, CombinationsAgreeWithGmp) {
  auto g = rng(603);
  for (int it = 0; it < iterations(40); ++it) {
    const Mpz n = it % 4 ? Mpz(static_cast<long>(logUniform(g, 1, 30000)))
                         : randomMpz(g, static_cast<long>(logUniform(g, 24, 200)), it % 8 == 0, false);
    long r = static_cast<long>(logUniform(g, 1, 3000));
    if (mpz_cmp_ui(n.z, static_cast<unsigned long>(r)) < 0) r = static_cast<long>(mpz_get_ui(n.z));
    Mpz expected;
    mpz_bin_ui(expected.z, n.z, static_cast<unsigned long>(r));
    SCOPED_TRACE("n=" + n.hex() + " r=" + std::to_string(r));
    EXPECT_VNUM_EQ(combinations(fromMpz(n), v(r)), expected);
  }
}

TEST(Factorial, ResultsCertainToPassTheCapAreRefusedBeforeAnyWork) {
  // 2000000 nPr 1048576 passes the argument checks but has ~21,000,000 bits.
  EXPECT_STREQ(thrownMessage([] { permutations(v(2000000), v(FALLING_FACTORIAL_MAX_R)); }), MSG_SCALE_OVER);
  // One factor of 5,000,000 bits is fine, two are not.
  const Mpz wideValue = powerOfTwoPlus(scaleLimitBits - 1, 1);
  const vnum wide = fromMpz(wideValue);
  EXPECT_VNUM_EQ(permutations(wide, v(1)), wideValue);
  EXPECT_VNUM_EQ(combinations(wide, v(1)), wideValue);
  EXPECT_STREQ(thrownMessage([&] { permutations(wide, v(2)); }), MSG_SCALE_OVER);
  EXPECT_STREQ(thrownMessage([&] { combinations(wide, v(2)); }), MSG_SCALE_OVER);
  // 2^100 nPr 60000 has 6,000,000 bits; nCr takes off only log2(60000!).
  const vnum hundred = fromMpz(powerOfTwoPlus(100, 0));
  EXPECT_STREQ(thrownMessage([&] { permutations(hundred, v(60000)); }), MSG_SCALE_OVER);
  EXPECT_STREQ(thrownMessage([&] { combinations(hundred, v(60000)); }), MSG_SCALE_OVER);
}

TEST(Factorial, CancelledTreeLeavesTheResult) {
  // Word chunks of small and large factors, and factors beyond a word.
  const std::pair<vnum, vnum> cases[] = {{v(1000), v(50)}, {v(100000), v(100000)}, {fromMpz(powerOfTwoPlus(100, 0)), v(50)}};
  for (const auto& [n, r] : cases) {
    vnum result(int32_t{42});
    abortSlot->store(1);
    fallingFactorial(result, n, r);
    abortSlot->store(0);
    EXPECT_VNUM_EQ(result, Mpz(42));
  }
}
