// fft-error-table: the largest rounding distance |e - round(e)| of both FFT
// products at the upper end of each mode's range of total limbs, for
// operands with every digit at its maximum (the largest coefficients: the
// worst case), multiplied and squared, and for random operands.
//
// A distance above FFT_TRUSTED_ROUNDING_ERROR marks a product its caller
// must recompute another way. Elements of 2^62 and more are spaced 1/2
// apart in extended precision, so near the limits a distance is often 0 or
// 1/2. Not run by the tests: the decimal mode 1 rows take a while.
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "fft/fft.h"
#include "platform/abort_flags.h"

namespace {

using quorvel::fftProductBinary;
using quorvel::fftProductDecimal;

struct Row {
  const char* routine;
  bool decimal;
  int mode;
  int totalLimbs;
  int32_t maxLimb;
};

int callerHalfLength(int totalLimbs) {
  int p = 1;
  while (p < 4 * totalLimbs) p *= 2;
  return p / 2;
}

double product(const Row& row, const std::vector<int32_t>& x, const std::vector<int32_t>& y, bool square) {
  const int t = static_cast<int>(x.size()), u = static_cast<int>(y.size());
  const int h = callerHalfLength(t + u);
  std::vector<int32_t> out(h + 4, 0);
  return row.decimal ? fftProductDecimal(h, x.data(), t, y.data(), u, out.data(), square, row.mode)
                     : fftProductBinary(h, x.data(), t, y.data(), u, out.data(), square, row.mode);
}

}  // namespace

int main() {
  quorvel::claimAbortSlot();
  const Row rows[] = {
      {"binary", false, 0, 35000, (1 << 30) - 1},
      {"binary", false, 1, 600000, (1 << 30) - 1},
      // Decimal mode 0 worst cases pass 1/4 above N = 2^18; the last size
      // of N = 2^18 shows the margin below that.
      {"decimal", true, 0, 131072, 99999999},
      {"decimal", true, 0, 190000, 99999999},
      {"decimal", true, 1, 5600000, 99999999},
  };
  constexpr int RANDOM_TRIALS = 3;
  std::mt19937_64 g(20261208);
  std::printf("%-8s %4s %9s %10s %12s %12s %12s\n", "routine", "mode", "limbs", "N", "max*max", "max^2", "random");
  for (const Row& row : rows) {
    const int half = row.totalLimbs / 2;
    const std::vector<int32_t> maximum(half, row.maxLimb);
    const double worstProduct = product(row, maximum, maximum, false);
    const double worstSquare = product(row, maximum, maximum, true);
    double worstRandom = 0;
    std::uniform_int_distribution<int32_t> limb(0, row.maxLimb);
    for (int trial = 0; trial < RANDOM_TRIALS; ++trial) {
      std::vector<int32_t> x(half), y(row.totalLimbs - half);
      for (auto& v : x) v = limb(g);
      for (auto& v : y) v = limb(g);
      const double distance = product(row, x, y, false);
      if (distance > worstRandom) worstRandom = distance;
    }
    const int h = callerHalfLength(row.totalLimbs);
    std::printf("%-8s %4d %9d %10d %12.6f %12.6f %12.6f\n", row.routine, row.mode, row.totalLimbs,
                row.mode == 0 ? h : 2 * h, worstProduct, worstSquare, worstRandom);
    std::fflush(stdout);
  }
  return 0;
}
