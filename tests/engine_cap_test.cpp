// The engine at the edge of the 5,000,000-bit cap, and when memory runs out.
//
// Every command that makes a value is pressed on values of 4,999,999 and
// 5,000,000 bits of both signs. Whatever the outcome, the display must hold
// either a message in both panes or one value within the cap whose
// hexadecimal and decimal texts agree (both read back with GMP).
//
// The out-of-memory cases run in a child process whose address space is
// lowered just before the heavy key, so a failed allocation cannot take the
// test program down with it.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "engine/command_ids.h"
#include "tests/support/engine_harness.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr long CAP = scaleLimitBits;

// floor(x / 10^k) * 10^m with the sign of x.
Mpz decimalShift(const Mpz& x, unsigned long k, unsigned long m) {
  Mpz power, result;
  mpz_ui_pow_ui(power.z, 10, k);
  mpz_tdiv_q(result.z, x.z, power.z);
  mpz_ui_pow_ui(power.z, 10, m);
  mpz_mul(result.z, result.z, power.z);
  return result;
}

// The edge values, by the names the rows use.
const std::map<std::string, Mpz>& edgeValues() {
  static const std::map<std::string, Mpz> values = {
      // An entry that takes three more digits within the cap, but not four
      // (2^5,000,000 - 1 ends in 375), and the same times 1000; both signs.
      {"Q", decimalShift(powerOfTwoPlus(CAP, -1), 3, 0)},
      {"NQ", decimalShift(powerOfTwoPlus(CAP, -1, -1), 3, 0)},
      {"Q3", decimalShift(powerOfTwoPlus(CAP, -1), 3, 3)},
      {"NQ3", decimalShift(powerOfTwoPlus(CAP, -1, -1), 3, 3)},
      {"P5", powerOfTwoPlus(CAP, -1)},           // 2^5,000,000 - 1: the largest value
      {"N5", powerOfTwoPlus(CAP, -1, -1)},       // its negative: the smallest
      {"T5", powerOfTwoPlus(CAP - 1, 0)},        // 2^4,999,999: 5,000,000 bits
      {"NT5", powerOfTwoPlus(CAP - 1, 0, -1)},   // -2^4,999,999
      {"P4", powerOfTwoPlus(CAP - 1, -1)},       // 4,999,999 bits
      {"N4", powerOfTwoPlus(CAP - 1, -1, -1)},
      {"X5", powerOfTwoPlus(CAP, 0)},            // 5,000,001 bits: one over
      {"H25", powerOfTwoPlus(CAP / 2, -1)},      // a factor of a product at the cap
  };
  return values;
}

// The value a "+0x..."/"-0x..." text denotes: two's complement digits.
Mpz valueOfHexText(const std::string& text) {
  Mpz value(text.substr(3).c_str(), 16);
  if (text[0] == '-') {
    Mpz wrap;
    mpz_setbit(wrap.z, 4 * (text.size() - 3));
    mpz_sub(value.z, value.z, wrap.z);
  }
  return value;
}

// A value expectation: an edge value's name with an optional offset
// ("P5-1"), or a small decimal value.
Mpz expectedValue(const std::string& expect) {
  const size_t split = expect.find_first_of("+-", 1);
  const std::string name = expect.substr(0, split);
  Mpz value = edgeValues().count(name) ? edgeValues().at(name) : Mpz(name.c_str());
  if (split != std::string::npos) {
    const long offset = std::stol(expect.substr(split));
    if (offset >= 0)
      mpz_add_ui(value.z, value.z, static_cast<unsigned long>(offset));
    else
      mpz_sub_ui(value.z, value.z, static_cast<unsigned long>(-offset));
  }
  return value;
}

// The text the calculator writes for a value: "-0x" and two's complement
// digits for a negative one, whose top digit has its high bit set.
std::string hexTextOf(const Mpz& value) {
  if (mpz_sgn(value.z) >= 0) return "+0x" + value.hex();
  const size_t digits = (mpz_sizeinbase(value.z, 2) + 1 + 3) / 4;
  Mpz wrapped;
  mpz_setbit(wrapped.z, 4 * digits);
  mpz_add(wrapped.z, wrapped.z, value.z);
  return "-0x" + wrapped.hex();
}

// Presses keys, where "@NAME" pastes an edge value as hexadecimal text.
void press(EngineHarness& calc, const std::string& keys) {
  std::istringstream in(keys);
  std::string token;
  while (in >> token) {
    if (token[0] != '@') {
      calc.keys(token);
      continue;
    }
    calc.clipboard.setText(hexTextOf(edgeValues().at(token.substr(1))));
    calc.handOff(CMD_PASTE);
    calc.waitUntilIdle("the paste of " + token);
  }
}

// The display is one message in both panes, or one value within the cap.
void expectConsistentDisplay(const EngineHarness& calc, const std::string& context) {
  const std::string hex = calc.hex(), dec = calc.dec();
  if (hex.rfind("+0x", 0) != 0 && hex.rfind("-0x", 0) != 0) {
    EXPECT_EQ(hex, dec) << context;
    EXPECT_TRUE(calc.engine.errorShown()) << context;
    return;
  }
  const Mpz value = valueOfHexText(hex);
  EXPECT_LE(mpz_sizeinbase(value.z, 2), static_cast<size_t>(CAP)) << context;
  const Mpz decimal(dec.c_str());
  EXPECT_EQ(mpz_cmp(value.z, decimal.z), 0) << context << ": the two texts differ";
}

}  // namespace

TEST(EngineCap, EveryCommandAtTheEdgeKeepsTheDisplayWithinTheCap) {
  struct Row {
    const char* keys;
    const char* expect;  // a message (the ones here all hold a space), "*" for any value, or a value
  };
  const Row rows[] = {
      // Unary keys.
      {"@P5 NOT", "Scale over"},  // -2^5,000,000
      {"@N5 NOT", "P5-1"},
      {"@P5 +/-", "N5"},
      {"@NT5 +/-", "T5"},
      {"@P5 Sqrt", "*"},
      {"@P5 n!", "Limit Over"},
      // The bit toggle: refused before any work at or above the cap, and
      // afterwards when flipping the top bit carries a negative value over.
      {"@P4 bit:4999999", "P5"},
      {"@T5 bit:4999999", "0"},
      {"@NT5 bit:4999999", "Scale over"},
      {"@N4 bit:4999999", "N5"},
      {"@P4 bit:5000000", "Scale over"},
      {"@P5 bit:2147483647", "Scale over"},
      // Binary operators, refused before the work or after it.
      {"@P5 + 1 =", "Scale over"},
      {"@N5 - 1 =", "Scale over"},
      {"@P5 - 1 =", "P5-1"},
      {"@P5 * 2 =", "Scale over"},
      {"@P4 * 2 =", "P5-1"},
      {"@P4 * 3 =", "Scale over"},     // only the result tells
      {"@P4 * 2 = =", "Scale over"},   // the repeat of "="
      {"@N5 / 1 +/- =", "P5"},
      {"@P5 << 1 =", "Scale over"},
      {"@P5 >> 1 =", "P4"},
      {"@P5 XOR 1 +/- =", "Scale over"},
      {"@T5 XOR @NT5 =", "Scale over"},
      {"@P4 OR @T5 =", "P5"},
      {"@P5 AND @N5 =", "1"},
      {"@P4 Exp 1 =", "Scale over"},
      {"@N5 GCD 0 =", "N5"},  // b = 0 leaves a as it is
      {"@T5 x^y 2 =", "Scale over"},
      {"@N5 x^y 1 =", "N5"},
      {"@P5 x^y 0 =", "1"},
      {"@P5 nPr 2 =", "Scale over"},
      {"@P5 nCr 1 =", "P5"},
      {"( @P5 + 1 )", "Scale over"},
      // Memory keys: the memory keeps its value when M+ is refused.
      {"@P5 MS 1 M+ C MR", "P5"},
      {"@N5 MS 1 M- C MR", "N5"},
      // Digit entry appends to a pasted value; paste itself. A run of
      // digits keeps those that fit, as key by key: "=" then repeats "+"
      // with the entry they left.
      {"@P5 5", "Scale over"},
      {"Hex @P4 #F", "Scale over"},
      {"1 + @Q 123456", "Scale over"},
      {"1 + @Q 123456 CE =", "Q3+123"},
      {"1 + @NQ 123456 CE =", "NQ3+123"},
      {"Hex 1 + @P4 #8 CE =", "P4"},  // 2^4,999,999 - 1 times 16 is over at once
      {"@X5", "Scale over"},
  };
  for (const Row& row : rows) {
    EngineHarness calc;
    press(calc, row.keys);
    const std::string context = std::string("keys: ") + row.keys;
    expectConsistentDisplay(calc, context);
    if (std::string(row.expect).find(' ') != std::string::npos) {
      EXPECT_EQ(calc.dec(), row.expect) << context;
    } else if (std::string(row.expect) != "*") {
      EXPECT_EQ(mpz_cmp(valueOfHexText(calc.hex()).z, expectedValue(row.expect).z), 0) << context;
    }
  }
}

// In a child process: sets up a calculator, runs `prepare`, lowers the address space
// to what is mapped now plus a little headroom, presses `heavy`, and then checks
// that the display says "Out of memory." and that, with the limit lifted,
// "C" and `after` show `expect`. Exits 0 when every check held.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
namespace {

long mappedBytes() {
  long pages = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f || std::fscanf(f, "%ld", &pages) != 1) std::abort();
  std::fclose(f);
  return pages * sysconf(_SC_PAGESIZE);
}

// Far less than any of the heavy keys below needs for its buffers (tens of
// megabytes), far more than the engine needs to show a message.
constexpr long HEADROOM_BYTES = 4L * 1024 * 1024;

int outOfMemoryChild(const char* prepare, const char* heavy, const char* after, const char* expect) {
  // Large blocks come from and return to the system one by one, and the
  // worker allocates from the one main arena: a thread's own arena reserves
  // 64 MB of address space up front, from which a failed mapping would
  // quietly be served. So what is mapped after `prepare` is what the stored
  // values hold, and the heavy key needs fresh address space for its buffers.
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
  mallopt(M_ARENA_MAX, 1);
  EngineHarness calc;
  press(calc, prepare);
  if (calc.engine.errorShown()) return 10;
  rlimit old{};
  getrlimit(RLIMIT_AS, &old);
  rlimit low = old;
  low.rlim_cur = static_cast<rlim_t>(mappedBytes() + HEADROOM_BYTES);
  if (setrlimit(RLIMIT_AS, &low) != 0) return 11;
  press(calc, heavy);
  setrlimit(RLIMIT_AS, &old);
  if (calc.dec() != MSG_OUT_OF_MEMORY || calc.hex() != MSG_OUT_OF_MEMORY) {
    std::fprintf(stderr, "after the heavy key the display shows %.60s\n", calc.dec().c_str());
    return 12;
  }
  if (!calc.engine.errorShown()) return 13;
  press(calc, std::string("C ") + after);
  if (calc.engine.errorShown()) return 14;
  if (mpz_cmp(valueOfHexText(calc.hex()).z, expectedValue(expect).z) != 0) return 15;
  if (mpz_cmp(Mpz(calc.dec().c_str()).z, expectedValue(expect).z) != 0) return 16;
  return 0;
}

}  // namespace

TEST(EngineCap, AFailedAllocationIsAMessageAndKeepsTheStoredValues) {
  struct Row {
    const char* prepare;
    const char* heavy;
    const char* after;  // pressed after "C", with the limit lifted
    const char* expect;
  };
  const Row rows[] = {
      // A product at the cap; the memory and the modulus survive it.
      {"@T5 MS 7 Modulo @H25 * @H25", "=", "MR", "T5"},
      {"@T5 MS 7 Modulo @H25 * @H25", "=", "3 Power 2 =", "2"},
      // The decimal text of a value at the cap.
      {"@P5 MS C", "MR", "MR", "P5"},
      // A factorial just under the cap (295,000! has about 4.92 million bits).
      {"@N4 MS 295000", "n!", "MR", "N4"},
  };
  // Each case runs in a fresh process (the "threadsafe" style re-executes
  // this program), so no free memory left by earlier tests can serve it.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const Row& row : rows) {
    EXPECT_EXIT(_exit(outOfMemoryChild(row.prepare, row.heavy, row.after, row.expect)), testing::ExitedWithCode(0), "")
        << row.prepare << " | " << row.heavy;
  }
}
#endif
