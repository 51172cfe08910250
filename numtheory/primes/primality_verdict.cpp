// The verdict on a value: the word test below 2^64, trial division and
// Baillie-PSW above (primes.h), and its text.
#include "numtheory/primes/limits.h"
#include "numtheory/primes/primes.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

uint64_t wordValue(const vnum& n) {
  uint64_t w = 0;
  for (int32_t i = n.len - 1; i >= 0; --i) w = (w << LIMB_BITS) | static_cast<uint32_t>(n.limbs[i]);
  return w;
}

}  // namespace

PrimeVerdict primalityVerdict(const vnum& n) {
  if (!n.plus) return {PrimeVerdict::NOT_PRIME};
  if (n.bitLength() <= PRIME_WORD_BITS) return wordPrimalityVerdict(wordValue(n));
  if ((n.limbs[0] & 1) == 0) return {PrimeVerdict::COMPOSITE, 2};
  ProgressTask progress;
  const auto primes = oddPrimesBelow(TRIAL_DIVISION_BOUND);
  if (!primes) return {};
  const auto residues = residuesModPrimes(n, *primes);
  if (!residues) return {};
  for (size_t i = 0; i < primes->size(); ++i)
    if ((*residues)[i] == 0) return {PrimeVerdict::COMPOSITE, (*primes)[i]};
  switch (bailliePsw(n, RingChoice::BY_SIZE, progress)) {
    case BpswResult::PROBABLE_PRIME: return {PrimeVerdict::PROBABLE_PRIME};
    case BpswResult::FAILS_BASE_2: {
      PrimeVerdict composite{PrimeVerdict::COMPOSITE};
      composite.failsBase2 = true;
      return composite;
    }
    case BpswResult::FAILS_LUCAS:
    case BpswResult::SQUARE: break;
  }
  return {PrimeVerdict::COMPOSITE};
}

std::string primeVerdictText(const PrimeVerdict& verdict) {
  switch (verdict.kind) {
    case PrimeVerdict::NOT_PRIME: return "not prime";
    case PrimeVerdict::PRIME: return "prime";
    case PrimeVerdict::PROBABLE_PRIME: return "probable prime";
    case PrimeVerdict::COMPOSITE: break;
  }
  if (verdict.divisor != 0) return "composite: divisible by " + std::to_string(verdict.divisor);
  if (verdict.failsBase2) return "composite: fails the strong test to base 2";
  return "composite";
}

}  // namespace quorvel
