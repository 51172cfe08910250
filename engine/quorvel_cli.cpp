// quorvel-cli: the calculator without windows. Keys come from the command
// line, from files or from standard input (cli_options.h says which), run
// through the same engine, worker and hand-off as the desktop program, and
// the display is printed: the hexadecimal text, then the decimal text.
//
// KEY is a panel label (+ - * / MOD << >> AND OR XOR NOT Exp GCD x^y nPr nCr
// Modulo Power +/- Sqrt n! ( ) = MS M+ M- MR MC CE C Dec Hex; C clears all),
// digits (a token starting with 0-9 made of 0-9A-Fa-f, or # and hexadecimal
// digits), paste:TEXT, paste, copy, bit:N, or cancel:MS (hand over the next
// key and press C if it still runs MS milliseconds later).
//
// The exit status tells a script what the display shows: a value, or one of
// the calculator's messages ("Divide by zero.", ...), which is then repeated
// on standard error. --prime adds the verdict on the value shown.
//
// While a key runs longer than a second and standard error is a terminal,
// a progress line there shows the fraction done and the time left (or the
// time so far, for work that cannot tell its fraction); it is erased when
// the key ends, so nothing of it stays in the terminal or reaches a pipe.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "engine/cli_options.h"
#include "engine/command_engine.h"
#include "engine/command_ids.h"
#include "engine/command_worker.h"
#include "engine/key_labels.h"
#include "engine/progress_text.h"
#include "engine/start_up.h"
#include "engine/version.h"
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

// Digits of any length; a number above INT_MAX reads as INT_MAX. For bit:N
// that is still past the cap, so the engine answers "Scale over" as for any
// bit it cannot address; for cancel:MS it is 24 days, as good as never.
std::optional<long> nonNegativeNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  long n = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    n = std::min<long>(n * 10 + (c - '0'), INT_MAX);
  }
  return n;
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

// "[#########           ] 42% · about 12 s left" after `seconds`, or
// "Computing... 12 s" while the command has reported no fraction.
std::string progressLine(double fraction, double seconds) {
  constexpr int BAR_CELLS = 20;
  if (fraction < 0) return "Computing... " + std::to_string(static_cast<long>(seconds)) + " s";
  const int filled = static_cast<int>(fraction * BAR_CELLS);
  return "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(BAR_CELLS - filled), ' ') +
         "] " + progressText(fraction, seconds);
}

class CliCalculator {
 public:
  // `showProgress`: standard error is a terminal.
  explicit CliCalculator(bool showProgress)
      : engine_(texts_, display_, clipboard_), worker_(engine_, display_), showProgress_(showProgress) {
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
    waitShowingProgress();
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

  void print(const CliOptions& options) {
    texts_.read([&](const char* hex, const char* dec) {
      if (options.printHex()) {
        std::fputs(hex, stdout);
        std::fputc('\n', stdout);
      }
      if (options.printDec()) {
        std::fputs(dec, stdout);
        std::fputc('\n', stdout);
      }
    });
    if (options.indicators) {
      std::string words;
      if (engine_.modulusIndicator()) words = "Modulo";
      if (engine_.memoryIndicator()) words += words.empty() ? "Memory" : " Memory";
      std::puts(words.c_str());
    }
  }

  // The verdict on the value shown (CMD_IS_PRIME).
  std::string primeVerdict() {
    press(CMD_IS_PRIME, -1);
    return engine_.primeVerdict();
  }

  // The message on display, or nothing when it shows a value. Read while the
  // worker is idle: its last command finished before waitUntilIdle returned.
  std::optional<std::string> shownMessage() const {
    if (!engine_.errorShown()) return std::nullopt;
    return texts_.decText();
  }

 private:
  void waitShowingProgress() {
    if (!showProgress_) {
      worker_.waitUntilIdle();
      return;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point nextLine = start + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(PROGRESS_SHOW_AFTER_SECONDS));
    bool shown = false;
    while (!worker_.idle()) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
      const Clock::time_point now = Clock::now();
      if (now < nextLine) continue;
      const double seconds = std::chrono::duration<double>(now - start).count();
      std::fprintf(stderr, "\r%s\033[K", progressLine(engine_.progress.fraction(), seconds).c_str());
      std::fflush(stderr);
      shown = true;
      nextLine = now + std::chrono::milliseconds(PROGRESS_LINE_INTERVAL_MS);
    }
    if (shown) {
      std::fputs("\r\033[K", stderr);
      std::fflush(stderr);
    }
  }

  // How often the progress line is written again.
  static constexpr int PROGRESS_LINE_INTERVAL_MS = 250;

  TextBuffers texts_;
  NullDisplay display_;
  InProcessClipboard clipboard_;
  CommandEngine engine_;
  CommandWorker worker_;
  const bool showProgress_;
};

// Appends the white-space separated keys of the file `name` ("-": standard
// input). On failure returns the reason, and tokens may hold part of the file.
std::optional<std::string> appendKeysOfFile(const std::string& name, std::vector<std::string>& tokens) {
  FILE* in = name == "-" ? stdin : std::fopen(name.c_str(), "r");
  if (!in) return std::string(std::strerror(errno));
  std::string token;
  int c;
  while ((c = std::getc(in)) != EOF) {
    if (!std::isspace(c)) {
      token += static_cast<char>(c);
    } else if (!token.empty()) {
      tokens.push_back(std::move(token));
      token.clear();
    }
  }
  if (!token.empty()) tokens.push_back(std::move(token));
  // A directory opens but fails on the first read (EISDIR).
  const int readError = std::ferror(in) ? errno : 0;
  if (in != stdin) std::fclose(in);
  if (readError) return std::string(std::strerror(readError));
  return std::nullopt;
}

int usageError(const std::string& complaint) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", CLI_PROGRAM_NAME, complaint.c_str(),
               CLI_PROGRAM_NAME);
  return EXIT_TROUBLE;
}

// Everything printed must reach its file: `quorvel-cli 1000 n! > /dev/full`
// is a failure, not a result.
int finishOutput(int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "%s: write error: %s\n", CLI_PROGRAM_NAME, std::strerror(errno));
    return EXIT_TROUBLE;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const CliOptions options = parseCliOptions(argc, argv);
  if (!options.usageError.empty()) return usageError(options.usageError);
  if (options.help) {
    std::fputs(cliUsage(), stdout);
    return finishOutput(EXIT_VALUE_SHOWN);
  }
  if (options.version) {
    std::printf("%s (Quorvel) %s\n", CLI_PROGRAM_NAME, PROGRAM_VERSION);
    return finishOutput(EXIT_VALUE_SHOWN);
  }

  std::vector<KeySource> sources = options.sources;
  if (sources.empty()) sources.push_back({KeySource::KEY_FILE, "-"});
  std::vector<std::string> tokens;
  for (const KeySource& source : sources) {
    if (source.kind == KeySource::ARGUMENT) {
      tokens.push_back(source.text);
    } else if (const auto failure = appendKeysOfFile(source.text, tokens)) {
      std::fprintf(stderr, "%s: cannot read '%s': %s\n", CLI_PROGRAM_NAME, source.text.c_str(), failure->c_str());
      return EXIT_TROUBLE;
    }
  }
  // Every key is checked before the first is pressed, so a typo late in a
  // long calculation costs nothing.
  std::vector<Action> actions;
  for (const std::string& token : tokens) {
    const auto action = parseToken(token);
    if (!action) return usageError("unknown key '" + token + "'");
    actions.push_back(*action);
  }

  prepareNumberCore();
  CliCalculator calculator(isatty(STDERR_FILENO) == 1);
  long cancelAfterMs = -1;
  for (const Action& a : actions) {
    if (a.kind == Action::CANCEL) {
      cancelAfterMs = a.number;
      continue;
    }
    calculator.run(a, cancelAfterMs);
    cancelAfterMs = -1;
    if (options.trace) {
      std::printf("> %s\n", a.token.c_str());
      calculator.print(options);
    }
  }
  if (!options.trace) calculator.print(options);
  const auto message = calculator.shownMessage();
  // A message is no value to judge; the exit status tells of it.
  if (options.prime && !message) std::printf("%s\n", calculator.primeVerdict().c_str());
  if (message) std::fprintf(stderr, "%s: %s\n", CLI_PROGRAM_NAME, message->c_str());
  return finishOutput(message ? EXIT_MESSAGE_SHOWN : EXIT_VALUE_SHOWN);
}
