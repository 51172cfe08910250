#include "tests/support/engine_harness.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/command_ids.h"
#include "engine/key_labels.h"

namespace quorvel::test {

EngineHarness::EngineHarness() : engine(texts, display, clipboard), worker(engine, display) {
  texts.publishTexts("+0x000000000000000", "0");
  worker.start();
  waitUntilIdle("the first worker waiting for a command");
}

bool EngineHarness::waitUntilIdle(const std::string& what) {
  if (worker.waitUntilIdleFor(KEY_TIMEOUT)) return true;
  ADD_FAILURE() << "still waiting after " << KEY_TIMEOUT.count() << " s for " << what;
  return false;
}

void EngineHarness::keys(const std::string& sequence) {
  std::istringstream in(sequence);
  std::string token;
  auto press = [&](int id) {
    worker.handOff(id);
    return waitUntilIdle("the key '" + token.substr(0, 40) + "' to end");
  };
  while (in >> token) {
    if (auto id = commandIdOfLabel(token)) {
      if (!press(*id)) return;
    } else if (token.rfind("paste:", 0) == 0) {
      clipboard.setText(token.substr(6));
      if (!press(CMD_PASTE)) return;
    } else if (token.rfind("open:", 0) == 0) {
      engine.inbox.putText(token.substr(5));
      if (!press(CMD_PASTE_TEXT)) return;
    } else if (token == "copy") {
      if (!press(CMD_COPY)) return;
    } else if (token == "backspace") {
      if (!press(CMD_BACKSPACE)) return;
    } else if (token == "isprime") {
      if (!press(CMD_IS_PRIME)) return;
    } else if (token.rfind("bit:", 0) == 0) {
      engine.bitToggleIndex.store(std::stoi(token.substr(4)));
      if (!press(CMD_BIT_TOGGLE)) return;
    } else {
      const std::string digits = token[0] == '#' ? token.substr(1) : token;
      ASSERT_TRUE(!digits.empty() && digits.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos)
          << "bad key token " << token.substr(0, 40);
      if (digitsAsRuns) {
        engine.inbox.putDigits(digits);
        if (!press(CMD_TYPE_DIGITS)) return;
        continue;
      }
      for (char c : digits) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
        if (!press(commandIdOfDigit(d))) return;
      }
    }
  }
}

}  // namespace quorvel::test
