#include "engine/cli_keys.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string>

#include "engine/key_labels.h"

namespace quorvel {

namespace {

constexpr std::string_view PASTE_PREFIX = "paste:";
constexpr std::string_view BIT_PREFIX = "bit:";
constexpr std::string_view CANCEL_PREFIX = "cancel:";
// The keys of the command line that are not panel labels, or begin them.
constexpr std::array<std::string_view, 5> OTHER_KEYS{PASTE_PREFIX, "paste", "copy", BIT_PREFIX, CANCEL_PREFIX};

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) { return digitOfCharacter(c) >= 0; }

bool isDigitToken(std::string_view digits) {
  return !digits.empty() && digits.size() <= KEY_MAX_DIGITS && std::all_of(digits.begin(), digits.end(), isHexDigit);
}

// Digits of any length up to KEY_MAX_DIGITS; a number above INT_MAX reads
// as INT_MAX. For bit:N that is still past the cap, so the engine answers
// "Scale over" as for any bit it cannot address; for cancel:MS it is 24
// days, as good as never.
std::optional<long> nonNegativeNumber(std::string_view text) {
  if (text.empty() || text.size() > KEY_MAX_DIGITS) return std::nullopt;
  long n = 0;
  for (char c : text) {
    if (!isDecimalDigit(c)) return std::nullopt;
    n = std::min<long>(n * 10 + (c - '0'), INT_MAX);
  }
  return n;
}

}  // namespace

std::optional<KeyAction> parseKeyToken(std::string_view token) {
  KeyAction a;
  if (token.empty()) return std::nullopt;
  if (const auto id = commandIdOfLabel(token)) {
    a.id = *id;
    return a;
  }
  if (isDecimalDigit(token[0]) || token[0] == '#') {
    const std::string_view digits = token[0] == '#' ? token.substr(1) : token;
    if (!isDigitToken(digits)) return std::nullopt;
    a.kind = KeyAction::DIGITS;
    a.text = digits;
    return a;
  }
  if (token.starts_with(PASTE_PREFIX)) {
    if (token.size() - PASTE_PREFIX.size() > KEY_MAX_PASTE_BYTES) return std::nullopt;
    a.kind = KeyAction::PASTE_TEXT;
    a.text = token.substr(PASTE_PREFIX.size());
    return a;
  }
  if (token == "paste" || token == "copy") {
    a.kind = token == "paste" ? KeyAction::PASTE : KeyAction::COPY;
    return a;
  }
  for (const std::string_view prefix : {BIT_PREFIX, CANCEL_PREFIX}) {
    if (!token.starts_with(prefix)) continue;
    const auto n = nonNegativeNumber(token.substr(prefix.size()));
    if (!n) return std::nullopt;
    a.kind = prefix == BIT_PREFIX ? KeyAction::BIT : KeyAction::CANCEL;
    a.number = *n;
    return a;
  }
  return std::nullopt;
}

KeyPrefix::State KeyPrefix::add(std::string_view token) {
  const char c = token.back();
  switch (shape_) {
    case OPEN:
      // Decided by the first bytes: digits, or the prefix of paste:TEXT,
      // bit:N or cancel:MS complete; else still the start of some key.
      if (token.size() == 1 && (isDecimalDigit(c) || c == '#')) {
        shape_ = DIGITS;
        maxLength_ = KEY_MAX_DIGITS + (c == '#' ? 1 : 0);
      } else if (token == PASTE_PREFIX) {
        shape_ = PASTE_TEXT;
        maxLength_ = PASTE_PREFIX.size() + KEY_MAX_PASTE_BYTES;
      } else if (token == BIT_PREFIX || token == CANCEL_PREFIX) {
        shape_ = NUMBER;
        maxLength_ = token.size() + KEY_MAX_DIGITS;
      } else if (!someLabelStartsWith(token) &&
                 std::none_of(OTHER_KEYS.begin(), OTHER_KEYS.end(),
                              [&](std::string_view key) { return key.starts_with(token); })) {
        return UNKNOWN;
      }
      return GROWING;
    case DIGITS:
      if (!isHexDigit(c)) return UNKNOWN;
      break;
    case NUMBER:
      if (!isDecimalDigit(c)) return UNKNOWN;
      break;
    case PASTE_TEXT: break;
  }
  return token.size() > maxLength_ ? TOO_LONG : GROWING;
}

std::string KeyPrefix::limitText() const {
  const std::string digits = std::to_string(KEY_MAX_DIGITS);
  switch (shape_) {
    case DIGITS: return "more than " + digits + " digits, the most a value up to 5,000,000 bits has";
    case NUMBER: return "a number of more than " + digits + " digits";
    case PASTE_TEXT: return "a text of more than " + std::to_string(KEY_MAX_PASTE_BYTES >> 20) + " MB";
    case OPEN: break;
  }
  return {};
}

std::string quotedKey(std::string_view token, size_t maxBytes) {
  static constexpr char HEX[] = "0123456789abcdef";
  std::string quoted = "'";
  for (const char c : token.substr(0, maxBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0) {
      quoted += "\\0";
    } else if (byte == '\\') {
      quoted += "\\\\";
    } else if (byte < 0x20 || byte >= 0x7f) {
      quoted += "\\x";
      quoted += HEX[byte >> 4];
      quoted += HEX[byte & 15];
    } else {
      quoted += c;
    }
  }
  if (token.size() > maxBytes) quoted += "\u2026";
  return quoted + "'";
}

}  // namespace quorvel
