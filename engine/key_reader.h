// Keys read one at a time, as quorvel-cli runs them: from a stream (a key
// file or standard input) a key is read, checked and handed back before
// the next byte is read, so memory is bounded by the longest key, and a
// stream that holds no key (`yes x`, /dev/zero) is refused at its first
// token, however long that token would be.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "engine/cli_keys.h"

namespace quorvel {

class KeyReader {
 public:
  explicit KeyReader(std::FILE* in) : in_(in) {}

  // The next key of the stream; nothing at its end, after a read error
  // (readError()) or at a token that is no key (complaint()).
  std::optional<KeyAction> next();
  // The last key as written (for --trace), or the start of a refused one.
  const std::string& token() const { return token_; }
  // Why the last token was refused; empty when it was not.
  const std::string& complaint() const { return complaint_; }
  // The errno of a failed read, else 0.
  int readError() const { return readError_; }

 private:
  std::FILE* in_;
  std::string token_;
  std::string complaint_;
  int readError_ = 0;
};

// The key a command-line argument names; else nothing, with the complaint
// in `complaint`.
std::optional<KeyAction> keyOfArgument(std::string_view argument, std::string& complaint);

}  // namespace quorvel
