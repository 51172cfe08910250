// The transform itself: nanoseconds per radix-2 butterfly of the forward
// transform of N reals (N/2 complex points, (N/4) log2(N/2) butterflies, the
// measure of earlier versions), and of the fused convolution (forward,
// pointwise product, inverse) counted as two transforms. No GMP column.
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "bench/bench.h"
#include "fft/fft_product_common.h"
#include "fft/transform.h"

namespace quorvel::bench {

void runFftCases() {
  using namespace quorvel::detail;
  for (int lg : {16, 20, 23}) {
    const std::string name = "FFT of 2^" + std::to_string(lg) + " reals";
    const std::string convolutionName = name + ", convolution";
    if (!selected(name) && !selected(convolutionName)) continue;
    const ExtendedPrecisionScope precision;
    const int points = 1 << (lg - 1);
    const FftPlan plan(points);
    auto z = std::make_unique<SplitPoint[]>(points);
    auto spectrum = std::make_unique<SplitPoint[]>(points);
    std::mt19937 g(static_cast<unsigned>(lg));
    auto fill = [&] {
      for (int j = 0; j < points; ++j) {
        storeExact(z[j].re, static_cast<int>(g() % 1048576) - 524288);
        storeExact(z[j].im, static_cast<int>(g() % 1048576) - 524288);
      }
    };
    fill();
    for (int j = 0; j < points; ++j) spectrum[j] = z[j];
    forwardTransform(plan, spectrum.get(), false);
    const double butterflies = points / 2.0 * std::log2(static_cast<double>(points));
    // Each call starts from fresh digits: the transforms must not see values
    // grown by earlier calls.
    const double forward = secondsPerCall([&] {
      fill();
      forwardTransform(plan, z.get(), false);
    });
    const double filling = secondsPerCall(fill);
    std::printf("%-44s %12.6f %12s %8.2f ns per butterfly\n", name.c_str(), forward - filling, "",
                (forward - filling) * 1e9 / butterflies);
    const double convolution = secondsPerCall([&] {
      fill();
      convolve(plan, z.get(), false, spectrum.get(), 1.0L / points);
    });
    std::printf("%-44s %12.6f %12s %8.2f ns per butterfly\n", convolutionName.c_str(), convolution - filling, "",
                (convolution - filling) * 1e9 / (2 * butterflies));
    std::fflush(stdout);
  }
}

}  // namespace quorvel::bench
