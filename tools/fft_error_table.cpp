// fft-error-table: the largest rounding distance |e - round(e)| of both FFT
// products for every transform length of a kernel and the digit sizes
// around the precision limit, with operands that fill the whole transform:
// the worst case for the rounding (every balanced digit at B/2 - 1,
// worstRoundingLimbs), multiplied and squared, and random operands.
//
// fft-error-table [--kernel=x87|avx2] [binary|decimal] [MIN_POINTS [MAX_POINTS]]
//
// The kernel is the one the products use on this processor unless given.
// For each length it walks up from a few digit sizes below the current
// table entry until random operands pass 1/4, and prints one row per size.
// The entries of fftMaxDigitBits and fftMaxDecimalPlaces (fft/limits.h) are
// read off these rows: the largest size whose worst-case products and
// squares round within 3/32, no larger than any shorter length's. Not run by the tests: the longest rows take minutes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "fft/avx2_plan.h"
#include "fft/fft.h"
#include "fft/fft_plan.h"
#include "platform/abort_flags.h"

namespace {

using quorvel::FftKernel;
using quorvel::FftShape;

struct Routine {
  const char* name;
  bool decimal;
  int placesPerLimb;  // 30 bits or 8 decimal places
  int32_t maxLimb;
};

constexpr int RANDOM_TRIALS = 2;

double product(const Routine& routine, const std::vector<int32_t>& x, const std::vector<int32_t>& y, bool square,
               FftShape shape) {
  const int t = static_cast<int>(x.size()), u = static_cast<int>(y.size());
  std::vector<int32_t> out(t + u);
  const int32_t* second = square ? x.data() : y.data();
  return routine.decimal ? quorvel::fftProductDecimal(x.data(), t, second, u, out.data(), square, shape)
                         : quorvel::fftProductBinary(x.data(), t, second, u, out.data(), square, shape);
}

// Operands of as many limbs as leave at most `points` digits each, so that
// their product fills all 2 points coefficients.
int limbsFilling(const Routine& routine, int points, int digitSize) {
  return static_cast<int>(int64_t{points} * digitSize / routine.placesPerLimb);
}

void measureLength(const Routine& routine, int points, FftKernel kernel, std::mt19937_64& g) {
  const int current =
      routine.decimal ? quorvel::fftMaxDecimalPlaces(points, kernel) : quorvel::fftMaxDigitBits(points, kernel);
  const int smallest = routine.decimal ? quorvel::FFT_MIN_DECIMAL_PLACES : quorvel::FFT_MIN_DIGIT_BITS;
  const int largest = routine.decimal ? quorvel::FFT_MAX_DECIMAL_PLACES : quorvel::FFT_MAX_DIGIT_BITS;
  const int first = current - (routine.decimal ? 1 : 2) > smallest ? current - (routine.decimal ? 1 : 2) : smallest;
  for (int size = first; size <= largest; ++size) {
    const FftShape shape{points, size, kernel};
    const int limbs = limbsFilling(routine, points, size);
    if (limbs < 1) continue;
    const std::vector<int32_t> worst = quorvel::worstRoundingLimbs(routine.decimal, limbs, size);
    const double worstProduct = product(routine, worst, worst, false, shape);
    const double worstSquare = product(routine, worst, worst, true, shape);
    double worstRandom = 0;
    std::uniform_int_distribution<int32_t> limb(0, routine.maxLimb);
    for (int trial = 0; trial < RANDOM_TRIALS; ++trial) {
      std::vector<int32_t> x(limbs), y(limbs);
      for (auto& v : x) v = limb(g);
      for (auto& v : y) v = limb(g);
      const double distance = product(routine, x, y, false, shape);
      if (distance > worstRandom) worstRandom = distance;
    }
    std::printf("%-8s %9d %5d %9d %12.3g %12.3g %12.3g%s\n", routine.name, points, size, 2 * limbs, worstProduct,
                worstSquare, worstRandom, size == current ? "   <- table" : "");
    std::fflush(stdout);
    if (worstRandom > quorvel::FFT_TRUSTED_ROUNDING_ERROR) break;
  }
}

bool supported(int points, FftKernel kernel) {
  return kernel == FftKernel::avx2 ? quorvel::detail::isAvx2Length(points)
                                   : quorvel::detail::isTransformLength(points);
}

}  // namespace

int main(int argc, char** argv) {
  quorvel::claimAbortSlot();
  const Routine routines[] = {{"binary", false, 30, (1 << 30) - 1}, {"decimal", true, 8, 99999999}};
  FftKernel kernel = quorvel::preferredFftKernel();
  if (argc > 1 && std::strncmp(argv[1], "--kernel=", 9) == 0) {
    kernel = std::strcmp(argv[1] + 9, "x87") == 0 ? FftKernel::x87 : FftKernel::avx2;
    --argc;
    ++argv;
  }
  const char* only = argc > 1 ? argv[1] : nullptr;
  const int minPoints = argc > 2 ? std::atoi(argv[2]) : 16;
  const int maxPoints =
      argc > 3 ? std::atoi(argv[3]) : kernel == FftKernel::avx2 ? quorvel::AVX2_FFT_MAX_POINTS : quorvel::FFT_MAX_POINTS;
  std::mt19937_64 g(20261208);
  std::printf("%-8s %9s %5s %9s %12s %12s %12s\n", "routine", "points", "digit", "limbs", "worst*worst",
              "worst^2", "random");
  for (const Routine& routine : routines) {
    if (only && std::strcmp(only, routine.name) != 0) continue;
    // Every supported length in increasing order: the multiples of 16
    // among them, below 16 every length.
    for (int points = minPoints; points <= maxPoints; points += points < 16 ? 1 : 16) {
      if (supported(points, kernel)) measureLength(routine, points, kernel, g);
    }
  }
  return 0;
}
