// The keys of quorvel-cli as it reads them: what a token means, whether a
// token still being read can become a key at all, and how a token that is
// none is quoted in a message.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/limits.h"

namespace quorvel {

struct KeyAction {
  enum Kind { KEY, DIGITS, PASTE_TEXT, PASTE, COPY, BIT, CANCEL } kind = KEY;
  int id = 0;        // KEY: the command id of a panel label
  std::string text;  // DIGITS: the digits, without "#"; PASTE_TEXT: the text
  long number = 0;   // BIT: bit index; CANCEL: milliseconds
};

// The meaning of a whole token, or nothing for a token that is no key
// (also one over the length limits of engine/limits.h).
std::optional<KeyAction> parseKeyToken(std::string_view token);

// Follows a token byte by byte as it is read: says as soon as no key can
// begin with the bytes so far (so that a stream of garbage is refused at
// its first bytes), or when the token has grown past the longest key of its
// kind (so that it is never held whole). Constant work per byte.
class KeyPrefix {
 public:
  enum State { GROWING, UNKNOWN, TOO_LONG };
  // `token` is the token so far, its last byte just added.
  State add(std::string_view token);
  // Why a token of this kind is too long, for the message.
  std::string limitText() const;

 private:
  enum Shape { OPEN, DIGITS, NUMBER, PASTE_TEXT } shape_ = OPEN;
  size_t maxLength_ = 0;
};

// `token` in single quotes for a message: at most `maxBytes` of it, then
// "…"; a zero byte written \0, a backslash \\, and every other byte outside
// printable ASCII as \xHH, so that no byte of it reaches the terminal as it
// is. File names are quoted the same way, cut only at a path's length.
std::string quotedKey(std::string_view token, size_t maxBytes = KEY_QUOTE_MAX_BYTES);

}  // namespace quorvel
