// The transforms themselves, x87 and AVX2 (where the processor has it):
// nanoseconds per radix-2 butterfly of the forward transform of N reals
// (N/2 complex points, (N/4) log2(N/2) butterflies, the measure of earlier
// versions), and of the fused convolution (forward, pointwise product,
// inverse) counted as two transforms, with every thread; then the speed-up
// over one thread. No GMP column.
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "bench/bench.h"
#include "fft/avx2_transform.h"
#include "fft/extended_precision.h"
#include "fft/transform.h"
#include "platform/cpu_features.h"

namespace quorvel::bench {

namespace {

using namespace quorvel::detail;

// What differs between the two transforms' buffers.
struct X87 {
  using Plan = FftPlan;
  using Point = SplitPoint;
  static constexpr const char* NAME = "x87";
  static constexpr int POINTS_PER_ELEMENT = 1;
  static void set(Point& p, int l, double re, double im) {
    (void)l;
    storeExact(p.re, re);
    storeExact(p.im, im);
  }
};

struct Avx2 {
  using Plan = Avx2Plan;
  using Point = PointQuad;
  static constexpr const char* NAME = "AVX2";
  static constexpr int POINTS_PER_ELEMENT = 4;
  static void set(Point& p, int l, double re, double im) {
    p.re[l] = re;
    p.im[l] = im;
  }
};

template <class Kernel>
void runTransformCases(int lg) {
  const std::string name = std::string("FFT of 2^") + std::to_string(lg) + " reals, " + Kernel::NAME;
  const std::string convolutionName = name + ", convolution";
  if (!selected(name) && !selected(convolutionName)) return;
  const ExtendedPrecisionScope precision;
  const int points = 1 << (lg - 1);
  const int elements = points / Kernel::POINTS_PER_ELEMENT;
  const typename Kernel::Plan plan(points);
  auto z = std::make_unique<typename Kernel::Point[]>(elements);
  auto spectrum = std::make_unique<typename Kernel::Point[]>(elements);
  std::mt19937 g(static_cast<unsigned>(lg));
  auto fill = [&] {
    for (int j = 0; j < points; ++j) {
      Kernel::set(z[j / Kernel::POINTS_PER_ELEMENT], j % Kernel::POINTS_PER_ELEMENT,
                  static_cast<int>(g() % 1048576) - 524288, static_cast<int>(g() % 1048576) - 524288);
    }
  };
  fill();
  for (int j = 0; j < elements; ++j) spectrum[j] = z[j];
  forwardTransform(plan, spectrum.get(), false);
  const double butterflies = points / 2.0 * std::log2(static_cast<double>(points));
  // Each call starts from fresh digits: the transforms must not see values
  // grown by earlier calls.
  const double filling = secondsPerCall(fill);
  // Every thread, one thread, ns per butterfly with every thread and with
  // one, and the speed-up.
  auto line = [&](const std::string& label, OurSeconds t, double butterflyCount) {
    const double all = t.allThreads - filling, one = t.oneThread - filling;
    std::printf("%-44s %12.6f %12.6f %12s %8.2f %8.2f ns per butterfly (all, 1 thr), speed-up %.2f\n",
                label.c_str(), all, one, "", all * 1e9 / butterflyCount, one * 1e9 / butterflyCount, one / all);
  };
  if (selected(name)) {
    line(name, ourSecondsPerCall([&] {
           fill();
           forwardTransform(plan, z.get(), false);
         }),
         butterflies);
  }
  if (selected(convolutionName)) {
    line(convolutionName, ourSecondsPerCall([&] {
           fill();
           convolve(plan, z.get(), false, spectrum.get(), 1.0 / points);
         }),
         2 * butterflies);
  }
  std::fflush(stdout);
}

}  // namespace

void runFftCases() {
  for (int lg : {16, 20, 22}) {
    runTransformCases<X87>(lg);
    if (hasAvx2Fma()) runTransformCases<Avx2>(lg);
  }
}

}  // namespace quorvel::bench
