// quorvel-cli: the calculator without windows. Keys come from the command
// line, from files or from standard input (cli_options.h says which), run
// through the same engine, worker and hand-off as the desktop program, and
// the display is printed: the hexadecimal text, then the decimal text.
//
// KEY is a panel label (+ - * / MOD << >> AND OR XOR NOT Exp GCD x^y nPr nCr
// Modulo Power +/- Sqrt n! ( ) = MS M+ M- MR MC CE C Dec Hex nextprime; C
// clears all), digits (a token starting with 0-9 made of 0-9A-Fa-f, or # and
// hexadecimal digits), paste:TEXT, paste, copy, bit:N, or cancel:MS (hand over
// the next key and press C if it still runs MS milliseconds later). A digit
// token is typed as one run of digit keys (CMD_TYPE_DIGITS): the entry the keys
// give one by one, its texts written once.
//
// The keys on the command line are all checked before the first is pressed;
// the keys of a file or of standard input are read, checked and pressed one
// at a time (key_reader.h), so a bad key there ends the run where it stands.
//
// The exit status tells a script what the display shows: a value, or one of
// the calculator's messages ("Divide by zero.", ...), which is then repeated
// on standard error. --prime adds the verdict on the value shown.
//
// While a key runs longer than a second and standard error is a terminal,
// a progress line there shows the fraction done and the time left (or the
// time so far, for work that cannot tell its fraction); it is erased when
// the key ends, so nothing of it stays in the terminal or reaches a pipe.
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/cli_options.h"
#include "engine/command_engine.h"
#include "engine/command_ids.h"
#include "engine/command_worker.h"
#include "engine/key_reader.h"
#include "engine/progress_text.h"
#include "engine/start_up.h"
#include "engine/version.h"
#include "platform/clipboard.h"
#include "platform/display.h"

namespace {

using namespace quorvel;

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
    // Not idle yet may still be done: the worker clears its command before
    // it waits again.
    if (cancelAfterMs >= 0 && !worker_.waitUntilIdleFor(std::chrono::milliseconds(cancelAfterMs)) && worker_.busy())
      worker_.handOff(CMD_CLEAR_ALL);
    waitShowingProgress();
  }

  void run(KeyAction& a, long cancelAfterMs) {
    switch (a.kind) {
      case KeyAction::KEY: press(a.id, cancelAfterMs); break;
      case KeyAction::DIGITS:
        engine_.inbox.putDigits(std::move(a.text));
        press(CMD_TYPE_DIGITS, cancelAfterMs);
        break;
      case KeyAction::PASTE_TEXT:
        clipboard_.setText(std::move(a.text));
        press(CMD_PASTE, cancelAfterMs);
        break;
      case KeyAction::PASTE: press(CMD_PASTE, cancelAfterMs); break;
      case KeyAction::COPY: press(CMD_COPY, cancelAfterMs); break;
      case KeyAction::BIT:
        engine_.bitToggleIndex.store(static_cast<int>(a.number));
        press(CMD_BIT_TOGGLE, cancelAfterMs);
        break;
      case KeyAction::CANCEL: break;
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
    const auto start = std::chrono::steady_clock::now();
    if (worker_.waitUntilIdleFor(std::chrono::milliseconds(static_cast<int>(PROGRESS_SHOW_AFTER_SECONDS * 1000))))
      return;
    do {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::fprintf(stderr, "\r%s\033[K", progressLine(engine_.progress.fraction(), seconds).c_str());
      std::fflush(stderr);
    } while (!worker_.waitUntilIdleFor(std::chrono::milliseconds(PROGRESS_LINE_INTERVAL_MS)));
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
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

// Runs the keys in order: one key of the command line, a cancel:MS taken
// for the next key, the trace after each key.
class KeyRunner {
 public:
  KeyRunner(CliCalculator& calculator, const CliOptions& options) : calculator_(calculator), options_(options) {}

  void run(KeyAction& key, const std::string& written) {
    if (key.kind == KeyAction::CANCEL) {
      cancelAfterMs_ = key.number;
      return;
    }
    calculator_.run(key, cancelAfterMs_);
    cancelAfterMs_ = -1;
    if (options_.trace) {
      std::printf("> %s\n", written.c_str());
      calculator_.print(options_);
    }
  }

 private:
  CliCalculator& calculator_;
  const CliOptions& options_;
  long cancelAfterMs_ = -1;
};

// A key source: its key, or the file it reads from (opened before any key
// is pressed, so that a misspelt name costs nothing).
struct OpenSource {
  const KeySource* source;
  std::optional<KeyAction> key;  // ARGUMENT
  std::FILE* file = nullptr;     // KEY_FILE
};

void closeFiles(const std::vector<OpenSource>& sources) {
  for (const OpenSource& open : sources)
    if (open.file && open.file != stdin) std::fclose(open.file);
}

// A key file that could not be opened or read, for `error` (an errno).
int cannotRead(const std::string& name, int error) {
  std::fprintf(stderr, "%s: cannot read %s: %s\n", CLI_PROGRAM_NAME, quotedKey(name, PATH_MAX).c_str(),
               std::strerror(error));
  return EXIT_TROUBLE;
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
  // Every key of the command line is checked and every file opened before
  // the first key is pressed, so a typo there costs nothing.
  std::vector<OpenSource> open;
  for (const KeySource& source : sources) {
    open.push_back({&source, std::nullopt, nullptr});
    std::string complaint;
    if (source.kind == KeySource::ARGUMENT) {
      open.back().key = keyOfArgument(source.text, complaint);
      if (!open.back().key) {
        closeFiles(open);
        return usageError(complaint);
      }
    } else {
      open.back().file = source.text == "-" ? stdin : std::fopen(source.text.c_str(), "r");
      if (!open.back().file) {
        const int error = errno;
        closeFiles(open);
        return cannotRead(source.text, error);
      }
    }
  }

  prepareNumberCore();
  CliCalculator calculator(isatty(STDERR_FILENO) == 1);
  KeyRunner runner(calculator, options);
  for (OpenSource& source : open) {
    if (source.key) {
      runner.run(*source.key, source.source->text);
      continue;
    }
    // Keys of a file run as they are read; a bad key ends the run there,
    // the keys before it pressed.
    KeyReader reader(source.file);
    while (std::optional<KeyAction> key = reader.next()) runner.run(*key, reader.token());
    if (!reader.complaint().empty() || reader.readError()) {
      closeFiles(open);
      if (!reader.complaint().empty()) return usageError(reader.complaint());
      return finishOutput(cannotRead(source.source->text, reader.readError()));
    }
  }
  closeFiles(open);
  if (!options.trace) calculator.print(options);
  const auto message = calculator.shownMessage();
  // A message is no value to judge; the exit status tells of it.
  if (options.prime && !message) std::printf("%s\n", calculator.primeVerdict().c_str());
  if (message) std::fprintf(stderr, "%s: %s\n", CLI_PROGRAM_NAME, message->c_str());
  return finishOutput(message ? EXIT_MESSAGE_SHOWN : EXIT_VALUE_SHOWN);
}
