// Integer square root: the small table, neighbours of squares at each size
// where the method changes, random values and aliasing against GMP, the
// Newton step on its own and the cancelled call.
#include <gtest/gtest.h>

#include "numtheory/functions.h"
#include "numtheory/functions_limits.h"
#include "platform/abort_flags.h"
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

TEST(SquareRoot, NeighboursOfSquaresAndMethodBoundaries) {
  auto g = rng(301);
  // k^2 - 1, k^2, k^2 + 1 for k near 2^25 (the double path's end), 2^32, 2^40,
  // 2^8190 (the scaled estimate), 2^8192 (staging) and 2^8200, 2^10000.
  for (long e : {24L, 25L, 32L, 40L, 8189L, 8190L, 8191L, 8192L, 8200L, 10000L}) {
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
  for (long n : {SQRT_DOUBLE_MAX_BITS, SQRT_ESTIMATE_BITS, SQRT_SCALED_ESTIMATE_MIN_BITS, SQRT_STAGED_MIN_BITS}) {
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

TEST(SquareRoot, NewtonStepSettlesJustBelowTheFixedPoint) {
  // From starts within 1/64 of 2^p / sqrt(x), either way, the iteration ends
  // on floor(2^p / sqrt(x)) or a unit or two under it. The truncation of
  // (y^2 x) >> p lifts a step by less than 1/(2 sqrt(x)), so only a small x
  // may end one above.
  auto g = rng(305);
  for (int it = 0; it < iterations(80); ++it) {
    const long bits = static_cast<long>(logUniform(g, 2, 5000));
    const Mpz x = randomMpz(g, bits, it % 2 == 0, false);
    const long p = bits + static_cast<long>(logUniform(g, 1, 3000));
    Mpz target, offset, gap;
    mpz_setbit(target.z, static_cast<mp_bitcnt_t>(2 * p));
    mpz_tdiv_q(target.z, target.z, x.z);
    mpz_sqrt(target.z, target.z);  // floor(sqrt(2^2p / x)) = floor(2^p / sqrt(x))
    mpz_tdiv_q_2exp(offset.z, target.z, 6 + g() % 20);
    if (it % 2) mpz_neg(offset.z, offset.z);
    mpz_add(offset.z, offset.z, target.z);
    vnum y = fromMpz(offset);
    refineInverseSqrt(y, fromMpz(x), p);
    mpz_sub(gap.z, target.z, toMpz(y).z);
    SCOPED_TRACE("x=" + x.hex() + " p=" + std::to_string(p) + " gap=" + gap.hex());
    EXPECT_GE(mpz_cmp_si(gap.z, bits >= 64 ? 0 : -1), 0);
    EXPECT_LE(mpz_cmp_ui(gap.z, 2), 0);
  }
}

TEST(SquareRoot, CancelledCallsLeaveTheirOutputs) {
  auto g = rng(306);
  const vnum y0 = fromMpz(randomMpz(g, 100, false, false));
  for (long bits : {60L, 5000L, 40000L}) {
    const vnum x = fromMpz(randomMpz(g, bits, false, false));
    vnum root(int32_t{11}), rest(int32_t{12}), y(y0);
    abortSlot->store(1);
    squareRoot(root, x, rest);
    refineInverseSqrt(y, x, bits);
    abortSlot->store(0);
    EXPECT_VNUM_EQ(root, Mpz(11));
    EXPECT_VNUM_EQ(rest, Mpz(12));
    EXPECT_EQ(y.compare(y0), 0);
  }
}
