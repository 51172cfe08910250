// quorvel-cli as a script sees it: command lines with the exact standard
// output, standard error and exit status they must give. Runs the built
// program (QUORVEL_CLI_PATH) in a scratch directory holding the key files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/version.h"

namespace {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out, err;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quorvel-cli-test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    // Keys across lines and tabs, and a file that continues the command line.
    std::ofstream(dir_ / "keys.txt") << "2 x^y\n127\t-\n\n1 =\n";
    std::ofstream(dir_ / "rest.txt") << "+ 4 =";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs quorvel-cli with `args`, `input` on standard input and standard
  // output into `outPath` (a scratch file when empty). With `endless`, the
  // input comes through a pipe from a writer that repeats it until the pipe
  // closes, as `yes` would.
  Result run(const std::vector<std::string>& args, const std::string& input, const std::string& outPath = "",
             bool endless = false) {
    std::ofstream(dir_ / "in.txt") << input;
    const std::string out = outPath.empty() ? (dir_ / "out.txt").string() : outPath;
    const std::string dir = dir_.string(), in = (dir_ / "in.txt").string(), err = (dir_ / "err.txt").string();
    std::vector<char*> argv{const_cast<char*>(QUORVEL_CLI_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    pid_t writer = -1;
    if (endless) {
      EXPECT_EQ(pipe(pipeEnds), 0);
      writer = fork();
      if (writer == 0) {
        close(pipeEnds[0]);
        while (write(pipeEnds[1], input.data(), input.size()) > 0) {
        }
        _exit(0);
      }
    }
    const pid_t pid = fork();
    if (pid == 0) {
      // Only async-signal-safe calls between fork and exec.
      const int fdIn = endless ? pipeEnds[0] : open(in.c_str(), O_RDONLY);
      const int fdOut = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int fdErr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (chdir(dir.c_str()) != 0 || fdIn < 0 || fdOut < 0 || fdErr < 0 || dup2(fdIn, 0) < 0 || dup2(fdOut, 1) < 0 ||
          dup2(fdErr, 2) < 0)
        _exit(127);
      if (endless) close(pipeEnds[1]);
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (endless) {
      close(pipeEnds[0]);
      close(pipeEnds[1]);
    }
    const int wstatus = waitBounded(pid, "quorvel-cli");
    // The writer ends with the pipe, which closed with quorvel-cli.
    if (writer > 0) waitBounded(writer, "the writer of the endless input");
    EXPECT_TRUE(WIFEXITED(wstatus)) << "wait status " << wstatus;
    return {WEXITSTATUS(wstatus), outPath.empty() ? slurp(out) : "", slurp(err)};
  }

  // Waits for the child `pid`, for at most PROCESS_TIMEOUT; a child still
  // running then is killed, and the test fails saying which.
  static int waitBounded(pid_t pid, const char* what) {
    const auto deadline = std::chrono::steady_clock::now() + PROCESS_TIMEOUT;
    int wstatus = 0;
    while (waitpid(pid, &wstatus, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << what << " still running after " << PROCESS_TIMEOUT.count() << " s";
        kill(pid, SIGKILL);
        waitpid(pid, &wstatus, 0);
        break;
      }
      usleep(2000);
    }
    return wstatus;
  }

  // Far above the few seconds the slowest row takes on a busy machine; the
  // sanitizers make the program 5 to 15 times slower (the primality test
  // of 2^19937 - 1 took over 60 s under ThreadSanitizer).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  static constexpr std::chrono::seconds PROCESS_TIMEOUT{300};
#else
  static constexpr std::chrono::seconds PROCESS_TIMEOUT{60};
#endif

  fs::path dir_;
};

constexpr char HINT[] = "Try 'quorvel-cli --help' for more information.\n";

struct Row {
  std::vector<std::string> args;
  std::string input;  // standard input
  int status;
  std::string out;
  std::string err;
  bool endless = false;  // the input repeated through a pipe, as `yes` writes it
};

TEST_F(CliTest, OptionsKeySourcesAndExitStatuses) {
  // A digit token is typed as one run: 10^199999 + 12345... as long as an
  // argument can be, through standard input.
  std::string token = "1" + std::string(199999, '0');
  for (size_t i = 1; i < token.size(); i += 7) token[i] = static_cast<char>('0' + i % 10);
  const std::string unknownZ = std::string("quorvel-cli: unknown key '") + std::string(40, 'z') + "\u2026'\n" + HINT;
  const Row rows[] = {
      // Both texts by default; --dec and --hex pick one.
      {{"2", "+", "3", "="}, "", 0, "+0x000000000000005\n5\n", ""},
      {{"--dec", "2", "x^y", "127", "-", "1", "="}, "", 0, "170141183460469231731687303715884105727\n", ""},
      {{"12", "-", "20", "=", "--hex"}, "", 0, "-0xFFFFFFFFFFFFFF8\n", ""},
      {{"--hex", "--dec", "5"}, "", 0, "+0x000000000000005\n5\n", ""},
      {{"--trace", "--dec", "2", "+", "3", "="}, "", 0, "> 2\n2\n> +\n2\n> 3\n3\n> =\n5\n", ""},
      {{"--indicators", "--dec", "5", "MS"}, "", 0, "5\nMemory\n", ""},
      // --prime: the verdict after the display; none for a message.
      {{"--prime", "--dec", "1000", "nextprime"}, "", 0, "1009\nprime\n", ""},
      {{"--prime", "--dec", "561"}, "", 0, "561\ncomposite: divisible by 3\n", ""},
      {{"--prime", "--dec", "1", "/", "0", "="}, "", 1, "Divide by zero.\n", "quorvel-cli: Divide by zero.\n"},
      // A message on display: status 1 and the message on standard error,
      // kept through MC, gone after CE.
      {{"1", "/", "0", "="}, "", 1, "Divide by zero.\nDivide by zero.\n", "quorvel-cli: Divide by zero.\n"},
      {{"--dec", "2", "Modulo", "MC"}, "", 1, "even value.\n", "quorvel-cli: even value.\n"},
      {{"--dec", "1", "/", "0", "=", "CE"}, "", 0, "0\n", ""},
      // bit:N takes any digits; a bit past the cap is a value over it.
      {{"--dec", "bit:0000000000003"}, "", 0, "8\n", ""},
      {{"--dec", "bit:2147483647"}, "", 1, "Scale over\n", "quorvel-cli: Scale over\n"},
      {{"--dec", "bit:99999999999999999999"}, "", 1, "Scale over\n", "quorvel-cli: Scale over\n"},
      // cancel:MS presses C when the next key still runs MS ms later (here
      // 3^(2^100,000) mod 2^100,000 + 1, minutes of work), not otherwise.
      {{"--dec", "1", "<<", "100000", "+", "1", "=", "Modulo", "3", "Power", "(", "1", "<<", "100000", ")",
        "cancel:100", "="},
       "", 0, "0\n", ""},
      {{"--dec", "6", "*", "7", "cancel:60000", "="}, "", 0, "42\n", ""},
      // Where the keys come from: standard input when the line names none,
      // else arguments and -f files in their order.
      {{}, "6 * 7 =\n", 0, "+0x00000000000002A\n42\n", ""},
      {{"--dec"}, "6 * 7 =", 0, "42\n", ""},
      {{"--dec", "-f", "-"}, "6\n*\n7\n=", 0, "42\n", ""},
      {{"--dec", "-f", "keys.txt"}, "", 0, "170141183460469231731687303715884105727\n", ""},
      {{"--dec", "3", "-f", "rest.txt"}, "", 0, "7\n", ""},
      {{"--dec", "-frest.txt", "-f", "rest.txt"}, "", 0, "8\n", ""},
      {{"--dec", "3", "-f", "rest.txt"}, "9 9 9", 0, "7\n", ""},  // standard input unread
      // A lone "-" is the subtract key; after "--" everything is a key.
      {{"--dec", "9", "-", "2", "="}, "", 0, "7\n", ""},
      {{"--dec", "--", "9", "-", "2", "="}, "", 0, "7\n", ""},
      {{"--", "5"}, "", 0, "+0x000000000000005\n5\n", ""},
      {{"5", "--", "--dec"}, "", 2, "", std::string("quorvel-cli: unknown key '--dec'\n") + HINT},
      // Usage errors: nothing is computed or printed.
      {{"--bogus", "5"}, "", 2, "", std::string("quorvel-cli: unknown option '--bogus'\n") + HINT},
      {{"-5"}, "", 2, "", std::string("quorvel-cli: unknown option '-5'\n") + HINT},
      {{"2", "plus", "3"}, "", 2, "", std::string("quorvel-cli: unknown key 'plus'\n") + HINT},
      {{"--dec"}, "1 + x", 2, "", std::string("quorvel-cli: unknown key 'x'\n") + HINT},
      {{"5", "-f"}, "", 2, "", std::string("quorvel-cli: option '-f' requires a file name\n") + HINT},
      {{"-f", "missing.txt"}, "", 2, "", "quorvel-cli: cannot read 'missing.txt': No such file or directory\n"},
      {{"-f", "."}, "", 2, "", "quorvel-cli: cannot read '.': Is a directory\n"},
      // Keys from a stream run as they are read, up to a bad one; an endless
      // stream of bad keys ends at its first.
      {{"--trace", "--dec"}, "2 + plus 3", 2, "> 2\n2\n> +\n2\n",
       std::string("quorvel-cli: unknown key 'plus'\n") + HINT},
      {{"--dec"}, "x\n", 2, "", std::string("quorvel-cli: unknown key 'x'\n") + HINT, true},
      // A refused key is quoted with its unprintable bytes escaped, and cut.
      {{"--dec"}, std::string("12\0 3", 5), 2, "", std::string("quorvel-cli: unknown key '12\\0'\n") + HINT},
      {{}, "7 \xff\x1b[2J", 2, "", std::string("quorvel-cli: unknown key '\\xff\\x1b[2J'\n") + HINT},
      {{}, std::string(1000000, 'z'), 2, "", unknownZ},
      {{}, std::string(1505151, '1'), 2, "",
       "quorvel-cli: key too long: '" + std::string(40, '1') +
           "\u2026' (more than 1505150 digits, the most a value up to 5,000,000 bits has)\n" + HINT},
      {{"--dec"}, "12 " + token, 0, "12" + token + "\n", ""},
  };
  for (const Row& row : rows) {
    std::string line;
    for (const std::string& a : row.args) line += " " + a;
    const Result r = run(row.args, row.input, "", row.endless);
    EXPECT_EQ(r.status, row.status) << "quorvel-cli" << line;
    EXPECT_EQ(r.out, row.out) << "quorvel-cli" << line;
    EXPECT_EQ(r.err, row.err) << "quorvel-cli" << line;
  }
}

TEST_F(CliTest, ProgressNeverReachesAPipe) {
  // The test of 2^19937 - 1 runs past the second after which a terminal
  // would show the progress line.
  const Result r = run({"--hex", "--prime", "2", "x^y", "19937", "-", "1", "="}, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.out.ends_with("\nprobable prime\n")) << r.out.substr(r.out.size() - 40);
}

TEST_F(CliTest, HelpAndVersion) {
  const Result help = run({"--help"}, "");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("Usage: quorvel-cli [OPTION]... [KEY]...\n", 0), 0u) << help.out;
  for (const char* option : {"-f FILE", "--dec", "--hex", "--trace", "--indicators", "--prime", "nextprime",
                             "-h, --help", "--version", "  --  ",
                             "Exit status: 0", "x^y", "paste:TEXT", "cancel:MS"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  // Help is answered before anything else on the line is looked at.
  const Result shortHelp = run({"-h", "1", "/", "0", "--bogus"}, "");
  EXPECT_EQ(shortHelp.status, 0);
  EXPECT_EQ(shortHelp.out, help.out);

  const Result version = run({"--version"}, "");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("quorvel-cli (Quorvel) ") + quorvel::PROGRAM_VERSION + "\n");
  EXPECT_EQ(version.err, "");
}

TEST_F(CliTest, FailedWriteIsNotSuccess) {
  const Result r = run({"100", "n!"}, "", "/dev/full");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "quorvel-cli: write error: No space left on device\n");
}

}  // namespace
