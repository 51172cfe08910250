// x^y and x^y mod N: sign and zero rules, the size guard on the whole
// exponent, the Montgomery constants (both ways of finding NP) and powers
// against GMP on both arithmetics and every window width, and cancels of
// "Modulo" and "Power" at arbitrary points.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "numtheory/functions.h"
#include "numtheory/powers/limits.h"
#include "platform/abort_flags.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(Power, SignZeroAndOneRules) {
  const long table[][3] = {{2, 10, 1024}, {-2, 3, -8}, {-2, 2, 4},  {5, 0, 1},   {0, 0, 1},   {1, 0, 1},
                           {-1, 0, 1},    {0, 7, 0},   {1, -7, 1},  {-1, -7, -1}, {-1, -8, 1}, {3, -2, 0},
                           {-3, -1, 0},   {-2, 1, -2}, {-5, 5, -3125}};
  for (const auto& row : table) {
    SCOPED_TRACE(std::to_string(row[0]) + " ^ " + std::to_string(row[1]));
    EXPECT_VNUM_EQ(power(v(row[0]), v(row[1])), Mpz(row[2]));
  }
  EXPECT_STREQ(thrownMessage([] { power(v(0), v(-1)); }), MSG_BAD_ARGUMENT);
  EXPECT_STREQ(thrownMessage([] { power(v(0), fromMpz(powerOfTwoPlus(100, 0, -1))); }), MSG_BAD_ARGUMENT);
  // Bases of magnitude 0 and 1 read the parity of the whole exponent.
  for (long e : {30L, 31L, 60L, 100000L}) {
    for (long add : {0L, 1L, 2L, 3L}) {
      const long sign = (add & 1) ? -1 : 1;
      for (int ySign : {1, -1}) {
        const vnum y = fromMpz(powerOfTwoPlus(e, add, ySign));
        EXPECT_VNUM_EQ(power(v(-1), y), Mpz(sign));
        EXPECT_VNUM_EQ(power(v(1), y), Mpz(1));
        if (ySign > 0) EXPECT_VNUM_EQ(power(v(0), y), Mpz(0));
      }
      EXPECT_VNUM_EQ(power(v(5), fromMpz(powerOfTwoPlus(e, add, -1))), Mpz(0));
    }
  }
}

TEST(Power, AgreesWithGmp) {
  auto g = rng(401);
  // Exponents of every bit pattern first, then random ones.
  std::vector<long> ys = {1, 2, 3, 4, 7, 8, 255, 256, 257, 0x555, 0xaaa, 0x3ff, 0x400};
  for (int it = 0; it < iterations(250); ++it) ys.push_back(static_cast<long>(logUniform(g, 1, it % 10 ? 2000 : 60)));
  for (size_t i = 0; i < ys.size(); ++i) {
    // Long bases with the short exponents.
    const Mpz x = ys[i] <= 60 ? randomMpz(g, 3000, true, true) : randomOperand(g, 200);
    Mpz expected;
    mpz_pow_ui(expected.z, x.z, static_cast<unsigned long>(ys[i]));
    SCOPED_TRACE("x=" + x.hex() + " y=" + std::to_string(ys[i]));
    EXPECT_VNUM_EQ(power(fromMpz(x), v(ys[i])), expected);
  }
}

TEST(Power, ResultsCertainToPassTheCapAreRefusedBeforeAnyWork) {
  // 2^4,999,999 has exactly 5,000,000 bits; 2^5,000,000 has one too many.
  EXPECT_VNUM_EQ(power(v(2), v(scaleLimitBits - 1)), powerOfTwoPlus(scaleLimitBits - 1, 0));
  EXPECT_VNUM_EQ(power(v(-2), v(scaleLimitBits - 1)), powerOfTwoPlus(scaleLimitBits - 1, 0, -1));
  EXPECT_STREQ(thrownMessage([] { power(v(2), v(scaleLimitBits)); }), MSG_SCALE_OVER);
  const vnum big = fromMpz(powerOfTwoPlus(1000, 0));
  EXPECT_VNUM_EQ(power(big, v(4999)), powerOfTwoPlus(1000 * 4999, 0));
  EXPECT_STREQ(thrownMessage([&] { power(big, v(5000)); }), MSG_SCALE_OVER);
  // 2^(2^30 + 3) must not be read as 2^3 from the exponent's low limb.
  for (long e : {30L, 31L, 200L}) {
    const vnum y = fromMpz(powerOfTwoPlus(e, 3));
    EXPECT_STREQ(thrownMessage([&] { power(v(2), y); }), MSG_SCALE_OVER);
    EXPECT_STREQ(thrownMessage([&] { power(v(-3), y); }), MSG_SCALE_OVER);
  }
}

TEST(ModularPower, SmallModuliAndTheEmptyRecord) {
  ModulusRecord seven, one, empty;
  setModulus(seven, v(7));
  setModulus(one, v(1));
  const long table[][3] = {{3, 6, 1}, {2, 10, 2}, {0, 5, 0}, {5, 0, 1}, {7, 3, 0}, {100, 3, 1}};
  for (const auto& row : table) {
    EXPECT_VNUM_EQ(modularPower(v(row[0]), v(row[1]), seven), Mpz(row[2]));
    EXPECT_VNUM_EQ(modularPower(v(row[0]), v(row[1]), one), Mpz(0));
    EXPECT_VNUM_EQ(modularPower(v(row[0]), v(row[1]), empty), Mpz(0));
  }
  for (const ModulusRecord* record : {&seven, &empty}) {
    EXPECT_STREQ(thrownMessage([&] { modularPower(v(-3), v(2), *record); }), MSG_NEGATIVE_VALUE_MODULAR);
    EXPECT_STREQ(thrownMessage([&] { modularPower(v(3), v(-2), *record); }), MSG_NEGATIVE_VALUE_MODULAR);
  }
  resetModulus(seven);
  EXPECT_EQ(seven.k, 0);
  EXPECT_VNUM_EQ(seven.N, Mpz(0));
  EXPECT_VNUM_EQ(modularPower(v(3), v(6), seven), Mpz(0));
}

TEST(ModularPower, ModulusConstantsAgreeWithGmp) {
  auto g = rng(403);
  std::vector<long> sizes = {1, 2, 3, 29, 30, 31, 59, 60, 61, 62, 1000, 8192};
  for (long b = NP_BIT_SERIAL_MAX_BITS - 2; b <= NP_BIT_SERIAL_MAX_BITS + 2; ++b) sizes.push_back(b);
  for (int it = 0; it < iterations(20); ++it) sizes.push_back(static_cast<long>(logUniform(g, 2, 8192)));
  for (long bits : sizes) {
    Mpz N = randomMpz(g, bits, (bits & 1) != 0, false), R, expected;
    mpz_setbit(N.z, 0);
    ModulusRecord record;
    setModulus(record, fromMpz(N));
    SCOPED_TRACE("N=" + N.hex());
    EXPECT_EQ(record.k, bits);
    EXPECT_VNUM_EQ(record.N, N);
    mpz_setbit(R.z, static_cast<mp_bitcnt_t>(bits));
    mpz_powm_ui(expected.z, R.z, 2, N.z);
    EXPECT_VNUM_EQ(record.RR, expected);
    mpz_invert(expected.z, N.z, R.z);  // NP = R - N^-1 mod R, in [0, R)
    mpz_sub(expected.z, R.z, expected.z);
    mpz_mod(expected.z, expected.z, R.z);
    EXPECT_VNUM_EQ(record.NP, expected);
  }
}

TEST(ModularPower, AgreesWithGmpFromOneTo8192Bits) {
  auto g = rng(405);
  for (int it = 0; it < iterations(120); ++it) {
    const long bits = it < 8 ? it + 1 : static_cast<long>(logUniform(g, 1, it % 20 == 0 ? 8192 : 1500));
    Mpz N = randomMpz(g, bits, it % 3 == 0, false);
    mpz_setbit(N.z, 0);
    // Bases up to three times the modulus' length (so at and above R); an
    // exponent of 0, 1 or all ones now and then.
    const Mpz x = randomMpz(g, static_cast<long>(logUniform(g, 1, 3 * bits + 2)), it % 2 == 0, false);
    const long yBits = static_cast<long>(logUniform(g, 1, std::min(bits + 2, 600L)));
    Mpz y = it % 11 == 0 ? Mpz(it % 22 == 0 ? 0 : 1) : randomMpz(g, yBits, it % 5 == 0, false);
    if (it % 7 == 3) y = powerOfTwoPlus(yBits, -1);
    ModulusRecord record;
    setModulus(record, fromMpz(N));
    Mpz expected;
    mpz_powm(expected.z, x.z, y.z, N.z);
    SCOPED_TRACE("N=" + N.hex() + " x=" + x.hex() + " y=" + y.hex());
    EXPECT_VNUM_EQ(modularPower(fromMpz(x), fromMpz(y), record), expected);
  }
}

TEST(ModularPower, CancelledModulusLeavesTheRecord) {
  ModulusRecord record;
  setModulus(record, v(7));
  abortSlot->store(1);
  setModulus(record, fromMpz(powerOfTwoPlus(3000, 1)));
  abortSlot->store(0);
  EXPECT_EQ(record.k, 3);
  EXPECT_VNUM_EQ(record.N, Mpz(7));
  EXPECT_VNUM_EQ(record.RR, Mpz(1));
  EXPECT_VNUM_EQ(record.NP, Mpz(1));
}

namespace {

// x^y mod N against mpz_powm.
void expectPower(const Mpz& x, const Mpz& y, const Mpz& N) {
  ModulusRecord record;
  setModulus(record, fromMpz(N));
  Mpz expected;
  mpz_powm(expected.z, x.z, y.z, N.z);
  SCOPED_TRACE("N=" + N.hex() + " x=" + x.hex() + " y=" + y.hex());
  EXPECT_VNUM_EQ(modularPower(fromMpz(x), fromMpz(y), record), expected);
}

}  // namespace

TEST(ModularPower, EveryWindowWidthAndWordSpanEdge) {
  auto g = rng(407);
  // Exponent lengths on both sides of each change of window width, with
  // all-ones and random exponents.
  const Mpz N = [&] {
    Mpz m = randomMpz(g, 200, false, false);
    mpz_setbit(m.z, 0);
    return m;
  }();
  const int64_t formBytes = 8 * 4;  // a 200-bit modulus takes four words
  for (long b = 2; b < 40000; ++b) {
    if (slidingWindowBits(b, formBytes) == slidingWindowBits(b - 1, formBytes)) continue;
    for (long e : {b - 1, b, b + 1}) {
      expectPower(randomMpz(g, 199, false, false), powerOfTwoPlus(e, -1), N);
      expectPower(randomMpz(g, 200, true, false), randomMpz(g, e, true, false), N);
    }
  }
  // Word spans that the modulus fills exactly (no doubling of RR) or by one
  // bit (63 doublings), all-ones moduli among them. The switch to vnum
  // products is crossed in the slow test.
  for (long bits : {63L, 64L, 65L, 127L, 128L, 129L, 4095L, 4096L, 4097L}) {
    for (bool ones : {false, true}) {
      Mpz m = ones ? powerOfTwoPlus(bits, -1) : randomMpz(g, bits, true, false);
      mpz_setbit(m.z, 0);
      expectPower(randomMpz(g, bits + 5, false, false), randomMpz(g, 300, false, false), m);
    }
  }
}

TEST(ModularPower, CancelledAtAnyPointGivesZeroOrThePower) {
  auto g = rng(409);
  Mpz N = randomMpz(g, 3000, false, false), expected;
  mpz_setbit(N.z, 0);
  const Mpz x = randomMpz(g, 3000, false, false), y = randomMpz(g, 3000, false, false);
  mpz_powm(expected.z, x.z, y.z, N.z);
  ModulusRecord record;
  setModulus(record, fromMpz(N));
  const vnum xv = fromMpz(x), yv = fromMpz(y);
  std::atomic<int>* slot = abortSlot;
  for (int delay = 0; delay < 10; ++delay) {
    std::thread canceller([slot, delay] {
      std::this_thread::sleep_for(std::chrono::microseconds(1500 * delay));
      slot->store(1);
    });
    const vnum r = modularPower(xv, yv, record);
    canceller.join();
    slot->store(0);
    if (!r.isZero()) EXPECT_VNUM_EQ(r, expected);
    EXPECT_VNUM_EQ(record.N, N);
  }
  EXPECT_VNUM_EQ(modularPower(xv, yv, record), expected);

  // A "Modulo" cancelled anywhere leaves the old record whole.
  const Mpz big = powerOfTwoPlus(200000, 1);
  for (int delay = 0; delay < 6; ++delay) {
    ModulusRecord kept;
    setModulus(kept, v(7));
    std::thread canceller([slot, delay] {
      std::this_thread::sleep_for(std::chrono::microseconds(2000 * delay));
      slot->store(1);
    });
    setModulus(kept, fromMpz(big));
    canceller.join();
    slot->store(0);
    if (kept.k == 3) {
      EXPECT_VNUM_EQ(kept.N, Mpz(7));
      EXPECT_VNUM_EQ(kept.RR, Mpz(1));
      EXPECT_VNUM_EQ(kept.NP, Mpz(1));
    } else {
      EXPECT_VNUM_EQ(kept.N, big);
    }
  }
}
