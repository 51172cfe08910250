#include "tests/support/engine_harness.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/command_ids.h"
#include "engine/key_labels.h"

namespace quorvel::test {

EngineHarness::EngineHarness() : engine(texts, display, clipboard), worker(engine, display) {
  texts.publishTexts("+0x000000000000000", "0");
  worker.start();
  worker.waitUntilIdle();
}

void EngineHarness::keys(const std::string& sequence) {
  std::istringstream in(sequence);
  std::string token;
  auto press = [&](int id) {
    worker.handOff(id);
    worker.waitUntilIdle();
  };
  while (in >> token) {
    if (auto id = commandIdOfLabel(token)) {
      press(*id);
    } else if (token.rfind("paste:", 0) == 0) {
      clipboard.setText(token.substr(6));
      press(CMD_PASTE);
    } else if (token.rfind("open:", 0) == 0) {
      engine.inbox.putText(token.substr(5));
      press(CMD_PASTE_TEXT);
    } else if (token == "copy") {
      press(CMD_COPY);
    } else if (token == "backspace") {
      press(CMD_BACKSPACE);
    } else if (token == "isprime") {
      press(CMD_IS_PRIME);
    } else if (token.rfind("bit:", 0) == 0) {
      engine.bitToggleIndex.store(std::stoi(token.substr(4)));
      press(CMD_BIT_TOGGLE);
    } else {
      const std::string digits = token[0] == '#' ? token.substr(1) : token;
      for (char c : digits) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
        ASSERT_TRUE(d >= 0 && d < 16) << "bad key token " << token;
        press(commandIdOfDigit(d));
      }
    }
  }
}

}  // namespace quorvel::test
