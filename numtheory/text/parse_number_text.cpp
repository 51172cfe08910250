// Reading a number from text: the character filter, the scan for the start
// of the number, signed hexadecimal and signed decimal with fraction and
// exponent.
//
// Hexadecimal: the digits are a bit pattern, the last digit bits 0..3. A
// negative number's pattern is its two's complement with the highest set bit
// as the sign bit, so the value is pattern - 2^(h+1) for that bit h: -0x8 is
// -8, -0xF is -1, -0x5 is -3. Leading zero digits change nothing.
//
// Decimal: integer and fraction digits form one digit string D of length L
// with exponent e - (fraction digits). A negative exponent truncates toward
// zero, which on a decimal string is dropping its last -e digits, so no
// division is needed; a positive one multiplies by 10^e.
//
// Size: with D stripped of leading zeros (first digit non-zero, L digits),
// D * 10^e >= 10^(L-1+e) has at least 1 + floor((L-1+e) log2 10) bits. When
// that already exceeds scaleLimitBits the text is refused with "Scale over"
// before any digit is converted; otherwise the exact bit length decides
// after conversion, so no value above the cap is ever returned. The exponent
// is read with saturation at the 32-bit limits, which the size rules turn
// into "Scale over" or 0 for any digits.
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/numtheory.h"
#include "numtheory/text/decimal_run.h"
#include "numtheory/text/limits.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The characters a number can contain; everything else is dropped first.
bool keptByFilter(char c) {
  return c == '+' || c == '-' || c == '.' || c == 'x' || c == 'X' || hexDigitValue(c) >= 0;
}

void refuseAboveCap(const vnum& value) {
  if (value.bitLength() > scaleLimitBits) throw MSG_SCALE_OVER;
}

vnum readHexadecimal(const std::string& s, size_t start, bool negative) {
  size_t end = start;
  while (end < s.size() && hexDigitValue(s[end]) >= 0) ++end;
  while (start < end && s[start] == '0') ++start;
  if (start == end) return vnum();
  const int64_t bits = 4 * static_cast<int64_t>(end - start);
  std::vector<int32_t> limbs(static_cast<size_t>(bits / LIMB_BITS + 1), 0);
  int64_t position = 0;
  for (size_t i = end; i-- > start; position += 4) {
    const uint32_t digit = static_cast<uint32_t>(hexDigitValue(s[i]));
    const int64_t index = position / LIMB_BITS;
    const int offset = static_cast<int>(position % LIMB_BITS);
    limbs[index] |= static_cast<int32_t>((digit << offset) & LIMB_MASK);
    // A digit at offset 27..29 straddles into the next limb.
    if (offset > LIMB_BITS - 4) limbs[index + 1] |= static_cast<int32_t>(digit >> (LIMB_BITS - offset));
  }
  vnum value = fromLimbs(limbs.data(), static_cast<int64_t>(limbs.size()));
  if (negative) value -= powerOfTwo(magnitudeBits(value));
  refuseAboveCap(value);
  return value;
}

// A signed decimal integer saturated to the 32-bit range; 0 without digits.
int64_t readExponent(const std::string& s, size_t i) {
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && isDecimalDigit(s[i]); ++i) v = std::min<int64_t>(10 * v + (s[i] - '0'), int64_t{1} << 31);
  return negative ? -v : std::min<int64_t>(v, INT32_MAX);
}

vnum readDecimal(const std::string& s, size_t i, bool negative) {
  std::string digits;
  while (i < s.size() && isDecimalDigit(s[i])) digits.push_back(s[i++]);
  int64_t fractionDigits = 0;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && isDecimalDigit(s[i]); ++i, ++fractionDigits) digits.push_back(s[i]);
  }
  int64_t exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) exponent = readExponent(s, i + 1);
  exponent -= fractionDigits;

  const size_t first = std::min(digits.find_first_not_of('0'), digits.size());
  int64_t length = static_cast<int64_t>(digits.size() - first);
  if (exponent < 0) {
    length = std::max<int64_t>(length + exponent, 0);
    exponent = 0;
  }
  if (length == 0) return vnum();
  // exponent <= INT32_MAX and length <= the text's size, so no overflow;
  // beyond 2^31 decimal places the product below could overflow instead.
  const int64_t places = length - 1 + exponent;
  if (places > INT64_C(1) << 31 || 1 + places * LOG2_TEN_NUM / LOG2_TEN_DEN > scaleLimitBits) throw MSG_SCALE_OVER;

  vnum value = decimalRunToNumber(digits.data() + first, length);
  scaleByPowerOfTen(value, static_cast<int32_t>(exponent));
  if (isAborted()) return value;
  refuseAboveCap(value);
  if (negative) value.negate();
  return value;
}

}  // namespace

vnum parseNumberText(const char* text) {
  std::string s;
  for (const char* p = text; *p; ++p)
    if (keptByFilter(*p)) s.push_back(*p);
  bool negative = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '-') {
      negative = true;
    } else if (c == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
      return readHexadecimal(s, i + 2, negative);
    } else if (c == '.' || isDecimalDigit(c)) {
      return readDecimal(s, i, negative);
    }
    // '+' and a letter or x before any digit are skipped.
  }
  return vnum();
}

}  // namespace quorvel
