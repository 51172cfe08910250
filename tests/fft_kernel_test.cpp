// Both right-angle transforms, x87 and AVX2 (where the processor has it),
// against a direct evaluation of their definition, the round trip, the
// fused convolution, the x87 tables and cancellation.
#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include "fft/avx2_transform.h"
#include "fft/fft_plan.h"
#include "fft/limits.h"
#include "fft/transform.h"
#include "platform/abort_flags.h"
#include "platform/cpu_features.h"
#include "tests/support/random.h"

namespace quorvel::detail {
namespace {

struct Complex {
  long double re, im;
};

// EXPECT_NEAR works in double; the transforms need the 64-bit significand.
testing::AssertionResult near(long double actual, long double expected, long double bound) {
  const long double error = fabsl(actual - expected);
  if (error <= bound) return testing::AssertionSuccess();
  char text[160];
  std::snprintf(text, sizeof text, "%.21Lg differs from %.21Lg by %.3Lg > %.3Lg", actual, expected, error, bound);
  return testing::AssertionFailure() << text;
}

int log2Ceil(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

std::vector<Complex> randomPoints(std::mt19937_64& g, int points, bool real) {
  std::uniform_int_distribution<int64_t> digit(-(1 << 20), 1 << 20);
  std::vector<Complex> z(points);
  for (auto& p : z) p = {static_cast<long double>(digit(g)), real ? 0.0L : static_cast<long double>(digit(g))};
  return z;
}

// What the tests need to know of each transform.
template <class Plan>
struct Kernel;

template <>
struct Kernel<FftPlan> {
  using Point = SplitPoint;
  static constexpr long double EPSILON = 0x1p-64L;  // unit roundoff at 64-bit precision
  static constexpr long double CONVOLUTION_BOUND = 1e-6L;
  static constexpr int LEAF = FFT_LEAF_POINTS;
  static bool available() { return true; }
  // Every length kind: the smallest ones, radix-2 and radix-4 last levels,
  // radix-3 first levels, blocks up to the leaf size and depth-first beyond.
  static std::vector<int> lengths() {
    std::vector<int> lengths;
    for (int m = FFT_MIN_POINTS; m <= 16 * LEAF; m *= 2) lengths.push_back(m);
    for (int m = 6; m <= 12 * LEAF; m *= 2) lengths.push_back(m);
    return lengths;
  }
  static std::unique_ptr<Point[]> buffer(const std::vector<Complex>& z) {
    auto buffer = std::make_unique<Point[]>(z.size());
    for (size_t j = 0; j < z.size(); ++j) {
      store(buffer[j].re, z[j].re);
      store(buffer[j].im, z[j].im);
    }
    return buffer;
  }
  static Complex at(const Point* buffer, int j) { return {load(buffer[j].re), load(buffer[j].im)}; }
};

template <>
struct Kernel<Avx2Plan> {
  using Point = PointQuad;
  static constexpr long double EPSILON = 0x1p-53L;  // unit roundoff of a double
  static constexpr long double CONVOLUTION_BOUND = 1e-3L;
  static constexpr int LEAF = AVX2_FFT_LEAF_POINTS;
  static bool available() { return hasAvx2Fma(); }
  // The three families from their shortest lengths, odd and even log2
  // leaves, blocks up to four leaves (depth-first beyond one).
  static std::vector<int> lengths() {
    std::vector<int> lengths;
    for (int m = 16; m <= 16 * LEAF; m += 16) {
      if (isAvx2Length(m) && (m <= 4 * LEAF || (m & (m - 1)) == 0)) lengths.push_back(m);
    }
    return lengths;
  }
  static std::unique_ptr<Point[]> buffer(const std::vector<Complex>& z) {
    auto buffer = std::make_unique<Point[]>(z.size() / 4);
    for (size_t j = 0; j < z.size(); ++j) {
      buffer[j / 4].re[j % 4] = static_cast<double>(z[j].re);
      buffer[j / 4].im[j % 4] = static_cast<double>(z[j].im);
    }
    return buffer;
  }
  static Complex at(const Point* buffer, int j) { return {buffer[j / 4].re[j % 4], buffer[j / 4].im[j % 4]}; }
};

template <class Plan>
class TransformTest : public testing::Test {
 protected:
  using K = Kernel<Plan>;
  void SetUp() override {
    if (!K::available()) GTEST_SKIP() << "the processor has no AVX2 with FMA, or QUORVEL_SIMD=off";
  }
};
using Plans = testing::Types<FftPlan, Avx2Plan>;
TYPED_TEST_SUITE(TransformTest, Plans);

// e^(2 pi i num/den) in quadruple precision, rounded once to extended: an
// independent reference within half a unit in the last place.
Complex exactRoot(int64_t num, int64_t den) {
  static const __float128 twoPi = 8 * atanq(static_cast<__float128>(1));
  const __float128 angle = twoPi * static_cast<__float128>(num) / static_cast<__float128>(den);
  return {static_cast<long double>(cosq(angle)), static_cast<long double>(sinq(angle))};
}

std::vector<Complex> rootsOfUnity(int count) {
  std::vector<Complex> roots(count);
  for (int e = 0; e < count; ++e) roots[e] = exactRoot(e, count);
  return roots;
}

// Position p of the forward transform by definition: sum_j z_j omega^j
// w^(j f(p)) = sum_j z_j e^(2 pi i j (4 f(p) + 1)/(4M)), exponents reduced
// exactly, sums compensated.
template <class Plan>
std::vector<Complex> directTransform(const Plan& plan, const std::vector<Complex>& z) {
  const int M = plan.points();
  const auto roots = rootsOfUnity(4 * M);
  std::vector<Complex> out(M);
  for (int p = 0; p < M; ++p) {
    const int64_t step = 4 * int64_t{spectrumFrequency(plan, p)} + 1;
    long double re = 0, reCarry = 0, im = 0, imCarry = 0;
    for (int j = 0; j < M; ++j) {
      const Complex& w = roots[static_cast<size_t>((step * j) % (4 * M))];
      const long double termRe = z[j].re * w.re - z[j].im * w.im - reCarry;
      const long double nextRe = re + termRe;
      reCarry = (nextRe - re) - termRe;
      re = nextRe;
      const long double termIm = z[j].re * w.im + z[j].im * w.re - imCarry;
      const long double nextIm = im + termIm;
      imCarry = (nextIm - im) - termIm;
      im = nextIm;
    }
    out[p] = {re, im};
  }
  return out;
}

long double sumOfMagnitudes(const std::vector<Complex>& z) {
  long double sum = 0;
  for (const auto& p : z) sum += fabsl(p.re) + fabsl(p.im);
  return sum;
}

TYPED_TEST(TransformTest, MatchesDirectEvaluationForEveryKernelLength) {
  using K = Kernel<TypeParam>;
  auto g = test::rng(1);
  for (int M : K::lengths()) {
    if (M > 4096) continue;  // the direct evaluation takes M^2 steps
    for (bool real : {false, true}) {
      SCOPED_TRACE(testing::Message() << "M = " << M << (real ? ", real input" : ""));
      const TypeParam plan(M);
      const auto z = randomPoints(g, M, real);
      auto buffer = K::buffer(z);
      ASSERT_TRUE(forwardTransform(plan, buffer.get(), real));
      const auto expected = directTransform(plan, z);
      // Each level adds a few roundings relative to the largest value it
      // combines, which is at most sum |z_j|.
      const long double bound = 4 * log2Ceil(M) * K::EPSILON * sumOfMagnitudes(z);
      for (int p = 0; p < M; ++p) {
        ASSERT_TRUE(near(K::at(buffer.get(), p).re, expected[p].re, bound)) << "position " << p;
        ASSERT_TRUE(near(K::at(buffer.get(), p).im, expected[p].im, bound)) << "position " << p;
      }
    }
  }
}

TYPED_TEST(TransformTest, ForwardThenInverseGivesLengthTimesInput) {
  using K = Kernel<TypeParam>;
  auto g = test::rng(2);
  std::vector<int> lengths = K::lengths();
  lengths.insert(lengths.end(), {1 << 20, 3 << 18});
  if (std::is_same_v<TypeParam, Avx2Plan>) lengths.push_back(5 << 18);
  for (int M : lengths) {
    SCOPED_TRACE(M);
    const TypeParam plan(M);
    const auto z = randomPoints(g, M, false);
    auto buffer = K::buffer(z);
    ASSERT_TRUE(forwardTransform(plan, buffer.get(), false));
    ASSERT_TRUE(inverseTransform(plan, buffer.get()));
    // Both transforms are M^(1/2) times a unitary map up to rounding: each
    // output errs by a few log2(M) roundings of M |z|_2 / M^(1/2) on
    // average, bounded here by M |z|_2.
    long double l2 = 0;
    for (const auto& p : z) l2 += p.re * p.re + p.im * p.im;
    const long double bound = 4 * log2Ceil(M) * K::EPSILON * M * sqrtl(l2);
    for (int j = 0; j < M; ++j) {
      ASSERT_TRUE(near(K::at(buffer.get(), j).re, M * z[j].re, bound)) << "point " << j;
      ASSERT_TRUE(near(K::at(buffer.get(), j).im, M * z[j].im, bound)) << "point " << j;
    }
  }
}

// convolve, then the weights removed, is the product of the two real
// sequences of 2M places (x_j at point j mod M, real part for j < M): point
// j holds p_j + i p_(j+M). Products and squares, across the leaf size.
TYPED_TEST(TransformTest, ConvolutionIsTheProductOfTheRealSequences) {
  using K = Kernel<TypeParam>;
  auto g = test::rng(3);
  std::uniform_int_distribution<int> digit(-1000, 1000);
  const int lengths[] = {std::is_same_v<TypeParam, Avx2Plan> ? 48 : 4, 96, 2 * K::LEAF, 12 * K::LEAF, 64 * K::LEAF};
  for (int M : lengths) {
    for (bool square : {false, true}) {
      SCOPED_TRACE(testing::Message() << "M = " << M << (square ? ", square" : ""));
      const TypeParam plan(M);
      // Lengths that fill the 2M places, x longer than M (complex points).
      const int dx = square ? M : M + M / 2, dy = square ? dx : M / 2 + 1;
      std::vector<long double> x(2 * M, 0), y(2 * M, 0);
      for (int j = 0; j < dx; ++j) x[j] = digit(g);
      for (int j = 0; j < dy; ++j) y[j] = square ? x[j] : digit(g);
      auto points = [&](const std::vector<long double>& v) {
        std::vector<Complex> z(M);
        for (int j = 0; j < M; ++j) z[j] = {v[j], v[j + M]};
        return K::buffer(z);
      };
      auto zx = points(x);
      std::unique_ptr<typename K::Point[]> spectrum;
      if (!square) {
        spectrum = points(y);
        ASSERT_TRUE(forwardTransform(plan, spectrum.get(), dy <= M));
      }
      ASSERT_TRUE(convolve(plan, zx.get(), dx <= M, spectrum.get(), 1.0L / M));
      // Every coefficient on the short lengths, a sample on the long one.
      const int step = M > 12 * K::LEAF ? 997 : 1;
      for (int j = 0; j < 2 * M; j += step) {
        long double expected = 0;
        for (int i = 0; i <= j; ++i) expected += x[i] * y[j - i];
        const Complex w = K::at(plan.weights(), j % M);
        const Complex r = K::at(zx.get(), j % M);
        const long double value = j < M ? r.re * w.re + r.im * w.im : r.im * w.re - r.re * w.im;
        ASSERT_TRUE(near(value, expected, K::CONVOLUTION_BOUND)) << "coefficient " << j;
      }
    }
  }
}

// Also checks that no two entries share a slot: a copy at the wrong index
// would hold another angle.
TEST(X87TransformTest, TablesHoldDirectSinesAndCosines) {
  for (int M : {1 << 12, 3 << 11}) {
    SCOPED_TRACE(M);
    const FftPlan plan(M);
    // Each entry is a rounded root plus one more rounding at most.
    auto expectRoot = [](const SplitPoint& p, int64_t num, int64_t den, const char* table, int index) {
      const Complex root = exactRoot(num, den);
      ASSERT_TRUE(near(load(p.re), root.re, 2 * Kernel<FftPlan>::EPSILON)) << table << " " << index;
      ASSERT_TRUE(near(load(p.im), root.im, 2 * Kernel<FftPlan>::EPSILON)) << table << " " << index;
    };
    for (int j = 0; j < M; ++j) expectRoot(plan.weights()[j], j, 4 * M, "weight", j);
    const int P = plan.blockPoints();
    for (int j = 0; j < P / 4; ++j) {
      expectRoot(plan.twiddles()[j].w1, j, P, "w1", j);
      expectRoot(plan.twiddles()[j].w2, 2 * j, P, "w2", j);
    }
    if (plan.radix() == 3) {
      for (int j = 0; j < P; ++j) expectRoot(plan.radix3Twiddles()[j], j, M, "radix-3", j);
    }
  }
}

TYPED_TEST(TransformTest, StopsWhenCancelled) {
  using K = Kernel<TypeParam>;
  const int M = 4 * FFT_POLL_POINTS;
  const TypeParam plan(M);
  auto g = test::rng(5);
  auto buffer = K::buffer(randomPoints(g, M, false));
  *abortSlot = 1;
  EXPECT_FALSE(forwardTransform(plan, buffer.get(), false));
  EXPECT_FALSE(convolve(plan, buffer.get(), false, nullptr, 1.0L / M));
  EXPECT_FALSE(inverseTransform(plan, buffer.get()));
  *abortSlot = 0;
  EXPECT_TRUE(forwardTransform(plan, buffer.get(), false));
}

// The AVX2 tables are filled in pieces on the task pool, which skips pieces
// once the abort flag is set: a plan built under a cancelled computation
// must not be kept for the next one.
TEST(Avx2PlanTest, PlanBuiltWhileCancelledIsNotKept) {
  if (!hasAvx2Fma()) GTEST_SKIP() << "the processor has no AVX2 with FMA, or QUORVEL_SIMD=off";
  const int M = 5 << 14;  // built by no other test here
  *abortSlot = 1;
  sharedAvx2Plan(M);
  *abortSlot = 0;
  const auto kept = sharedAvx2Plan(M);
  const Avx2Plan fresh(M);
  EXPECT_EQ(std::memcmp(kept->weights(), fresh.weights(), sizeof(PointQuad) * (M / 4)), 0);
  EXPECT_EQ(std::memcmp(kept->firstTwiddles(), fresh.firstTwiddles(), sizeof(TwiddleQuad) * (M / 20)), 0);
}

}  // namespace
}  // namespace quorvel::detail
