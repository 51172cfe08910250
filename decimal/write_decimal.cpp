// Decimal printing of a vnum10 and its table of four-digit groups.
#include <algorithm>
#include <array>
#include <cstring>

#include "decimal/vnum10.h"

namespace quorvel {

namespace {

constexpr std::array<char, DIGIT_QUAD_SIZE> buildDigitQuads() {
  std::array<char, DIGIT_QUAD_SIZE> quads{};
  for (int i = 0; i < DIGIT_QUAD_COUNT; ++i) {
    quads[4 * i] = static_cast<char>('0' + i / 1000);
    quads[4 * i + 1] = static_cast<char>('0' + i / 100 % 10);
    quads[4 * i + 2] = static_cast<char>('0' + i / 10 % 10);
    quads[4 * i + 3] = static_cast<char>('0' + i % 10);
  }
  return quads;
}

}  // namespace

// Built by the compiler, so no thread ever sees it half filled.
constinit const std::array<char, DIGIT_QUAD_SIZE> digitQuads = buildDigitQuads();

void vnum10::writeDecimal(char* buffer, size_t size) const {
  if (size == 0) return;
  const size_t room = size - 1;  // characters before the terminating NUL
  size_t pos = 0;
  // Appends what fits of text[0..n) and terminates, so that the buffer holds
  // a NUL-terminated prefix of the final text after every limb.
  auto append = [&](const char* text, size_t n) {
    n = std::min(n, room - pos);
    std::memcpy(buffer + pos, text, n);
    pos += n;
    buffer[pos] = '\0';
  };

  const int32_t n = trimmedLength();
  if (!plus && !isZero()) append("-", 1);

  char top[DEC_LIMB_DIGITS];
  int topDigits = 0;
  for (uint32_t v = static_cast<uint32_t>(limbs[n - 1]); topDigits == 0 || v != 0; v /= 10)
    top[DEC_LIMB_DIGITS - 1 - topDigits++] = static_cast<char>('0' + v % 10);
  append(top + DEC_LIMB_DIGITS - topDigits, static_cast<size_t>(topDigits));

  for (int32_t i = n - 2; i >= 0 && pos < room; --i) {
    const int32_t limb = limbs[i];
    char eight[DEC_LIMB_DIGITS];
    std::memcpy(eight, &digitQuads[4 * static_cast<size_t>(limb / 10000)], 4);
    std::memcpy(eight + 4, &digitQuads[4 * static_cast<size_t>(limb % 10000)], 4);
    append(eight, DEC_LIMB_DIGITS);
  }
}

}  // namespace quorvel
