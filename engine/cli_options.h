// The command line of quorvel-cli: its options, its usage text, and the
// places the keys come from. Only reads the arguments; reading key files and
// running the keys is the program's part (quorvel_cli.cpp).
#pragma once

#include <string>
#include <vector>

namespace quorvel {

// The program's exit statuses, which scripts test instead of the texts.
inline constexpr int EXIT_VALUE_SHOWN = 0;    // the display shows a value
inline constexpr int EXIT_MESSAGE_SHOWN = 1;  // it shows one of the calculator's messages
inline constexpr int EXIT_TROUBLE = 2;        // usage error, unreadable key file, failed write

inline constexpr char CLI_PROGRAM_NAME[] = "quorvel-cli";

// One place keys come from. Sources run in the order of the command line,
// so `quorvel-cli 3 -f rest.txt` presses 3, then the keys in rest.txt.
struct KeySource {
  enum Kind { ARGUMENT, KEY_FILE } kind;
  std::string text;  // ARGUMENT: the key; KEY_FILE: the file name, "-" for standard input
};

struct CliOptions {
  bool help = false;
  bool version = false;
  bool trace = false;
  bool indicators = false;
  // --prime: one more line after the display, the verdict on the value.
  bool prime = false;
  // --hex and --dec pick the texts to print; with neither, both are printed.
  bool hexPicked = false;
  bool decPicked = false;
  // Empty when the command line names no key and no file: the keys are then
  // read from standard input.
  std::vector<KeySource> sources;
  // Not empty on a usage error: the complaint, without the program name.
  std::string usageError;

  bool printHex() const { return hexPicked || !decPicked; }
  bool printDec() const { return decPicked || !hexPicked; }
};

// Reads argv[1..argc-1]. Options may stand anywhere up to "--"; everything
// after "--" is a key, and so is a lone "-" anywhere (the subtract key).
// Parsing stops at the first usage error and at --help or --version, which
// leave the rest of the line unread.
CliOptions parseCliOptions(int argc, const char* const* argv);

// The text printed by --help.
const char* cliUsage();

}  // namespace quorvel
