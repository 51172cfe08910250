// n!, nPr and nCr: the refusals and their order, the sieve and the word
// product against GMP, factorials, P(n, r) and binomials on every path and
// both sides of every switch between paths, the size guards (the n! at the
// edge of the cap among them) and cancels at arbitrary points.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "numtheory/factorials/limits.h"
#include "numtheory/factorials/prime_products.h"
#include "numtheory/functions.h"
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
  // n! is P(n, n): negative first, then r > 2^20, and only then the size.
  const struct {
    long n;
    const char* message;
  } factorials[] = {{-1, MSG_NEGATIVE_VALUE},
                    {FALLING_FACTORIAL_MAX_R + 1L, MSG_TOO_BIG_VALUE},
                    {FALLING_FACTORIAL_MAX_R, MSG_SCALE_OVER},
                    {1000000, MSG_SCALE_OVER}};
  for (const auto& c : factorials) EXPECT_STREQ(thrownMessage([&] { factorial(v(c.n)); }), c.message) << c.n;
}

TEST(Factorial, SieveAndWordProductAgreeWithGmp) {
  // Limits on both sides of the first segment's end (odd numbers from 3)
  // and of the next ones.
  const long segmentEnd = 3 + 2 * (SIEVE_SEGMENT_ODDS - 1L);
  for (long m : {0L, 1L, 2L, 3L, 4L, 5L, 9L, segmentEnd - 2, segmentEnd - 1, segmentEnd, segmentEnd + 1, segmentEnd + 2,
                 2 * segmentEnd + 1, 2 * segmentEnd + 3}) {
    // The plain sieve of Eratosthenes, unsegmented, as the reference.
    std::vector<uint32_t> expected;
    std::vector<bool> composite(static_cast<size_t>(m) + 1, false);
    for (long p = 2; p <= m; ++p) {
      if (composite[static_cast<size_t>(p)]) continue;
      expected.push_back(static_cast<uint32_t>(p));
      for (long q = p * p; q <= m; q += p) composite[static_cast<size_t>(q)] = true;
    }
    std::vector<uint32_t> primes;
    ASSERT_TRUE(primesUpTo(static_cast<uint32_t>(m), primes));
    EXPECT_EQ(primes, expected) << "m=" << m;
  }
  // Products of random and all-ones words around the leaf size.
  auto g = rng(605);
  const long T = WORD_PRODUCT_MAX_WORDS;
  for (long count : {0L, 1L, 2L, T - 1, T, T + 1, 2 * T + 1, 5 * T + 3}) {
    for (bool ones : {false, true}) {
      std::vector<uint64_t> words(static_cast<size_t>(count));
      Mpz expected(1), w;
      for (uint64_t& x : words) {
        x = ones ? ~uint64_t{0} : g() | 1;
        mpz_import(w.z, 1, -1, sizeof(uint64_t), 0, 0, &x);
        mpz_mul(expected.z, expected.z, w.z);
      }
      SCOPED_TRACE("count=" + std::to_string(count) + (ones ? " all ones" : ""));
      EXPECT_VNUM_EQ(productOfWords(words.data(), words.size()), expected);
    }
  }
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
  // n of three factors to a packed word (2^21), of two (2^22 to 2^32), of
  // one (up to 2^63, where a word closes before a factor could carry it
  // past 2^64), beyond one limb (2^31), and the vnum factors beyond 2^63;
  // r up to a few thousand, so the tree has many levels.
  auto g = rng(601);
  std::vector<Mpz> ns;
  for (long e : {20L, 21L, 22L, 23L, 24L, 31L, 32L, 40L, 62L, 63L, 64L, 200L, 3000L})
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
  // Both sides of the switch to the prime factorisation (n = span * r), and
  // r = n - 1 and n, against n! / (n - r)!.
  for (long n : {21L, 100L, 1001L, 30011L}) {
    const long half = (n + FALLING_PRIMES_MAX_SPAN - 1) / FALLING_PRIMES_MAX_SPAN;
    for (long r : {half - 1, half, half + 1, n - 1, n}) {
      Mpz expected, lower;
      mpz_fac_ui(expected.z, static_cast<unsigned long>(n));
      mpz_fac_ui(lower.z, static_cast<unsigned long>(n - r));
      mpz_divexact(expected.z, expected.z, lower.z);
      SCOPED_TRACE("n=" + std::to_string(n) + " r=" + std::to_string(r));
      EXPECT_VNUM_EQ(permutations(v(n), v(r)), expected);
    }
  }
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
  // r = 0, 1, n - 1, n and beyond n / 2; n on both sides of the switch from
  // Kummer's primes to cancelling (n = span * k); r near 2^20; n near 2^31,
  // 2^32 and 2^63 with small r.
  const long span = BINOMIAL_PRIMES_MAX_SPAN, R = FALLING_FACTORIAL_MAX_R;
  const struct {
    long n, r;
  } table[] = {
      {1, 0},          {1, 1},          {1000, 0},       {1000, 1},         {1000, 999},         {1000, 1000},
      {1000, 600},     {1000, 999 - 5}, {span * 500 - 1, 500}, {span * 500, 500}, {span * 500 + 1, 500},
      {span * 500 + 1, span * 500 + 1 - 500}, {R + 3, R},  {R + 3, R - 2}, {2 * R, R - 1}, {(1L << 31) - 1, 7},
      {(1L << 31) + 11, 1000}, {(1L << 32) + 1, 300},  {(1L << 62) + 5, 40},
  };
  for (const auto& c : table) {
    Mpz expected;
    mpz_bin_uiui(expected.z, static_cast<unsigned long>(c.n), static_cast<unsigned long>(c.r));
    SCOPED_TRACE("n=" + std::to_string(c.n) + " r=" + std::to_string(c.r));
    EXPECT_VNUM_EQ(combinations(v(c.n), v(c.r)), expected);
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
  // 298,594! has 5,000,006 bits; 298,593! (4,999,988 bits) is computed in
  // the slow test.
  EXPECT_STREQ(thrownMessage([] { factorial(v(298594)); }), MSG_SCALE_OVER);
}

TEST(Factorial, CancelledAnywhereLeavesTheResultOrCompletesIt) {
  // One case per path: packed factors, primes with squarings, vnum factors;
  // for nCr Kummer's primes, cancelling and the quotient beyond 2^63.
  const Mpz huge = powerOfTwoPlus(100, 0);
  const struct {
    Mpz n;
    long r;
    bool binomial;
  } cases[] = {{Mpz(1000000), 20000, false}, {Mpz(60000), 60000, false},   {huge, 300, false},
               {Mpz(200000), 100000, true},  {Mpz(10000000), 100000, true}, {huge, 300, true}};
  std::atomic<int>* slot = abortSlot;
  for (const auto& c : cases) {
    Mpz expected;
    if (c.binomial) {
      mpz_bin_ui(expected.z, c.n.z, static_cast<unsigned long>(c.r));
    } else {
      expected = fallingReference(c.n, c.r);
    }
    const vnum n = fromMpz(c.n), r = v(c.r);
    SCOPED_TRACE("n=" + c.n.hex() + " r=" + std::to_string(c.r) + (c.binomial ? " nCr" : " nPr"));
    for (int delay = 0; delay < 6; ++delay) {
      std::thread canceller([slot, delay] {
        std::this_thread::sleep_for(std::chrono::microseconds(2000 * delay));
        slot->store(1);
      });
      vnum result(int32_t{42});
      if (c.binomial)
        result = combinations(n, r);
      else
        fallingFactorial(result, n, r);
      canceller.join();
      slot->store(0);
      // A cancelled call leaves result alone (nPr) or answers 0 (nCr).
      SCOPED_TRACE("delay " + std::to_string(delay));
      if (result != vnum(int32_t{c.binomial ? 0 : 42})) EXPECT_VNUM_EQ(result, expected);
    }
    vnum result;
    if (c.binomial)
      result = combinations(n, r);
    else
      fallingFactorial(result, n, r);
    EXPECT_VNUM_EQ(result, expected);
  }
}
