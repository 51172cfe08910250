// The command engine's entry of long numbers: a digit token typed as one
// run of keys beside a paste of the same digits, both with the texts they
// write. GMP's column reads the digits and writes the decimal and
// hexadecimal texts.
#include <string>

#include "bench/bench.h"
#include "engine/command_engine.h"
#include "engine/command_ids.h"
#include "platform/clipboard.h"
#include "platform/display.h"

namespace quorvel::bench {

void runEngineCases() {
  const std::string keysName = "200,000-digit token as keys", pasteName = "paste of 200,000 digits";
  if (!selected(keysName) && !selected(pasteName)) return;
  std::string digits(200000, '0');
  unsigned long state = 27;
  for (char& digit : digits) {
    state = state * 6364136223846793005UL + 1442695040888963407UL;
    digit = static_cast<char>('0' + (state >> 33) % 10);
  }
  digits[0] = '7';

  TextBuffers texts;
  NullDisplay display;
  InProcessClipboard clipboard;
  CommandEngine engine(texts, display, clipboard);
  texts.publishTexts("+0x000000000000000", "0");

  std::string gmpText(digits.size() + 2, '\0');
  mpz_t value;
  mpz_init(value);
  const double gmp = secondsPerCall([&] {
    mpz_set_str(value, digits.c_str(), 10);
    mpz_get_str(gmpText.data(), 10, value);
    mpz_get_str(gmpText.data(), 16, value);
  });
  mpz_clear(value);

  // "C" first, so that each run starts a new entry rather than extending
  // the last one.
  if (selected(keysName))
    report(keysName, ourSecondsPerCall([&] {
             engine.runCommand(CMD_CLEAR_ALL);
             engine.inbox.putDigits(digits);
             engine.runCommand(CMD_TYPE_DIGITS);
           }),
           gmp);
  if (selected(pasteName))
    report(pasteName, ourSecondsPerCall([&] {
             engine.runCommand(CMD_CLEAR_ALL);
             clipboard.setText(digits);
             engine.runCommand(CMD_PASTE);
           }),
           gmp);
}

}  // namespace quorvel::bench
