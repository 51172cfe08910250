#include "engine/binary_text.h"

#include <array>

namespace quorvel {

namespace {

constexpr int BITS_PER_HEX_DIGIT = 4;

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// "0000" .. "1111", so that a digit costs one copy of four characters.
constexpr std::array<std::array<char, BITS_PER_HEX_DIGIT>, 16> BIT_PATTERNS = [] {
  std::array<std::array<char, BITS_PER_HEX_DIGIT>, 16> table{};
  for (int v = 0; v < 16; ++v)
    for (int b = 0; b < BITS_PER_HEX_DIGIT; ++b) table[v][b] = (v >> (BITS_PER_HEX_DIGIT - 1 - b)) & 1 ? '1' : '0';
  return table;
}();

}  // namespace

std::string binaryTextOfHexText(std::string_view hexText) {
  if (hexText.size() < 4 || (hexText[0] != '+' && hexText[0] != '-') || hexText.substr(1, 2) != "0x") return {};
  const std::string_view digits = hexText.substr(3);
  std::string text;
  text.reserve(3 + BITS_PER_HEX_DIGIT * digits.size());
  text += hexText[0];
  text += "0b";
  for (char c : digits) {
    const int v = hexDigitValue(c);
    if (v < 0) return {};
    text.append(BIT_PATTERNS[v].data(), BITS_PER_HEX_DIGIT);
  }
  return text;
}

std::optional<std::string> hexTextOfBinaryText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  char sign = '+';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++];
  if (i + 2 > text.size() || text[i] != '0' || (text[i + 1] != 'b' && text[i + 1] != 'B')) return std::nullopt;
  i += 2;

  std::string bits;
  bits.reserve(text.size() - i);
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '0' || c == '1') bits += c;
    else if (!isBlank(c)) return std::nullopt;
  }
  if (bits.empty()) return std::nullopt;

  // Leading zero bits up to a whole digit change nothing in either sign:
  // the hexadecimal reader takes the highest set bit as the sign bit.
  const size_t pad = (BITS_PER_HEX_DIGIT - bits.size() % BITS_PER_HEX_DIGIT) % BITS_PER_HEX_DIGIT;
  std::string hex;
  hex.reserve(3 + (bits.size() + pad) / BITS_PER_HEX_DIGIT);
  hex += sign;
  hex += "0x";
  int v = 0, n = static_cast<int>(pad);
  for (char c : bits) {
    v = 2 * v + (c - '0');
    if (++n == BITS_PER_HEX_DIGIT) {
      hex += "0123456789ABCDEF"[v];
      v = n = 0;
    }
  }
  return hex;
}

}  // namespace quorvel
