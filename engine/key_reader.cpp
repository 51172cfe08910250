#include "engine/key_reader.h"

#include <cctype>
#include <cerrno>

#include "engine/limits.h"

namespace quorvel {

namespace {

std::string unknownKey(std::string_view token) { return "unknown key " + quotedKey(token); }

std::string tooLong(std::string_view token, const KeyPrefix& prefix) {
  return "key too long: " + quotedKey(token) + " (" + prefix.limitText() + ")";
}

}  // namespace

std::optional<KeyAction> KeyReader::next() {
  token_.clear();
  complaint_.clear();
  int c;
  while ((c = std::getc(in_)) != EOF && std::isspace(c)) {
  }
  KeyPrefix prefix;
  while (c != EOF && !std::isspace(c)) {
    token_.push_back(static_cast<char>(c));
    const KeyPrefix::State state = prefix.add(token_);
    if (state == KeyPrefix::TOO_LONG) {
      complaint_ = tooLong(token_, prefix);
      return std::nullopt;
    }
    if (state == KeyPrefix::UNKNOWN) {
      // The rest of the token, as far as the message quotes it.
      while (token_.size() <= KEY_QUOTE_MAX_BYTES && (c = std::getc(in_)) != EOF && !std::isspace(c))
        token_.push_back(static_cast<char>(c));
      break;
    }
    c = std::getc(in_);
  }
  // A directory opens but fails on the first read (EISDIR).
  if (c == EOF && std::ferror(in_)) {
    readError_ = errno;
    return std::nullopt;
  }
  if (token_.empty()) return std::nullopt;
  std::optional<KeyAction> key = parseKeyToken(token_);
  if (!key) complaint_ = unknownKey(token_);
  return key;
}

std::optional<KeyAction> keyOfArgument(std::string_view argument, std::string& complaint) {
  KeyPrefix prefix;
  for (size_t n = 1; n <= argument.size(); ++n) {
    const KeyPrefix::State state = prefix.add(argument.substr(0, n));
    if (state == KeyPrefix::TOO_LONG) {
      complaint = tooLong(argument, prefix);
      return std::nullopt;
    }
    if (state == KeyPrefix::UNKNOWN) break;
  }
  std::optional<KeyAction> key = parseKeyToken(argument);
  if (!key) complaint = unknownKey(argument);
  return key;
}

}  // namespace quorvel
