#include "ui/summary_line.h"

#include <cstdint>
#include <cstdio>

#include "ui/limits.h"

namespace quorvel::ui {

std::string summaryLine(std::string_view head, size_t length) {
  if (length < SUMMARY_MIN_LENGTH || head.size() < SUMMARY_MIN_LENGTH) return {};
  const std::string_view first = head.substr(0, SUMMARY_MIN_LENGTH);

  // 18 characters are at most 18 digits, below 10^18 < 2^63: no overflow.
  const bool negative = first[0] == '-';
  int64_t f = 0;
  for (size_t i = negative ? 1 : 0; i < first.size(); ++i) {
    if (first[i] < '0' || first[i] > '9') return {};
    f = f * 10 + (first[i] - '0');
  }
  if (negative) f = -f;

  // Sixteen significant digits, half away from zero. A positive head has 18
  // digits: drop the last, round on the 17th. A negative head has 17 digits
  // after its sign: round on the 17th. Division truncates toward zero.
  const int64_t m = f > 0 ? (f / 10 + 5) / 10 : (f - 5) / 10;

  char digits[24];
  std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(m < 0 ? -m : m));
  std::string magnitude = digits;
  // A leading zero cannot come from a decimal text; pad defensively so the
  // mantissa below always has its 16 digits.
  if (magnitude.size() < SUMMARY_DIGITS) magnitude.append(SUMMARY_DIGITS - magnitude.size(), '0');
  // Rounding 99...9 carries into a 17th digit: the mantissa becomes
  // 1.000000000000000 and the exponent grows by one.
  const bool carried = magnitude.size() > SUMMARY_DIGITS;

  std::string mantissa(m < 0 ? 1 : 0, '-');
  mantissa += magnitude[0];
  mantissa += '.';
  mantissa.append(magnitude, 1, SUMMARY_DIGITS - 1);
  // The exponent counts the digits after the first: all characters but one,
  // less the sign.
  const long long e = static_cast<long long>(length) - 1 - (m < 0 ? 1 : 0) + (carried ? 1 : 0);

  char line[64];
  std::snprintf(line, sizeof line, "%s E+%lld", mantissa.c_str(), e);
  return line;
}

}  // namespace quorvel::ui
