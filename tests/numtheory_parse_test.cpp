// Reading numbers from text against GMP's mpz_set_str: filter and scan
// rules, hexadecimal two's complement, decimal blocks and groups, fraction
// and exponent, saturated exponents and the cap.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "numtheory/numtheory.h"
#include "tests/support/cancel_after.h"
#include "tests/support/vnum_gmp.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

const char* parseThrows(const std::string& text) {
  try {
    parseNumberText(text.c_str());
  } catch (const char* message) {
    return message;
  }
  return nullptr;
}

std::string randomDigits(std::mt19937_64& g, size_t count, const std::string& alphabet) {
  std::string s(count, '0');
  for (char& c : s) c = alphabet[g() % alphabet.size()];
  return s;
}

}  // namespace

TEST(NumtheoryParse, Examples) {
  const char* rows[][2] = {
      {"+0x1F", "31"},          {"0x1f", "31"},        {"-0x8", "-8"},         {"-0x5", "-3"},
      {"-0xF", "-1"},           {"-0x000", "0"},       {"0X10", "16"},         {"-0xFFF7", "-9"},
      {"-0xFFFFFFFFFFFFFFF", "-1"},                    {"-0x800000000000000", "-576460752303423488"},
      {"0x", "0"},              {"0x1G2", "18"},       {"0x12.5", "18"},       {"123", "123"},
      {"-123", "-123"},         {"1,234,567", "1234567"}, {"12 34", "1234"},   {"1\r\n2\t3", "123"},
      {"3+4", "3"},             {"--5", "-5"},         {"-+5", "-5"},          {"x12", "12"},
      {"e5", "5"},              {"000123", "123"},     {"1.5e3", "1500"},      {"1.5", "1"},
      {"-2.5", "-2"},           {"-0.9", "0"},         {".5", "0"},            {".", "0"},
      {"12e-1", "1"},           {"7E+2", "700"},       {"1.50e1", "15"},       {"123.456e-2", "1"},
      {"1.2.3", "1"},           {"1e2e3", "100"},      {"12E", "12"},          {"1e+-3", "1"},
      {"", "0"},                {"hello", "0"},        {"Total: $1,024.75 (approx.)", "1024"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string("text \"") + row[0] + "\"");
    EXPECT_VNUM_EQ(parseNumberText(row[0]), Mpz(row[1]));
  }
}

// Our own hexadecimal text reads back (the engine depends on it), and random
// hexadecimal texts, with runs of leading 0 and F digits, match the rule
// "pattern - 2^(h+1)" for a negative pattern whose highest set bit is h.
TEST(NumtheoryParse, Hexadecimal) {
  auto g = rng(601);
  std::vector<char> text;
  for (int it = 0; it < iterations(300); ++it) {
    const Mpz a = randomOperand(g, it % 20 == 0 ? 1000000 : 5000);
    const vnum x = fromMpz(a);
    text.resize(static_cast<size_t>(x.len) * 8 + 16);
    writeHexText(x, text.data(), text.size());
    EXPECT_VNUM_EQ(parseNumberText(text.data()), a);

    std::string digits = std::string(g() % 40, "0F"[g() & 1]) +
                         randomDigits(g, static_cast<size_t>(logUniform(g, 1, 20000)), "0123456789abcdefABCDEF");
    const bool negative = g() & 1;
    Mpz expected(digits.c_str(), 16);
    if (negative && mpz_sgn(expected.z) != 0) {
      Mpz top;
      mpz_ui_pow_ui(top.z, 2, mpz_sizeinbase(expected.z, 2));
      mpz_sub(expected.z, expected.z, top.z);
    }
    EXPECT_VNUM_EQ(parseNumberText(((negative ? "-0x" : (g() & 1) ? "+0x" : "0X") + digits + "xyz").c_str()),
                   expected);
  }
}

// Blocks of 2,048 digits from the low end (the top one shorter) and groups
// of 16 inside: lengths on both sides of each boundary, then random lengths.
TEST(NumtheoryParse, DecimalBlocksAndGroups) {
  auto g = rng(603);
  std::vector<size_t> lengths{1, 15, 16, 17, 33, 2032, 2033, 2047, 2048, 2049, 4095, 4096, 4097, 5000, 6145};
  for (int it = 0; it < iterations(200); ++it) lengths.push_back(static_cast<size_t>(logUniform(g, 1, 20000)));
  for (size_t count : lengths) {
    std::string digits = randomDigits(g, count, "0123456789");
    if (g() % 4 == 0) digits.assign(count, '9');
    if (g() % 4 == 0) digits = std::string(g() % 3000, '0') + digits;
    const bool negative = g() & 1;
    Mpz expected(digits.c_str(), 10);
    if (negative) mpz_neg(expected.z, expected.z);
    SCOPED_TRACE(std::to_string(count) + " digits");
    EXPECT_VNUM_EQ(parseNumberText(((negative ? "-" : "") + digits).c_str()), expected);
    if (digits.size() <= 2048)
      EXPECT_VNUM_EQ(decimalDigitsToNumber(digits.data(), static_cast<int>(digits.size())), Mpz(digits.c_str(), 10));
  }
  EXPECT_VNUM_EQ(decimalDigitsToNumber("", 0), Mpz(0));
}

// Integer, fraction and exponent against the exact decimal value truncated
// toward zero.
TEST(NumtheoryParse, FractionAndExponent) {
  auto g = rng(605);
  for (int it = 0; it < iterations(400); ++it) {
    const std::string integer = randomDigits(g, g() % 60, "0123456789");
    const std::string fraction = randomDigits(g, static_cast<size_t>(logUniform(g, 1, 3000)) - 1, "0123456789");
    const long e = it % 4 ? static_cast<long>(g() % 3200) - 1600 : static_cast<long>(g() % 40) - 20;
    const bool negative = g() & 1;
    const std::string text = (negative ? "-" : "") + integer + "." + fraction + ((g() & 1) ? "e" : "E") +
                             (e >= 0 && (g() & 1) ? "+" : "") + std::to_string(e);
    Mpz value(("0" + integer + fraction).c_str(), 10), power;
    const long scale = e - static_cast<long>(fraction.size());
    mpz_ui_pow_ui(power.z, 10, static_cast<unsigned long>(std::abs(scale)));
    if (scale >= 0) mpz_mul(value.z, value.z, power.z);
    else mpz_tdiv_q(value.z, value.z, power.z);
    if (negative) mpz_neg(value.z, value.z);
    SCOPED_TRACE(text.substr(0, 100));
    EXPECT_VNUM_EQ(parseNumberText(text.c_str()), value);
  }
}

// Exponents beyond 32 bits saturate; with the cap they give "Scale over" or
// 0 without any work. No value above 5,000,000 bits is returned, while
// leading zeros and dropped fraction digits do not count.
TEST(NumtheoryParse, SaturatedExponentsAndTheCap) {
  for (const char* text : {"1e99999999999999999999", "-7e2147483648", "5e2147483647", "1e1505150", "0.00001e1505155"})
    EXPECT_STREQ(parseThrows(text), MSG_SCALE_OVER) << text;
  for (const char* text : {"1e-99999999999999999999", "-123e-2147483648", "1.5e-2147483648", "0e99999999999999999999",
                           "0.000e2147483647"})
    EXPECT_VNUM_EQ(parseNumberText(text), Mpz(0));
  EXPECT_VNUM_EQ(parseNumberText("12345e-00000000000000000000000000004"), Mpz(1));
  EXPECT_EQ(decPowerLadder.find(17), nullptr);

  EXPECT_STREQ(parseThrows("0x1" + std::string(1250000, '0')), MSG_SCALE_OVER);  // 5,000,001 bits
  EXPECT_STREQ(parseThrows("-0x8" + std::string(1250000, '0')), MSG_SCALE_OVER);
  Mpz allOnes;  // 5,000,000 bits: allowed
  mpz_ui_pow_ui(allOnes.z, 2, 5000000);
  mpz_sub_ui(allOnes.z, allOnes.z, 1);
  EXPECT_VNUM_EQ(parseNumberText(("0x" + std::string(1250000, 'F')).c_str()), allOnes);
  EXPECT_VNUM_EQ(parseNumberText(("-0x" + std::string(1250000, 'F')).c_str()), Mpz(-1));
  EXPECT_VNUM_EQ(parseNumberText((std::string(3000000, '0') + "17").c_str()), Mpz(17));
  EXPECT_VNUM_EQ(parseNumberText(("4." + std::string(3000000, '9')).c_str()), Mpz(4));
  EXPECT_STREQ(parseThrows(std::string(1505151, '1')), MSG_SCALE_OVER);
}

// Reads cancelled at arbitrary points of the block tree (30,000 digits use
// ladder entries 8 to 11, which this binary's ladder test leaves to the
// others) return without throwing and publish no partial entry; the next
// read is exact.
TEST(NumtheoryParse, CancelledReadsKeepTheLadderWhole) {
  auto g = rng(607);
  const std::string digits = "7" + randomDigits(g, 29999, "0123456789");
  for (int delay = 0; delay < 10; ++delay) {
    cancelAfter(std::chrono::microseconds(300 * delay), [&] { EXPECT_NO_THROW(parseNumberText(digits.c_str())); });
    for (int f = 0; f <= 11; ++f) {
      Mpz power;
      mpz_ui_pow_ui(power.z, 10, 8ul << f);
      if (const vnum* entry = decPowerLadder.find(f)) EXPECT_VNUM_EQ(*entry, power);
    }
  }
  EXPECT_VNUM_EQ(parseNumberText(digits.c_str()), Mpz(digits.c_str(), 10));
}
