// quorvel-cli: the calculator without windows. Keys come from the command
// line (or standard input), run through the same engine, worker and hand-off
// as the desktop program, and the display is printed: the hexadecimal text,
// then the decimal text.
//
//   quorvel-cli [--trace] [--indicators] [KEY ...]
//
// KEY is a panel label (+ - * / MOD << >> AND OR XOR NOT Exp GCD x^y nPr nCr
// Modulo Power +/- Sqrt n! ( ) = MS M+ M- MR MC CE C Dec Hex; C clears all),
// digits (a token starting with 0-9 made of 0-9A-Fa-f, or # and hexadecimal
// digits), paste:TEXT, paste, copy, bit:N, or cancel:MS (hand over the next
// key and press C if it still runs MS milliseconds later).
#include <cctype>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/command_ids.h"
#include "engine/command_worker.h"
#include "engine/key_labels.h"
#include "engine/start_up.h"
#include "platform/clipboard.h"
#include "platform/display.h"

namespace {

using namespace quorvel;

struct Action {
  enum Kind { KEYS, PASTE_TEXT, PASTE, COPY, BIT, CANCEL } kind;
  std::string token;     // as written, for the trace
  std::vector<int> ids;  // KEYS: the command ids in order
  std::string text;      // PASTE_TEXT
  long number = 0;       // BIT: bit index; CANCEL: milliseconds
};

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<int>> digitKeys(const std::string& digits) {
  if (digits.empty()) return std::nullopt;
  std::vector<int> ids;
  for (char c : digits) {
    const int d = hexDigitValue(c);
    if (d < 0) return std::nullopt;
    ids.push_back(commandIdOfDigit(d));
  }
  return ids;
}

std::optional<long> nonNegativeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return std::stol(text);
}

std::optional<Action> parseToken(const std::string& token) {
  Action a{Action::KEYS, token, {}, {}, 0};
  if (const auto id = commandIdOfLabel(token)) {
    a.ids = {*id};
    return a;
  }
  if (std::isdigit(static_cast<unsigned char>(token[0]))) {
    if (auto ids = digitKeys(token)) {
      a.ids = std::move(*ids);
      return a;
    }
    return std::nullopt;
  }
  if (token[0] == '#') {
    if (auto ids = digitKeys(token.substr(1))) {
      a.ids = std::move(*ids);
      return a;
    }
    return std::nullopt;
  }
  if (token.rfind("paste:", 0) == 0) {
    a.kind = Action::PASTE_TEXT;
    a.text = token.substr(6);
    return a;
  }
  if (token == "paste") {
    a.kind = Action::PASTE;
    return a;
  }
  if (token == "copy") {
    a.kind = Action::COPY;
    return a;
  }
  if (token.rfind("bit:", 0) == 0) {
    const auto n = nonNegativeNumber(token.substr(4));
    if (!n) return std::nullopt;
    a.kind = Action::BIT;
    a.number = *n;
    return a;
  }
  if (token.rfind("cancel:", 0) == 0) {
    const auto n = nonNegativeNumber(token.substr(7));
    if (!n) return std::nullopt;
    a.kind = Action::CANCEL;
    a.number = *n;
    return a;
  }
  return std::nullopt;
}

class CliCalculator {
 public:
  CliCalculator() : engine_(texts_, display_, clipboard_), worker_(engine_, display_) {
    texts_.publishTexts("+0x000000000000000", "0");
    worker_.start();
    worker_.waitUntilIdle();
  }

  // Hands one command over; with a cancel delay (>= 0), presses "C" through
  // the cancel path when the command still runs after that many ms.
  void press(int id, long cancelAfterMs) {
    worker_.handOff(id);
    if (cancelAfterMs >= 0) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(cancelAfterMs);
      while (worker_.busy() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (worker_.busy()) worker_.handOff(CMD_CLEAR_ALL);
    }
    worker_.waitUntilIdle();
  }

  void run(const Action& a, long cancelAfterMs) {
    switch (a.kind) {
      case Action::KEYS:
        for (int id : a.ids) press(id, cancelAfterMs);
        break;
      case Action::PASTE_TEXT:
        clipboard_.setText(a.text);
        press(CMD_PASTE, cancelAfterMs);
        break;
      case Action::PASTE: press(CMD_PASTE, cancelAfterMs); break;
      case Action::COPY: press(CMD_COPY, cancelAfterMs); break;
      case Action::BIT:
        engine_.bitToggleIndex.store(static_cast<int>(a.number));
        press(CMD_BIT_TOGGLE, cancelAfterMs);
        break;
      case Action::CANCEL: break;
    }
  }

  void print(bool indicators) {
    texts_.read([](const char* hex, const char* dec) {
      std::fputs(hex, stdout);
      std::fputc('\n', stdout);
      std::fputs(dec, stdout);
      std::fputc('\n', stdout);
    });
    if (indicators) {
      std::string words;
      if (engine_.modulusIndicator()) words = "Modulo";
      if (engine_.memoryIndicator()) words += words.empty() ? "Memory" : " Memory";
      std::puts(words.c_str());
    }
  }

 private:
  TextBuffers texts_;
  NullDisplay display_;
  InProcessClipboard clipboard_;
  CommandEngine engine_;
  CommandWorker worker_;
};

}  // namespace

int main(int argc, char** argv) {
  bool trace = false, indicators = false;
  std::vector<std::string> tokens;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--trace")
      trace = true;
    else if (arg == "--indicators")
      indicators = true;
    else
      tokens.push_back(arg);
  }
  if (tokens.empty()) {
    std::string token;
    while (std::cin >> token) tokens.push_back(token);
  }
  std::vector<Action> actions;
  for (const std::string& token : tokens) {
    const auto action = parseToken(token);
    if (!action) {
      std::fprintf(stderr, "quorvel-cli: unknown key '%s'\n", token.c_str());
      return 2;
    }
    actions.push_back(*action);
  }

  prepareNumberCore();
  CliCalculator calculator;
  long cancelAfterMs = -1;
  for (const Action& a : actions) {
    if (a.kind == Action::CANCEL) {
      cancelAfterMs = a.number;
      continue;
    }
    calculator.run(a, cancelAfterMs);
    cancelAfterMs = -1;
    if (trace) {
      std::printf("> %s\n", a.token.c_str());
      calculator.print(indicators);
    }
  }
  if (!trace) calculator.print(indicators);
  return 0;
}
