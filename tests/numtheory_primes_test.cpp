// The primality verdict and the next prime: every value below 10,000
// against trial division, a table of hard cases (Carmichael numbers, strong
// pseudoprimes to base 2, Lucas pseudoprimes, Mersenne and Fermat numbers,
// products of two large primes) on both residue rings, random values and
// next primes against GMP, the cap, a cancel, and a fraction that only
// grows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "numtheory/functions.h"
#include "numtheory/primes/primes.h"
#include "platform/abort_flags.h"
#include "platform/progress.h"
#include "tests/support/cancel_after.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// "2^521-1", "2^128+1" or decimal digits.
Mpz valueOf(const std::string& text) {
  Mpz z;
  const size_t caret = text.find('^');
  if (caret == std::string::npos) {
    mpz_set_str(z, text.c_str(), 10);
    return z;
  }
  const size_t sign = text.find_first_of("+-", caret);
  mpz_ui_pow_ui(z, 2, std::stoul(text.substr(caret + 1, sign - caret - 1)));
  const long add = sign == std::string::npos ? 0 : std::stol(text.substr(sign));
  if (add >= 0) mpz_add_ui(z, z, static_cast<unsigned long>(add));
  else mpz_sub_ui(z, z, static_cast<unsigned long>(-add));
  return z;
}

// The prime after x by GMP.
Mpz gmpNextPrime(const Mpz& x) {
  Mpz p;
  mpz_nextprime(p, x);
  return p;
}

// A Carmichael number (6k + 1)(12k + 1)(18k + 1) (Chernick 1939) above
// 2^64 with all three factors prime.
Mpz chernickCarmichael() {
  for (unsigned long k = 300000;; ++k) {
    Mpz f[3];
    mpz_set_ui(f[0], 6 * k + 1);
    mpz_set_ui(f[1], 12 * k + 1);
    mpz_set_ui(f[2], 18 * k + 1);
    if (mpz_probab_prime_p(f[0], 25) && mpz_probab_prime_p(f[1], 25) && mpz_probab_prime_p(f[2], 25)) {
      Mpz n;
      mpz_mul(n, f[0], f[1]);
      mpz_mul(n, n, f[2]);
      return n;
    }
  }
}

}  // namespace

TEST(Primality, EveryValueBelowTenThousandAgreesWithTrialDivision) {
  for (long n = -3; n < 10000; ++n) {
    long smallest = 0;  // smallest prime factor, 0 for a prime
    for (long p = 2; p * p <= n && smallest == 0; ++p)
      if (n % p == 0) smallest = p;
    const PrimeVerdict verdict = primalityVerdict(v(n));
    SCOPED_TRACE(std::to_string(n) + ": " + primeVerdictText(verdict));
    if (n < 2) {
      EXPECT_EQ(verdict.kind, PrimeVerdict::NOT_PRIME);
    } else if (smallest == 0) {
      EXPECT_EQ(verdict.kind, PrimeVerdict::PRIME);
    } else {
      EXPECT_EQ(verdict.kind, PrimeVerdict::COMPOSITE);
      // Trial division reaches below 64; the strong tests name base 2 or
      // nothing.
      EXPECT_EQ(verdict.divisor, smallest < 64 ? smallest : 0);
    }
  }
}

TEST(Primality, HardCasesOnBothRings) {
  const Mpz p300a = gmpNextPrime(valueOf("2^299+1000")), p300b = gmpNextPrime(valueOf("2^299+987654321"));
  Mpz product300;
  mpz_mul(product300, p300a, p300b);
  const struct {
    Mpz n;
    const char* verdict;
  } table[] = {
      {valueOf("0"), "not prime"},
      {valueOf("1"), "not prime"},
      {valueOf("2"), "prime"},
      // Carmichael numbers.
      {valueOf("561"), "composite: divisible by 3"},
      {valueOf("41041"), "composite: divisible by 7"},
      {valueOf("3215031751"), "composite"},  // strong pseudoprime to 2, 3, 5, 7
      {chernickCarmichael(), "composite: fails the strong test to base 2"},
      // Strong pseudoprimes to base 2.
      {valueOf("2047"), "composite: divisible by 23"},
      {valueOf("3277"), "composite: divisible by 29"},
      {valueOf("4033"), "composite: divisible by 37"},
      {valueOf("3825123056546413051"), "composite"},  // to the first nine prime bases
      // Strong Lucas pseudoprimes.
      {valueOf("5459"), "composite: divisible by 53"},
      {valueOf("5777"), "composite: divisible by 53"},
      {valueOf("10877"), "composite: fails the strong test to base 2"},
      // Around 2^64: the largest prime of a word, the first prime above.
      {valueOf("2^64-59"), "prime"},
      {valueOf("2^64-1"), "composite: divisible by 3"},
      {valueOf("2^64+13"), "probable prime"},
      // Mersenne numbers: every 2^p - 1 with p prime passes the strong test
      // to base 2, so the composites fall to the Lucas test.
      {valueOf("2^521-1"), "probable prime"},
      {valueOf("2^607-1"), "probable prime"},
      {valueOf("2^1279-1"), "probable prime"},
      {valueOf("2^2203-1"), "probable prime"},
      {valueOf("2^523-1"), "composite"},
      {valueOf("2^1277-1"), "composite"},
      // Fermat numbers pass it too: F7 = 2^128 + 1 is composite.
      {valueOf("2^128+1"), "composite"},
      {valueOf("2^127-1"), "probable prime"},
      {product300, "composite: fails the strong test to base 2"},
      {p300a, "probable prime"},
  };
  for (const auto& row : table) {
    const vnum n = fromMpz(row.n);
    SCOPED_TRACE(row.n.hex());
    EXPECT_EQ(primeVerdictText(primalityVerdict(n)), row.verdict);
    // Above a word, both residue rings give the same outcome.
    if (n.bitLength() > 64 && (n.limbs[0] & 1)) {
      const ProgressTask none;
      EXPECT_EQ(bailliePsw(n, RingChoice::WORDS, none), bailliePsw(n, RingChoice::VNUM, none));
    }
  }
  // Each half of Baillie-PSW catches what the other lets through.
  for (long n : {2047L, 3277L, 4033L, 4681L, 8321L, 15841L, 29341L, 42799L, 49141L, 52633L}) {
    SCOPED_TRACE(n);
    const ProgressTask none;
    EXPECT_EQ(bailliePsw(v(n), RingChoice::WORDS, none), BpswResult::FAILS_LUCAS);
    EXPECT_EQ(bailliePsw(v(n), RingChoice::VNUM, none), BpswResult::FAILS_LUCAS);
  }
  for (long n : {5459L, 5777L, 10877L, 16109L, 18971L, 22499L, 24569L, 25199L, 40309L, 58519L}) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(strongLucasProbablePrime(v(n), RingChoice::WORDS));
    EXPECT_TRUE(strongLucasProbablePrime(v(n), RingChoice::VNUM));
  }
}

TEST(Primality, RandomValuesAgreeWithGmp) {
  auto g = rng(901);
  for (int it = 0; it < iterations(40); ++it) {
    // Values of up to 2,000 bits, half of them primes, and products.
    Mpz n = randomMpz(g, logUniform(g, 60, 2000), it % 3 == 0, false);
    if (it % 2) mpz_nextprime(n, n);
    if (it % 5 == 0) mpz_mul(n, n, gmpNextPrime(randomMpz(g, 200, false, false)));
    SCOPED_TRACE(n.hex());
    const PrimeVerdict verdict = primalityVerdict(fromMpz(n));
    const bool prime = verdict.kind == PrimeVerdict::PRIME || verdict.kind == PrimeVerdict::PROBABLE_PRIME;
    EXPECT_EQ(prime, mpz_probab_prime_p(n, 25) != 0);
  }
}

TEST(NextPrime, AcrossGapsAtTwoToTheSixtyFourAndRandom) {
  std::vector<Mpz> xs;
  for (const char* x : {"-5", "0", "1", "2", "3", "1327", "31397", "370261", "2^64-60", "2^64-59", "2^64-1",
                        "2^64", "2^64+13", "2^128", "2^521-2"})
    xs.push_back(valueOf(x));
  auto g = rng(902);
  for (int it = 0; it < iterations(12); ++it) xs.push_back(randomMpz(g, logUniform(g, 2, 1500), it % 2, false));
  for (const Mpz& x : xs) {
    SCOPED_TRACE(x.hex());
    Mpz expected;
    if (mpz_cmp_si(x.z, 2) < 0) mpz_set_ui(expected, 2);
    else mpz_nextprime(expected, x);
    EXPECT_VNUM_EQ(nextPrime(fromMpz(x)), expected);
  }
  // At the cap: the first candidate is over it, refused before any work.
  EXPECT_STREQ(thrownMessage([] { nextPrime(fromMpz(powerOfTwoPlus(5000000, -1))); }), MSG_SCALE_OVER);
}

TEST(Primality, ACancelStopsTheTestPartWayAndTheFractionOnlyGrows) {
  ProgressMeter meter;
  progressMeter = &meter;
  // The test of an 11,213-bit prime takes seconds; the cancel comes long
  // before its end.
  const vnum big = fromMpz(valueOf("2^11213-1"));
  cancelAfter(std::chrono::milliseconds(50), [&] { primalityVerdict(big); });
  EXPECT_LT(meter.fraction(), 1.0);

  // A whole test and a whole search, watched from another thread.
  for (int which = 0; which < 2; ++which) {
    meter.clear();
    std::atomic<bool> done{false};
    std::atomic<int> drops{0}, samples{0};
    std::thread watcher([&] {
      double last = -1;
      while (!done.load()) {
        const double f = meter.fraction();
        if (f < last) ++drops;
        last = f;
        ++samples;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
    });
    if (which == 0) {
      EXPECT_EQ(primalityVerdict(fromMpz(valueOf("2^2203-1"))).kind, PrimeVerdict::PROBABLE_PRIME);
      EXPECT_EQ(meter.fraction(), 1.0);
    } else {
      nextPrime(fromMpz(valueOf("2^1500")));
      EXPECT_GT(meter.fraction(), 0.0);
    }
    done = true;
    watcher.join();
    EXPECT_EQ(drops.load(), 0) << "of " << samples.load() << " samples";
  }
  progressMeter = nullptr;
}
