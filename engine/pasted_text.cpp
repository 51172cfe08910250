#include "engine/pasted_text.h"

#include <algorithm>
#include <string_view>

#include "engine/binary_text.h"
#include "numtheory/numtheory.h"

namespace quorvel {

namespace {

// The UTF-8 byte order mark that many editors put at the start of a file.
// It is no part of a number, but ahead of the binary form's "0b" it would
// hide that form, and the rest would read as the decimal digit 0.
constexpr std::string_view UTF8_BYTE_ORDER_MARK = "\xEF\xBB\xBF";

}  // namespace

std::optional<vnum> readPastedText(const std::string& text) {
  if (std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  const char* start = text.c_str();
  if (text.starts_with(UTF8_BYTE_ORDER_MARK)) start += UTF8_BYTE_ORDER_MARK.size();
  if (const std::optional<std::string> hex = hexTextOfBinaryText(start)) return parseNumberText(hex->c_str());
  return parseNumberText(start);
}

}  // namespace quorvel
