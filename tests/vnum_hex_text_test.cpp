// Hexadecimal text against an independent rendering of the two's complement
// digits, the display-length rule, the size guard and cancellation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/abort_flags.h"
#include "tests/support/vnum_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::string hexOf(const vnum& x, size_t size = 1 << 22) {
  std::vector<char> buffer(size + 16, '#');
  writeHexText(x, buffer.data(), size);
  EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<long>(size), buffer.end(), [](char c) { return c == '#'; }))
      << "wrote past the size";
  return buffer.data();
}

// The text from the value alone: a is the smallest even limb count that shows
// the value with its sign bit (at least 2); the 30a bits of the value mod
// 2^(30a) are 7.5a digits, of which a leading zero is dropped when the top
// group is a whole byte (a divisible by 4).
std::string reference(const Mpz& v) {
  const bool negative = mpz_sgn(v.z) < 0;
  long a;
  if (!negative) {
    const long bits = mpz_sgn(v.z) == 0 ? 0 : static_cast<long>(mpz_sizeinbase(v.z, 2));
    a = std::max(2L, (bits + LIMB_BITS - 1) / LIMB_BITS);
  } else {
    // The limbs of v that differ from 0x3fffffff are the non-zero limbs of
    // its complement |v| - 1; the normal form keeps one whole fill limb above
    // the highest of them.
    Mpz c;
    mpz_com(c.z, v.z);
    const long bits = mpz_sgn(c.z) == 0 ? 0 : static_cast<long>(mpz_sizeinbase(c.z, 2));
    a = bits == 0 ? 2 : (bits - 1) / LIMB_BITS + 2;
  }
  a += a & 1;
  Mpz u(v);
  if (negative) {
    Mpz wrap;
    mpz_setbit(wrap.z, static_cast<mp_bitcnt_t>(LIMB_BITS * a));
    mpz_add(u.z, u.z, wrap.z);
  }
  std::string digits = u.hex();
  for (char& ch : digits) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const size_t width = static_cast<size_t>(15 * a / 2);
  digits.insert(0, width - digits.size(), '0');
  if (a % 4 == 0 && digits[0] == '0') digits.erase(0, 1);
  return (negative ? "-0x" : "+0x") + digits;
}

vnum withLimbs(std::vector<int32_t> limbs, bool plus) {
  vnum x;
  x.extendTo(static_cast<int32_t>(limbs.size()));
  std::copy(limbs.begin(), limbs.end(), x.limbs);
  x.plus = plus;
  return x;
}

}  // namespace

TEST(HexText, Examples) {
  EXPECT_EQ(hexOf(vnum()), "+0x000000000000000");
  EXPECT_EQ(hexOf(vnum(int32_t{0x123})), "+0x000000000000123");
  EXPECT_EQ(hexOf(withLimbs({0, 0x20000000, 0, 0}, true)), "+0x800000000000000");
  EXPECT_EQ(hexOf(vnum(int64_t{1} << 60)), "+0x0" + std::string(12, '0') + "1" + std::string(15, '0'));
  EXPECT_EQ(hexOf(vnum(int32_t{-1})), "-0xFFFFFFFFFFFFFFF");
  EXPECT_EQ(hexOf(withLimbs({0, 0x20000000}, false)), "-0x800000000000000");
  EXPECT_EQ(hexOf(withLimbs({0, 0, 0x3fffffff, 0x3fffffff}, false)), "-0xFFFFFFFFFFFFFFF000000000000000");
  // Built from a 32-bit integer without a fill limb: shown at its length.
  EXPECT_EQ(hexOf(vnum(int32_t{0x7fffffff})), "+0x00000007FFFFFFF");
}

TEST(HexText, AgreesWithIndependentRendering) {
  auto g = rng(41);
  for (int it = 0; it < iterations(800); ++it) {
    Mpz a = randomOperand(g, it % 20 == 0 ? 200000 : 3000);
    EXPECT_EQ(hexOf(fromMpz(a)), reference(a)) << a.hex();
  }
}

TEST(HexText, NeverWritesPastTheSize) {
  auto g = rng(42);
  const vnum value = fromMpz(randomMpz(g, 3000, false, true));
  const std::string full = hexOf(value);
  for (size_t size : {1, 2, 3, 4, 5, 17, 100, 751}) {
    const std::string cut = hexOf(value, size);
    EXPECT_LT(cut.size(), size);
    EXPECT_EQ(full.compare(0, cut.size(), cut), 0);
  }
  EXPECT_EQ(hexOf(value, full.size() + 1), full);
  EXPECT_EQ(hexOf(value, full.size()), full.substr(0, full.size() - 1));
}

TEST(HexText, AbortLeavesOnlyThePrefix) {
  const vnum value = fromMpz(Mpz("123456789abcdef0123", 16));
  abortSlot->store(1);
  const std::string text = hexOf(value);
  abortSlot->store(0);
  EXPECT_EQ(text, "+0x");
}
