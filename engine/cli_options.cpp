#include "engine/cli_options.h"

#include <string_view>

#include "engine/cli_keys.h"

namespace quorvel {

namespace {

constexpr char USAGE[] =
    R"(Usage: quorvel-cli [OPTION]... [KEY]...
Press the keys of the Quorvel calculator in order and print its display: the
hexadecimal text, then the decimal text. With no KEY and no -f, the keys are
read from standard input, separated by white space.

Options:
  -f FILE           read keys from FILE (- for standard input); keys on the
                    command line and in files are pressed in the order given
      --dec         print only the decimal text
      --hex         print only the hexadecimal text
      --trace       print each key and the display after it
      --indicators  add a line with the lit indicators (Modulo, Memory)
      --prime       add a line with the verdict on the value shown: prime,
                    probable prime, composite (with a reason when one is
                    cheap, as "composite: divisible by 7") or not prime
  -h, --help        print this help and exit
      --version     print the version and exit
  --                end the options: every later argument is a key
                    (a lone - is the subtract key anywhere)

Keys, written as on the key panel (quote * ( ) << >> from the shell):
  digits       123 or 1F (a token starting with 0-9), #FF (hexadecimal
               letters count only in Hex mode)
  operators    + - * / MOD << >> AND OR XOR Exp GCD x^y nPr nCr Power
  functions    +/- NOT Sqrt n! nextprime (the smallest prime above)
  evaluation   ( ) =
  memory       MS M+ M- MR MC, and Modulo (stores the modulus of Power)
  clearing     CE C
  entry mode   Dec Hex
  others       paste:TEXT, paste, copy, bit:N (flip bit N of the entry),
               cancel:MS (press C if the next key still runs MS ms later)

Exit status: 0 if the display shows a value; 1 if it shows one of the
calculator's messages, such as "Divide by zero." (also written to standard
error); 2 for a usage error, an unreadable key file or a failed write. The
verdict of --prime does not change it.

While a long command runs, its progress and an estimate of the time left
show on standard error, when that is a terminal.

Example: quorvel-cli --dec 2 x^y 127 - 1 =
)";

}  // namespace

const char* cliUsage() { return USAGE; }

CliOptions parseCliOptions(int argc, const char* const* argv) {
  CliOptions options;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      options.sources.push_back({KeySource::ARGUMENT, std::string(arg)});
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
      return options;
    } else if (arg == "--version") {
      options.version = true;
      return options;
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--indicators") {
      options.indicators = true;
    } else if (arg == "--prime") {
      options.prime = true;
    } else if (arg == "--dec") {
      options.decPicked = true;
    } else if (arg == "--hex") {
      options.hexPicked = true;
    } else if (arg == "-f") {
      if (i + 1 == argc) {
        options.usageError = "option '-f' requires a file name";
        return options;
      }
      options.sources.push_back({KeySource::KEY_FILE, argv[++i]});
    } else if (arg.substr(0, 2) == "-f") {
      options.sources.push_back({KeySource::KEY_FILE, std::string(arg.substr(2))});
    } else {
      options.usageError = "unknown option " + quotedKey(arg);
      return options;
    }
  }
  return options;
}

}  // namespace quorvel
