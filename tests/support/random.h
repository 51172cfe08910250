// Reproducible randomness for the tests: one base seed per run (printed by
// the test main, overridable with QUORVEL_SEED) and an iteration scale
// (QUORVEL_ITERS, default 1) that stretches or shrinks the random loops.
#pragma once

#include <cstdint>
#include <random>

namespace quorvel::test {

uint64_t baseSeed();
double iterationScale();
// count scaled by QUORVEL_ITERS, at least 1.
int iterations(int count);

// A generator seeded from the base seed and a per-test salt, so that tests do
// not depend on the order in which they run.
std::mt19937_64 rng(uint64_t salt);

// Log-uniform integer in [lo, hi].
int64_t logUniform(std::mt19937_64& g, int64_t lo, int64_t hi);

}  // namespace quorvel::test
