#include "tests/support/random.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quorvel::test {

uint64_t baseSeed() {
  static const uint64_t seed = [] {
    const char* s = std::getenv("QUORVEL_SEED");
    return s ? std::strtoull(s, nullptr, 0) : 20261208ull;
  }();
  return seed;
}

double iterationScale() {
  static const double scale = [] {
    const char* s = std::getenv("QUORVEL_ITERS");
    return s ? std::max(0.0, std::strtod(s, nullptr)) : 1.0;
  }();
  return scale;
}

int iterations(int count) { return std::max(1, static_cast<int>(std::lround(count * iterationScale()))); }

std::mt19937_64 rng(uint64_t salt) {
  std::seed_seq seq{baseSeed(), salt, salt >> 32};
  return std::mt19937_64(seq);
}

int64_t logUniform(std::mt19937_64& g, int64_t lo, int64_t hi) {
  std::uniform_real_distribution<double> d(std::log(static_cast<double>(lo)), std::log(static_cast<double>(hi) + 1));
  int64_t v = static_cast<int64_t>(std::exp(d(g)));
  return std::clamp(v, lo, hi);
}

}  // namespace quorvel::test
