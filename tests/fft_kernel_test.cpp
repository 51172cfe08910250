// realFft against an independent extended-precision DFT, the round trip,
// the impulse response, the tables and their reuse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

#include "fft/fft.h"
#include "fft/twiddle_order.h"
#include "tests/support/random.h"

namespace quorvel {
namespace {

constexpr long double PI = std::numbers::pi_v<long double>;
constexpr long double EPSILON = 0x1p-64L;  // unit roundoff at 64-bit precision

struct Workspace {
  explicit Workspace(int n) : w(n / 2), ip(n / 2, 0) {}
  std::vector<long double> w;
  std::vector<int> ip;
};

// EXPECT_NEAR works in double; the transforms need the 64-bit significand.
testing::AssertionResult near(long double actual, long double expected, long double bound) {
  const long double error = fabsl(actual - expected);
  if (error <= bound) return testing::AssertionSuccess();
  char text[160];
  std::snprintf(text, sizeof text, "%.21Lg differs from %.21Lg by %.3Lg > %.3Lg", actual, expected, error, bound);
  return testing::AssertionFailure() << text;
}

int log2Of(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

std::vector<long double> randomIntegers(std::mt19937_64& g, int n, int64_t bound) {
  std::uniform_int_distribution<int64_t> digit(-bound, bound);
  std::vector<long double> x(n);
  for (auto& v : x) v = static_cast<long double>(digit(g));
  return x;
}

// The packed spectrum by definition: each frequency summed directly over
// sines and cosines of the exactly reduced angle 2 pi (jk mod n)/n, with
// compensated sums, so that the reference error stays near one rounding of
// sum |x_j|.
std::vector<long double> naiveSpectrum(const std::vector<long double>& x) {
  const int n = static_cast<int>(x.size());
  std::vector<long double> cosine(n), sine(n);
  for (int m = 0; m < n; ++m) {
    cosine[m] = cosl(2 * PI * m / n);
    sine[m] = sinl(2 * PI * m / n);
  }
  std::vector<long double> a(n);
  for (int k = 0; k <= n / 2; ++k) {
    long double re = 0, reCarry = 0, im = 0, imCarry = 0;
    for (int j = 0; j < n; ++j) {
      const int m = static_cast<int>((static_cast<int64_t>(j) * k) % n);
      const long double termRe = x[j] * cosine[m] - reCarry;
      const long double nextRe = re + termRe;
      reCarry = (nextRe - re) - termRe;
      re = nextRe;
      const long double termIm = x[j] * sine[m] - imCarry;
      const long double nextIm = im + termIm;
      imCarry = (nextIm - im) - termIm;
      im = nextIm;
    }
    if (k == 0) {
      a[0] = re;
    } else if (k == n / 2) {
      a[1] = re;
    } else {
      a[2 * k] = re;
      a[2 * k + 1] = im;
    }
  }
  return a;
}

// Every size from the smallest (special-cased 2- and 4-point transforms)
// through both final kernels (radix-2 and radix-4 last levels), the leaf
// size of the recursion and its neighbours, up to the first size whose
// quarters are split again (n/2 points > 4 leaves).
std::vector<int> kernelSizes() {
  std::vector<int> sizes;
  for (int n = FFT_MIN_LENGTH; n <= 16 * FFT_LEAF_POINTS; n *= 2) sizes.push_back(n);
  return sizes;
}

TEST(RealFftTest, MatchesDirectDftForEveryKernelSize) {
  auto g = test::rng(1);
  for (int n : kernelSizes()) {
    SCOPED_TRACE(n);
    const auto x = randomIntegers(g, n, 1 << 20);
    Workspace ws(n);
    auto a = x;
    realFft(n, 1, a.data(), ws.ip.data(), ws.w.data());
    const auto expected = naiveSpectrum(x);
    long double l1 = 0;
    for (long double v : x) l1 += fabsl(v);
    // Each level of a radix-4 pass adds a few roundings relative to the
    // largest value it combines, which is at most sum |x_j|.
    const long double bound = 4 * log2Of(n) * EPSILON * l1;
    for (int i = 0; i < n; ++i) ASSERT_TRUE(near(a[i], expected[i], bound)) << "element " << i;
  }
}

TEST(RealFftTest, ForwardThenInverseGivesHalfLengthTimesInput) {
  auto g = test::rng(2);
  for (int n : {4, 8, 16, 32, 64, 1024, 1 << 20}) {
    SCOPED_TRACE(n);
    const auto x = randomIntegers(g, n, 1 << 20);
    Workspace ws(n);
    auto a = x;
    realFft(n, 1, a.data(), ws.ip.data(), ws.w.data());
    realFft(n, -1, a.data(), ws.ip.data(), ws.w.data());
    // The two transforms together are n/2 times an orthogonal map up to
    // rounding; the error of each output is then a few log2(n) roundings of
    // (n/2) |x|_2 / sqrt(n/2) on average, bounded here by its 2-norm.
    long double l2 = 0;
    for (long double v : x) l2 += v * v;
    const long double bound = 4 * log2Of(n) * EPSILON * (n / 2) * sqrtl(l2);
    for (int i = 0; i < n; ++i) ASSERT_TRUE(near(a[i], (n / 2) * x[i], bound)) << "element " << i;
  }
}

TEST(RealFftTest, UnitImpulseGivesTheTwiddles) {
  for (int n : {4, 8, 16, 64, 1024, 4096}) {
    SCOPED_TRACE(n);
    std::vector<long double> a(n, 0);
    a[1] = 1;
    Workspace ws(n);
    realFft(n, 1, a.data(), ws.ip.data(), ws.w.data());
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], -1);
    for (int k = 1; k < n / 2; ++k) {
      ASSERT_TRUE(near(a[2 * k], cosl(2 * PI * k / n), 4 * EPSILON)) << "k " << k;
      ASSERT_TRUE(near(a[2 * k + 1], sinl(2 * PI * k / n), 4 * EPSILON)) << "k " << k;
    }
  }
}

TEST(RealFftTest, SmallerTransformReusesLargerTables) {
  auto g = test::rng(4);
  const int large = 1 << 14;
  Workspace ws(large);
  auto big = randomIntegers(g, large, 1000);
  realFft(large, 1, big.data(), ws.ip.data(), ws.w.data());
  const std::vector<int> ipAfterLarge = ws.ip;
  const std::vector<long double> wAfterLarge = ws.w;
  for (int n : {large / 2, 1024, 64, 8, 4}) {
    SCOPED_TRACE(n);
    const auto x = randomIntegers(g, n, 1 << 20);
    auto a = x;
    realFft(n, 1, a.data(), ws.ip.data(), ws.w.data());
    EXPECT_EQ(ws.ip, ipAfterLarge);
    EXPECT_EQ(ws.w, wAfterLarge);
    const auto expected = n <= 1024 ? naiveSpectrum(x) : std::vector<long double>{};
    long double l1 = 0;
    for (long double v : x) l1 += fabsl(v);
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
      ASSERT_TRUE(near(a[i], expected[i], 4 * log2Of(n) * EPSILON * l1)) << "element " << i;
    }
    realFft(n, -1, a.data(), ws.ip.data(), ws.w.data());
    for (int i = 0; i < n; ++i) ASSERT_EQ(rintl(a[i] / (n / 2)), x[i]) << "element " << i;
  }
}

// Also checks the twiddle order: two exponents sharing a position would
// leave one of them with the other's value.
TEST(RealFftTest, TablesHoldDirectSinesAndCosines) {
  const int nw = 1 << 12;
  std::vector<long double> w(2 * nw);
  std::vector<int> ip(2 * nw);
  makeTwiddles(nw, ip.data(), w.data());
  EXPECT_EQ(ip[0], nw);
  EXPECT_EQ(ip[1], 1);
  const int points = 2 * nw;
  // Table and reference are each within about one unit in the last place.
  for (int k = 0; k < nw / 2; ++k) {
    const int at = detail::twiddlePosition(k, nw / 2);
    ASSERT_TRUE(near(w[2 * at], cosl(2 * PI * k / points), 3 * EPSILON)) << "k " << k;
    ASSERT_TRUE(near(w[2 * at + 1], sinl(2 * PI * k / points), 3 * EPSILON)) << "k " << k;
  }
  const int nc = nw;
  long double* c = w.data() + nw;
  makeCosTable(nc, ip.data(), c);
  EXPECT_EQ(ip[1], nc);
  const int half = nc / 2;
  EXPECT_TRUE(near(c[0], cosl(PI / 4), 3 * EPSILON));
  EXPECT_TRUE(near(c[half], cosl(PI / 4) / 2, 3 * EPSILON));
  for (int j = 1; j < half; ++j) {
    const long double angle = PI / 4 * j / half;
    ASSERT_TRUE(near(c[j], cosl(angle) / 2, 3 * EPSILON)) << "j " << j;
    ASSERT_TRUE(near(c[nc - j], sinl(angle) / 2, 3 * EPSILON)) << "j " << j;
  }
}

}  // namespace
}  // namespace quorvel
