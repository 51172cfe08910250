// The probable-prime test beside GMP's mpz_probab_prime_p(n, 24), which for
// 24 rounds or fewer is trial division and Baillie-PSW as well; and the
// strong test to base 2 on each of our residue rings, which sets
// PRIME_WORD_RING_MAX_BITS.
#include "bench/bench.h"
#include "numtheory/functions.h"
#include "numtheory/primes/primes.h"

namespace quorvel::bench {

namespace {

// A prime of exactly `bits` bits, the same in both representations.
void randomPrime(long bits, unsigned long seed, vnum& ours, mpz_t theirs) {
  randomOperand(bits, seed, ours, theirs);
  mpz_nextprime(theirs, theirs);
  size_t count = 0;
  auto* words = static_cast<uint32_t*>(mpz_export(nullptr, &count, -1, 4, 0, 2, theirs));
  ours = vnum();
  for (size_t i = count; i-- > 0;) {
    ours.shift(LIMB_BITS);
    ours += vnum(static_cast<int32_t>(words[i]));
  }
  free(words);
}

}  // namespace

void runPrimesCases() {
  // mpz_probab_prime_p is declared pure: its result must be used, or the
  // call is dropped.
  volatile int gmpVerdict = 0;
  mpz_t gp;
  mpz_init(gp);
  vnum p;
  for (long bits : {2000L, 10000L}) {
    const std::string name = "probable-prime test of a " + std::string(bits == 2000 ? "2,000" : "10,000") + "-bit prime";
    if (!selected(name) && !selected("ring")) continue;
    randomPrime(bits, 31, p, gp);
    compare(name, [&] { primalityVerdict(p); }, [&] { gmpVerdict = mpz_probab_prime_p(gp, 24); });
    for (RingChoice ring : {RingChoice::WORDS, RingChoice::VNUM}) {
      const std::string ringName = std::string("Baillie-PSW on the ") + (ring == RingChoice::WORDS ? "word" : "vnum") +
                                   " ring, " + std::to_string(bits) + "-bit prime";
      const ProgressTask none;
      compare(ringName, [&] { bailliePsw(p, ring, none); }, [&] { gmpVerdict = mpz_probab_prime_p(gp, 24); });
    }
  }
  mpz_clear(gp);
}

}  // namespace quorvel::bench
