// The value of one hexadecimal digit character, as the texts write them.
#pragma once

namespace quorvel::ui {

// 0..15 for '0'-'9', 'A'-'F' and 'a'-'f'; -1 for any other character.
inline int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace quorvel::ui
