// The binary text form of a value, which Save writes and every way of
// reading text (paste, open, drop) reads back: "+0b" or "-0b" followed by
// the bits of the hexadecimal text's digits, four per digit, most
// significant first. It is the hexadecimal text spelt in bits, so it keeps
// that text's two's complement: a negative value's pattern starts with 1
// and reads back by the hexadecimal rule (the highest set bit is the sign).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The binary text of the value whose hexadecimal text is `hexText`
// ("+0x..." or "-0x..."); empty when `hexText` is not in that form (a
// message).
std::string binaryTextOfHexText(std::string_view hexText);

// When `text` is one value in the binary form, with nothing else but
// blanks and line breaks around and between the bits, the same value as
// hexadecimal text; otherwise nothing.
std::optional<std::string> hexTextOfBinaryText(std::string_view text);

}  // namespace quorvel
