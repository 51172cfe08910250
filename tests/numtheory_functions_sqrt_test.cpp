// Integer square root: the small table, neighbours of squares at each size
// where the method changes, random values and aliasing against GMP, the
// inverse square root's bound on its own and cancelled calls.
#include <gtest/gtest.h>

#include <chrono>

#include "numtheory/functions.h"
#include "numtheory/roots/limits.h"
#include "platform/abort_flags.h"
#include "tests/support/cancel_after.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Root and remainder of x against mpz_sqrtrem; alias > 0 passes x itself as
// the result (1) or as the remainder (2).
void expectRoot(const Mpz& x, int alias = 0) {
  Mpz s, r;
  mpz_sqrtrem(s.z, r.z, x.z);
  vnum value = fromMpz(x), root(int32_t{-5}), rest(int32_t{-5});
  squareRoot(alias == 1 ? value : root, value, alias == 2 ? value : rest);
  SCOPED_TRACE("x=" + x.hex());
  EXPECT_VNUM_EQ(alias == 1 ? value : root, s);
  EXPECT_VNUM_EQ(alias == 2 ? value : rest, r);
}

}  // namespace

TEST(SquareRoot, SmallValuesAndNegative) {
  for (long x : {0L, 1L, 2L, 3L, 4L, 15L, 16L, 17L, 99L, 100L}) expectRoot(Mpz(x));
  vnum root(int32_t{7}), rest(int32_t{8});
  const char* message = nullptr;
  try {
    squareRoot(root, vnum(int32_t{-4}), rest);
  } catch (const char* m) {
    message = m;
  }
  EXPECT_STREQ(message, MSG_NEGATIVE_VALUE);
  EXPECT_VNUM_EQ(root, Mpz(7));
  EXPECT_VNUM_EQ(rest, Mpz(8));
}

// The inverse root is built to h = ceil(H/2) + 4 bits (H = ceil(n/2)), read
// off the x87 estimate up to 58 bits and by one more Newton stage each time
// h passes 58, 110, 214, ...: n = 216 / 217 and 424 / 425 are the first two
// stage boundaries, n <= 64 reads x scaled up, and n = 50 / 51 is the end
// of the double path.
TEST(SquareRoot, NeighboursOfSquaresAndMethodBoundaries) {
  auto g = rng(301);
  // k^2 - 1, k^2, k^2 + 1 for k near 2^25 (the double path's end), 2^32, 2^40,
  // 2^108, 2^212 (stage boundaries) and far beyond.
  for (long e : {24L, 25L, 32L, 40L, 107L, 108L, 211L, 212L, 8191L, 10000L}) {
    std::vector<Mpz> ks = {randomMpz(g, e + 1, false, false), randomMpz(g, e, true, false)};
    for (long add : {-2L, -1L, 0L, 1L, 2L}) ks.push_back(powerOfTwoPlus(e, add));
    for (const Mpz& k : ks) {
      Mpz x;
      mpz_mul(x.z, k.z, k.z);
      mpz_sub_ui(x.z, x.z, 1);
      for (int d = 0; d < 3; ++d, mpz_add_ui(x.z, x.z, 1)) expectRoot(x);
    }
  }
  // Random and all-ones values of every bit length around each boundary.
  for (long n : {SQRT_DOUBLE_MAX_BITS, SQRT_ESTIMATE_BITS, 216L, 424L}) {
    for (long b = n - 2; b <= n + 2; ++b) {
      expectRoot(randomMpz(g, b, false, false));
      expectRoot(randomMpz(g, b, true, false));
      expectRoot(powerOfTwoPlus(b, -1));
    }
  }
}

TEST(SquareRoot, AgreesWithGmpOnRandomSizes) {
  auto g = rng(303);
  for (int it = 0; it < iterations(300); ++it) {
    const long bits = static_cast<long>(logUniform(g, 1, it % 25 == 0 ? 200000 : 20000));
    expectRoot(randomMpz(g, bits, it % 2 == 0, false), it % 7 == 0 ? 1 + it % 2 : 0);
  }
}

// floor(Y) - 2 <= y <= floor(Y) + 1 for Y = 2^(k+H) / sqrt(x), H = ceil(n/2):
// the start (k <= 58), one stage (59..110), two (111..214) and many; x with
// runs of ones, all ones and powers of two.
TEST(SquareRoot, InverseSqrtBound) {
  auto g = rng(305);
  for (long k : {1L, 57L, 58L, 59L, 110L, 111L, 214L, 215L, 5000L}) {
    for (int it = 0; it < iterations(12); ++it) {
      const long bits = static_cast<long>(logUniform(g, 1, 12000));
      const Mpz x = it % 4 == 1 ? powerOfTwoPlus(bits, -1) : it % 4 == 2 ? powerOfTwoPlus(bits - 1, 0)
                                                                         : randomMpz(g, bits, it % 2 == 0, false);
      const long H = (static_cast<long>(mpz_sizeinbase(x.z, 2)) + 1) / 2;
      Mpz target, gap;
      mpz_setbit(target.z, static_cast<mp_bitcnt_t>(2 * (k + H)));
      mpz_tdiv_q(target.z, target.z, x.z);
      mpz_sqrt(target.z, target.z);  // floor(sqrt(2^(2(k+H)) / x)) = floor(Y)
      mpz_sub(gap.z, toMpz(inverseSqrt(fromMpz(x), k)).z, target.z);
      EXPECT_TRUE(mpz_cmp_si(gap.z, -2) >= 0 && mpz_cmp_si(gap.z, 1) <= 0)
          << "x=" << x.hex() << " k=" << k << " gap=" << gap.hex();
    }
  }
}

// A call cancelled before it starts leaves both outputs as they were; one
// cancelled at an arbitrary point leaves them as they were or gives the
// exact root and remainder, and the next call is exact.
TEST(SquareRoot, CancelledCallsLeaveTheirOutputs) {
  auto g = rng(306);
  for (long bits : {60L, 5000L, 40000L}) {
    const vnum x = fromMpz(randomMpz(g, bits, false, false));
    vnum root(int32_t{11}), rest(int32_t{12});
    abortSlot->store(1);
    squareRoot(root, x, rest);
    abortSlot->store(0);
    EXPECT_VNUM_EQ(root, Mpz(11));
    EXPECT_VNUM_EQ(rest, Mpz(12));
  }
  const Mpz x = randomMpz(g, 600000, true, false);
  Mpz s, r;
  mpz_sqrtrem(s.z, r.z, x.z);
  for (int delay = 0; delay < 10; ++delay) {
    vnum root(int32_t{11}), rest(int32_t{12});
    cancelAfter(std::chrono::microseconds(2000 * delay), [&] { squareRoot(root, fromMpz(x), rest); });
    if (root != vnum(int32_t{11}) || rest != vnum(int32_t{12})) {
      EXPECT_VNUM_EQ(root, s);
      EXPECT_VNUM_EQ(rest, r);
    }
  }
  expectRoot(x);
}
