// Fuzz target: the command engine fed with key sequences decoded from the
// input. After every key the display must hold a message in both panes, or
// one value within the cap whose hexadecimal and decimal texts agree (read
// back with GMP).
//
// Running time per key stays bounded by keeping the operands small: typed
// entries take at most MAX_ENTRY_DIGITS digits per key or run of keys, pasted texts are short with
// short exponents, bit indices are small or the refused ones at and above
// the cap, and an input ends once the shown value has passed
// MAX_SHOWN_BITS. Keys that still run long (results near the cap from short
// operands) are cancelled after KEY_TIME_LIMIT, the way the window does it:
// the abort flag is set, the engine stores nothing, and a "C" follows.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "engine/command_engine.h"
#include "engine/command_ids.h"
#include "platform/abort_flags.h"
#include "tests/fuzz/fuzz_checks.h"

using namespace quorvel;

namespace {

constexpr int MAX_ENTRY_DIGITS = 4;
constexpr size_t MAX_PASTE_CHARS = 24;
constexpr size_t MAX_EXPONENT_DIGITS = 4;
constexpr int64_t MAX_SHOWN_BITS = 4096;
// A key still running after this long is cancelled, as the user would with
// "C": n! of 362,880 (9! twice) or nCr near the cap take seconds under the
// sanitizers whatever the input sizes.
constexpr auto KEY_TIME_LIMIT = std::chrono::milliseconds(1000);

// Every key of the panel but the digits, which are decoded apart.
constexpr int KEYS[] = {
    CMD_ADD, CMD_SUBTRACT, CMD_MULTIPLY, CMD_DIVIDE, CMD_MOD, CMD_SHIFT_LEFT, CMD_SHIFT_RIGHT, CMD_AND,
    CMD_OR, CMD_XOR, CMD_NOT, CMD_EXP, CMD_GCD, CMD_POWER, CMD_PERMUTATIONS, CMD_COMBINATIONS,
    CMD_MODULO, CMD_MODULAR_POWER, CMD_NEGATE, CMD_SQRT, CMD_FACTORIAL, CMD_OPEN, CMD_CLOSE, CMD_EQUALS,
    CMD_MEMORY_STORE, CMD_MEMORY_ADD, CMD_MEMORY_SUBTRACT, CMD_MEMORY_RECALL, CMD_MEMORY_CLEAR,
    CMD_CLEAR_ENTRY, CMD_CLEAR_ALL, CMD_DEC, CMD_HEX, CMD_COPY, CMD_REPAINT, CMD_BACKSPACE,
};
constexpr int KEY_COUNT = sizeof(KEYS) / sizeof(KEYS[0]);
// Bit indices at and above the cap, refused before any work.
constexpr int64_t REFUSED_BITS[] = {scaleLimitBits, scaleLimitBits + 1, INT32_MAX};

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
};

// Short text for the clipboard; a run of digits after an exponent letter is
// cut so that no paste scales by more than 10^9999.
std::string pasteText(Input& in) {
  std::string text;
  const size_t length = in.next() % (MAX_PASTE_CHARS + 1);
  size_t exponentDigits = 0;
  bool inExponent = false;
  for (size_t i = 0; i < length && in.more(); ++i) {
    const char c = static_cast<char>(in.next());
    if (c == 'e' || c == 'E') {
      inExponent = true;
      exponentDigits = 0;
    } else if (c >= '0' && c <= '9' && inExponent) {
      if (++exponentDigits > MAX_EXPONENT_DIGITS) continue;
    } else if (c != '+' && c != '-') {
      inExponent = false;
    }
    text += c;
  }
  return text;
}

// Cancels the key in progress once it has run for KEY_TIME_LIMIT. The fuzz
// thread holds the abort slot handed out last, so abortCurrentWorker() is
// its flag.
class KeyWatchdog {
 public:
  KeyWatchdog() : thread_([this] { watch(); }) {}
  ~KeyWatchdog() {
    stop_.store(true);
    thread_.join();
  }
  void begin() { deadline_.store((Clock::now() + KEY_TIME_LIMIT).time_since_epoch().count()); }
  void end() { deadline_.store(0); }

 private:
  using Clock = std::chrono::steady_clock;
  void watch() {
    while (!stop_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const auto deadline = deadline_.load();
      if (deadline != 0 && Clock::now().time_since_epoch().count() > deadline) {
        // A key that ended just now leaves its flag set; the next key then
        // stops at once and is cancelled like this one, which is harmless.
        abortCurrentWorker();
        deadline_.store(0);
      }
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<Clock::rep> deadline_{0};
  std::thread thread_;
};

void checkDisplay(const TextBuffers& texts, const CommandEngine& engine) {
  const std::string hex = texts.hexText(), dec = texts.decText();
  if (hex[0] != '+' && hex[0] != '-') {
    if (hex != dec) fuzz::fail("a message in one pane only");
    if (!engine.errorShown()) fuzz::fail("a message without the error state");
    return;
  }
  mpz_t fromHex, fromDec;
  mpz_inits(fromHex, fromDec, nullptr);
  fuzz::valueOfHexText(fromHex, hex.c_str());
  if (mpz_sizeinbase(fromHex, 2) > static_cast<size_t>(scaleLimitBits)) fuzz::fail("a value over the cap shown");
  if (mpz_set_str(fromDec, dec.c_str(), 10) != 0) fuzz::fail("decimal text form");
  if (mpz_cmp(fromHex, fromDec) != 0) fuzz::fail("hexadecimal and decimal texts differ");
  mpz_clears(fromHex, fromDec, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool claimed = (claimAbortSlot(), true);
  (void)claimed;
  static TextBuffers texts;
  static NullDisplay display;
  static InProcessClipboard clipboard;
  static KeyWatchdog watchdog;
  texts.publishTexts("+0x000000000000000", "0");
  clipboard.setText("");
  CommandEngine engine(texts, display, clipboard);

  Input in{data, size};
  int entryDigits = 0;
  while (in.more()) {
    const uint8_t b = in.next();
    int id;
    if (b < 16) {
      // A digit; long entries are cut short.
      if (++entryDigits > MAX_ENTRY_DIGITS) continue;
      id = b == 0 ? CMD_DIGIT_0 : b < 10 ? CMD_DIGIT_1 + b - 1 : CMD_DIGIT_A + b - 10;
    } else {
      entryDigits = 0;
      const int key = b - 16;
      if (key < KEY_COUNT) {
        id = KEYS[key];
      } else if (key == KEY_COUNT) {
        clipboard.setText(pasteText(in));
        id = CMD_PASTE;
      } else if (key == KEY_COUNT + 1) {
        const uint8_t pick = in.next();
        engine.bitToggleIndex.store(pick < 240 ? pick * 16 + in.next() % 16
                                               : static_cast<int>(REFUSED_BITS[pick % 3]));
        id = CMD_BIT_TOGGLE;
      } else if (key == KEY_COUNT + 2) {
        // A run of digit keys typed at once, as the command line types a
        // token; the letters do nothing in decimal entry.
        std::string digits;
        for (int n = in.next() % MAX_ENTRY_DIGITS + 1; n > 0 && in.more(); --n)
          digits.push_back("0123456789ABCDEF"[in.next() % 16]);
        engine.inbox.putDigits(digits);
        id = CMD_TYPE_DIGITS;
      } else {
        continue;
      }
    }
    watchdog.begin();
    engine.runCommand(id);
    watchdog.end();
    if (isAborted()) {
      abortSlot->store(0, std::memory_order_relaxed);
      engine.runCommand(CMD_CLEAR_ALL);
    }
    checkDisplay(texts, engine);
    if (texts.hexText().size() > MAX_SHOWN_BITS / 4) break;
  }
  return 0;
}
