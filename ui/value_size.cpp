#include "ui/value_size.h"

#include <bit>

#include "ui/digit_search.h"
#include "ui/hex_digit.h"

namespace quorvel::ui {

namespace {

// Bits of |x| for the two's complement digits of x. For x = -m the
// complemented digits spell m - 1, and m has one bit more than m - 1
// exactly when m - 1 is all ones (m a power of two).
std::optional<int64_t> magnitudeBits(std::string_view digits, bool negative) {
  const auto digitAt = [&](size_t i) {
    const int v = hexDigitValue(digits[i]);
    return negative && v >= 0 ? 15 - v : v;
  };
  size_t i = 0;
  int top = 0;
  for (; i < digits.size(); ++i) {
    top = digitAt(i);
    if (top < 0) return std::nullopt;
    if (top != 0) break;
  }
  // 0, or -1 whose complement is 0: one bit either way.
  if (i == digits.size()) return 1;
  const int64_t bits = 4 * static_cast<int64_t>(digits.size() - i - 1) + std::bit_width(static_cast<unsigned>(top));
  bool allOnes = ((top + 1) & top) == 0;
  for (size_t j = i + 1; j < digits.size(); ++j) {
    const int v = digitAt(j);
    if (v < 0) return std::nullopt;
    allOnes = allOnes && v == 15;
  }
  return bits + (negative && allOnes ? 1 : 0);
}

// "1,505,150 digits", "1 digit".
std::string counted(int64_t n, const char* unit) { return groupedNumber(n) + ' ' + unit + (n == 1 ? "" : "s"); }

}  // namespace

std::optional<ValueSize> valueSizeOf(std::string_view hexText, std::string_view decText) {
  if (hexText.size() < 4 || (hexText[0] != '+' && hexText[0] != '-') || hexText.substr(1, 2) != "0x")
    return std::nullopt;
  const bool negative = decText.starts_with('-');
  const std::string_view decDigits = decText.substr(negative ? 1 : 0);
  if (decDigits.empty() || decDigits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  const std::optional<int64_t> bits = magnitudeBits(hexText.substr(3), hexText[0] == '-');
  if (!bits) return std::nullopt;
  return ValueSize{static_cast<int64_t>(decDigits.size()), *bits};
}

std::string sizeText(const ValueSize& size) { return counted(size.digits, "digit") + " \u00b7 " + counted(size.bits, "bit"); }

std::string digitCountText(int64_t digits) { return counted(digits, "digit"); }

}  // namespace quorvel::ui
