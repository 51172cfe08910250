#include "engine/pasted_text.h"

#include <algorithm>

#include "engine/binary_text.h"
#include "numtheory/numtheory.h"

namespace quorvel {

std::optional<vnum> readPastedText(const std::string& text) {
  if (std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  if (const std::optional<std::string> hex = hexTextOfBinaryText(text)) return parseNumberText(hex->c_str());
  return parseNumberText(text.c_str());
}

}  // namespace quorvel
