// Fuzz target: the text reader behind paste. Any text gives a value within
// the cap or "Scale over", never another exception or a sanitizer report,
// and the value survives a round trip through its hexadecimal text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "tests/fuzz/fuzz_checks.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool claimed = (claimAbortSlot(), true);
  (void)claimed;
  // The reader takes NUL-terminated text, as the clipboard hands it over.
  const std::string text(reinterpret_cast<const char*>(data), size);
  vnum value;
  try {
    value = parseNumberText(text.c_str());
  } catch (const char* message) {
    if (std::strcmp(message, MSG_SCALE_OVER) != 0) fuzz::fail("a message other than \"Scale over\"");
    return 0;
  }
  fuzz::checkWithinCap(value);
  std::vector<char> hex(static_cast<size_t>(value.bitLength() / 4 + 64));
  writeHexText(value, hex.data(), hex.size());
  if (parseNumberText(hex.data()) != value) fuzz::fail("hexadecimal round trip");
  return 0;
}
