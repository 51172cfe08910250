// Decimal exponent scaling ("Exp") against GMP, the cap guards, and the
// lazily filled power ladder: filled once, reused, never poisoned by a
// cancelled fill, whole under overlapping workers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <thread>

#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

Mpz pow10(unsigned long k, long times = 1) {
  Mpz p;
  mpz_ui_pow_ui(p.z, 10, k);
  mpz_mul_si(p.z, p.z, times);
  return p;
}

// x * 10^e, or x / 10^-e truncated toward zero.
Mpz scaled(const Mpz& x, long e) {
  Mpz r;
  if (e >= 0) mpz_mul(r.z, x.z, pow10(static_cast<unsigned long>(e)).z);
  else mpz_tdiv_q(r.z, x.z, pow10(static_cast<unsigned long>(-e)).z);
  return r;
}

const char* expThrows(const vnum& left, const vnum& right) {
  try {
    exponentScale(left, right);
  } catch (const char* message) {
    return message;
  }
  return nullptr;
}

void expectLadderEntriesExact() {
  for (int f = 0; f < DEC_POWER_LADDER_SIZE; ++f) {
    SCOPED_TRACE("ladder entry " + std::to_string(f));
    if (const vnum* entry = decPowerLadder.find(f)) EXPECT_VNUM_EQ(*entry, pow10(8ul << f));
  }
}

}  // namespace

TEST(NumtheoryExp, AgreesWithGmp) {
  // {x, e}: small table, ladder entries 10^8 and 10^16, truncation, 0.
  const long long rows[][2] = {{5, 3},       {12345, -2}, {-12345, -2}, {7, 0},    {1, 8},  {1, 9},
                               {1, 24},      {-3, 17},    {99, -2},     {-100, -2}, {0, 5}, {0, -5},
                               {123456789, -8}, {-123456789, -9}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row[0]) + " Exp " + std::to_string(row[1]));
    const Mpz expected = scaled(Mpz(static_cast<long>(row[0])), static_cast<long>(row[1]));
    EXPECT_VNUM_EQ(exponentScale(v(row[0]), v(row[1])), expected);
  }
  auto g = rng(501);
  // Powers built by squaring halves (every bit of k / 8 set, or many) and
  // from the ladder alone (k / 8 a power of two), both ways of the sign;
  // below 8 * 2^12, where the ladder test below takes over.
  for (long e : {8191L, 16384L, 24577L, 32767L}) {
    const Mpz x = randomMpz(g, 3000, g() & 1, g() & 1), big = randomMpz(g, 400000, true, g() & 1);
    SCOPED_TRACE("e=" + std::to_string(e));
    EXPECT_VNUM_EQ(exponentScale(fromMpz(x), v(e)), scaled(x, e));
    EXPECT_VNUM_EQ(exponentScale(fromMpz(big), v(-e)), scaled(big, -e));
  }
  for (int it = 0; it < iterations(200); ++it) {
    Mpz x = randomOperand(g, it % 10 == 0 ? 30000 : 3000);
    long e = static_cast<long>(logUniform(g, 1, 5000)) * ((g() & 1) ? 1 : -1);
    if (it % 8 == 0) e = static_cast<long>(g() % 17) - 8;
    if (it % 5 == 0) {  // next to 10^|e|, where the quotient turns from 0 to +-1
      e = -std::abs(e);
      x = pow10(static_cast<unsigned long>(-e), (g() & 1) ? 1 : -1);
      mpz_add_ui(x.z, x.z, g() % 3);
      mpz_sub_ui(x.z, x.z, 1);
    }
    SCOPED_TRACE("x=" + x.hex() + " e=" + std::to_string(e));
    EXPECT_VNUM_EQ(exponentScale(fromMpz(x), v(e)), scaled(x, e));
  }
}

// Products certain to pass 5,000,000 bits are refused before any work; one
// that fits is computed up to the exact boundary; |e| >= 2^30 gives "Scale
// over" or 0 (never the low limb, which would make 2^30 + 3 act as 3).
TEST(NumtheoryExp, CapGuard) {
  vnum fits = v(1);
  fits.shift(4999990);  // 2^4999990 * 1000 has exactly 5,000,000 bits
  scaleByPowerOfTen(fits, 3);
  EXPECT_EQ(fits.bitLength(), 5000000);
  EXPECT_VNUM_EQ(fits, [] { Mpz r; mpz_ui_pow_ui(r.z, 2, 4999990); mpz_mul_ui(r.z, r.z, 1000); return r; }());
  vnum over = v(-1);
  over.shift(4999991);
  const char* caught = nullptr;
  try { scaleByPowerOfTen(over, 3); } catch (const char* m) { caught = m; }
  EXPECT_STREQ(caught, MSG_SCALE_OVER);
  EXPECT_EQ(over.bitLength(), 4999992);  // left as it was

  const long long limit = 1ll << 30;
  EXPECT_STREQ(expThrows(v(1), v(1505150)), MSG_SCALE_OVER);  // 10^1505150: 5,000,002 bits
  EXPECT_STREQ(expThrows(v(1), v(limit - 1)), MSG_SCALE_OVER);
  EXPECT_STREQ(expThrows(v(1), v(limit + 3)), MSG_SCALE_OVER);
  EXPECT_STREQ(expThrows(v(-5), fromMpz(Mpz("100000000000000000000000000000000000", 16))), MSG_SCALE_OVER);
  EXPECT_EQ(decPowerLadder.find(17), nullptr);  // nothing was squared for them
  EXPECT_VNUM_EQ(exponentScale(v(12345), v(-(limit + 3))), Mpz(0));
  EXPECT_VNUM_EQ(exponentScale(v(-12345), v(-limit)), Mpz(0));
  EXPECT_VNUM_EQ(exponentScale(v(0), v(limit + 3)), Mpz(0));
  vnum big = v(1);
  big.shift(4000000);
  scaleByPowerOfTen(big, INT32_MIN);
  EXPECT_VNUM_EQ(big, Mpz(0));
}

// The ladder's life in one sequence, since entries are process-wide and a
// fill covers every entry below the one asked for. No other test of this
// binary needs an entry above 11.
//  1. Two workers fill entry 12 at once.
//  2. A worker cancelled at an arbitrary point while filling up to entry 14
//     overlaps a live one.
//  3. A fill that starts cancelled publishes nothing.
//  4. A first use squares in exactly the entries needed; later calls reuse
//     them.
// After every step each published entry is its exact power of ten.
TEST(NumtheoryExp, LadderLifecycle) {
  ASSERT_EQ(decPowerLadder.find(12), nullptr);
  vnum results[2];
  std::thread workers[2];
  for (int w = 0; w < 2; ++w) {
    workers[w] = std::thread([w, &results] {
      claimAbortSlot();
      results[w] = v(w + 1);
      scaleByPowerOfTen(results[w], 8 << 12);
    });
  }
  for (auto& worker : workers) worker.join();
  for (int w = 0; w < 2; ++w) EXPECT_VNUM_EQ(results[w], pow10(8 << 12, w + 1));
  expectLadderEntriesExact();

  ASSERT_EQ(decPowerLadder.find(13), nullptr);
  std::atomic<std::atomic<int>*> cancelledSlot{nullptr};
  std::thread cancelled([&cancelledSlot] {
    claimAbortSlot();
    cancelledSlot.store(abortSlot);
    vnum x = v(1);
    scaleByPowerOfTen(x, 8 << 14);
  });
  while (!cancelledSlot.load()) std::this_thread::yield();
  vnum live = v(1);
  scaleByPowerOfTen(live, (8 << 13) + 5);
  cancelledSlot.load()->store(1);
  scaleByPowerOfTen(live, (8 << 13) + 5);
  cancelled.join();
  EXPECT_VNUM_EQ(live, pow10(2 * ((8 << 13) + 5)));
  expectLadderEntriesExact();

  ASSERT_EQ(decPowerLadder.find(15), nullptr);
  vnum x = v(1);
  abortSlot->store(1);
  EXPECT_NO_THROW(scaleByPowerOfTen(x, 8 << 15));
  EXPECT_EQ(decPowerLadderEntry(15), nullptr);
  abortSlot->store(0);
  EXPECT_EQ(decPowerLadder.find(15), nullptr);

  vnum y = v(3);
  scaleByPowerOfTen(y, (8 << 15) + 9);
  EXPECT_VNUM_EQ(y, pow10((8 << 15) + 9, 3));
  for (int f = 0; f <= 15; ++f) EXPECT_NE(decPowerLadder.find(f), nullptr) << f;
  EXPECT_EQ(decPowerLadder.find(16), nullptr);
  expectLadderEntriesExact();
  const vnum* entry15 = decPowerLadder.find(15);
  vnum z = v(-2);
  scaleByPowerOfTen(z, (8 << 15) + 17);
  EXPECT_VNUM_EQ(z, pow10((8 << 15) + 17, -2));
  EXPECT_EQ(decPowerLadderEntry(15), entry15);
}
