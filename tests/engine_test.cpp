// The command engine through its worker: key sequences with the texts they
// must leave on display, memory and modulus, errors, limits and the cap,
// Backspace, the paste rules and the history of produced values.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "engine/binary_text.h"
#include "engine/command_ids.h"
#include "engine/key_labels.h"
#include "engine/limits.h"
#include "engine/value_history.h"
#include "platform/abort_flags.h"
#include "tests/support/engine_harness.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Row {
  const char* keys;
  const char* dec;
  const char* hex;  // nullptr: not checked
};

// Each row twice: digit tokens typed as one run, then key by key.
void checkRows(std::initializer_list<Row> rows) {
  for (const bool runs : {true, false}) {
    for (const Row& r : rows) {
      EngineHarness calc;
      calc.digitsAsRuns = runs;
      calc.keys(r.keys);
      const char* typed = runs ? " (digits as runs)" : " (digits key by key)";
      EXPECT_EQ(calc.dec(), r.dec) << "keys: " << r.keys << typed;
      if (r.hex) {
        EXPECT_EQ(calc.hex(), r.hex) << "keys: " << r.keys << typed;
      }
    }
  }
}

}  // namespace

TEST(Engine, EvaluationOrderAndRepeat) {
  checkRows({
      {"", "0", "+0x000000000000000"},
      {"2", "2", "+0x000000000000002"},
      {"2 + 3 =", "5", "+0x000000000000005"},
      {"2 + 3 * 4 =", "20", nullptr},              // no precedence
      {"2 + ( 3 * 4 ) =", "14", nullptr},
      {"3 + =", "6", nullptr},                     // the shown 3 is the right operand
      {"5 + - 3 =", "2", nullptr},                 // the later operator replaces the pending one
      {"2 + 3 = =", "8", nullptr},                 // "=" repeats the last operation
      {"2 + 3 = 7 =", "10", nullptr},
      {"2 + 3 = C =", "0", nullptr},               // "C" ends the repeat
      {"2 + 3 +", "5", nullptr},                   // an operator evaluates the one below
      {"( ( 4 ) ) =", "4", nullptr},
      {"7 * ( 2 + 3", "3", nullptr},               // open levels stay open
      {"7 * ( 2 + 3 =", "35", nullptr},            // "=" closes every level
      {"12 - 20 =", "-8", "-0xFFFFFFFFFFFFFF8"},
      {"100 / 7 =", "14", nullptr},
      {"100 +/- MOD 7 =", "-2", nullptr},          // truncating remainder
      {"1 << 100 =", "1267650600228229401496703205376", nullptr},
      {"1 << 100 >> 98 =", "4", nullptr},
      {"12 AND 10 =", "8", nullptr},
      {"12 OR 3 =", "15", nullptr},
      {"5 XOR 3 =", "6", nullptr},
      {"5 NOT", "-6", nullptr},
      {"17 Sqrt", "4", nullptr},
      {"20 n!", "2432902008176640000", nullptr},
      {"12 Exp 3 =", "12000", nullptr},
      {"12345 Exp 3 +/- =", "12", nullptr},
      {"12 GCD 18 =", "6", nullptr},
      {"3 x^y 4 =", "81", nullptr},
      {"0 x^y 0 =", "1", nullptr},                 // the empty product, as for every other x
      {"5 nPr 2 =", "20", nullptr},
      {"5 nCr 2 =", "10", nullptr},
      {"20 nextprime", "23", nullptr},
      {"2 x^y 64 = nextprime", "18446744073709551629", nullptr},
      {"5 +/- nextprime", "2", nullptr},           // 2 for every value below 2
  });
}

TEST(Engine, DigitEntryModes) {
  checkRows({
      {"A B", "0", nullptr},                         // hexadecimal digits do nothing in decimal mode
      {"Hex #FF", "255", "+0x0000000000000FF"},
      {"Hex #FF Dec 1", "2551", nullptr},            // the value stays, only the base changes
      {"Hex 1 Dec", "1", nullptr},
      {"paste:-5 3", "-47", nullptr},                // entry * 10 + digit, sign not looked at
      {"paste:-5 999", "-4001", nullptr},
      {"paste:-1 999", "-1", nullptr},               // -1 * 10 + 9 is -1 again
      {"paste:-1 007", "-993", nullptr},
      {"Hex paste:-0x1 #FF", "-1", "-0xFFFFFFFFFFFFFFF"},
      {"2 + 0012 =", "14", nullptr},                 // leading zeros of a new entry
      {"Hex #1A2 Dec 3B4", "41834", nullptr},        // 418, then 3 and 4; B does nothing
      {"5 +/- 3", "3", nullptr},                     // a computed value is replaced
      {"2 + 3 4", "34", nullptr},                    // after an operator digits start a new entry
  });
  EngineHarness calc;
  calc.keys("Hex");
  EXPECT_TRUE(calc.display.hexKeysEnabled.load());
  calc.keys("Dec");
  EXPECT_FALSE(calc.display.hexKeysEnabled.load());
}

TEST(Engine, ErrorsAndTheErrorState) {
  checkRows({
      {"5 / 0 =", "Divide by zero.", "Divide by zero."},
      {"5 / 0 = 3 + 4", "Divide by zero.", nullptr},  // dropped until CE or C
      {"5 / 0 = CE", "0", "+0x000000000000000"},
      {"5 / 0 = C 2 + 2 =", "4", nullptr},
      {"1000001 n!", "Limit Over", nullptr},
      {"1000000 n!", "Scale over", nullptr},         // refused before any work
      {"0 Modulo", "even value.", nullptr},
      {"4 Modulo", "even value.", nullptr},
      {"7 +/- Modulo", "negative value.", nullptr},
      {"3 +/- Sqrt", "Negative value.", nullptr},
      {"3 Power 4 =", "0", nullptr},                 // no modulus stored: 0
      {"7 Modulo 3 +/- Power 4 =", "Negative Value.", nullptr},
      {"0 x^y 1 +/- =", "Bad argument.", nullptr},
  });
}

// A failure that is neither a message nor std::bad_alloc (here the history
// refusing a length) ends its command as "Out of memory.", and the worker
// goes on.
TEST(Engine, OtherFailuresEndAsOutOfMemory) {
  struct FailingObserver : EngineObserver {
    void valueShown(int, const vnum&, std::string_view, std::string_view) override {
      if (!failed.exchange(true)) throw std::length_error("history");
    }
    void pasteIgnored() override {}
    std::atomic<bool> failed{false};
  } observer;
  EngineHarness calc;
  calc.engine.setObserver(&observer);
  calc.keys("2 + 3 =");
  EXPECT_EQ(calc.dec(), "Out of memory.");
  calc.keys("C 6 * 7 =");
  EXPECT_EQ(calc.dec(), "42");
}

// After a poll says stop, a command stores nothing more. Run on the test
// thread, whose flag is set while "+" shows the value of the level below:
// the level it would then open stays closed.
TEST(Engine, NothingIsStoredAfterAPollSaysStop) {
  struct StopOnShow : EngineObserver {
    void valueShown(int id, const vnum&, std::string_view, std::string_view) override {
      if (id == CMD_ADD) abortSlot->store(1);
    }
    void pasteIgnored() override {}
  } observer;
  TextBuffers texts;
  NullDisplay display;
  InProcessClipboard clipboard;
  CommandEngine engine(texts, display, clipboard);
  texts.publishTexts("+0x000000000000000", "0");
  engine.setObserver(&observer);
  for (int id : {commandIdOfDigit(2), int{CMD_ADD}, commandIdOfDigit(3)}) engine.runCommand(id);
  ASSERT_EQ(engine.level(), 1);
  engine.runCommand(CMD_ADD);
  abortSlot->store(0);
  EXPECT_EQ(engine.level(), 0);
  EXPECT_EQ(texts.decText(), "5");
}

TEST(Engine, ModularPowerWithAStoredModulus) {
  checkRows({{"1000003 Modulo 2 Power 1000 =", "510646", nullptr}});
}

TEST(Engine, MemoryAndIndicators) {
  EngineHarness calc;
  calc.keys("5 MS");
  EXPECT_TRUE(calc.engine.memoryIndicator());
  calc.keys("3 M+ 10 M- MR");
  EXPECT_EQ(calc.dec(), "-2");
  calc.keys("0 MS");
  EXPECT_FALSE(calc.engine.memoryIndicator());
  calc.keys("7 Modulo");
  EXPECT_TRUE(calc.engine.modulusIndicator());
  calc.keys("9 MS MC");
  EXPECT_FALSE(calc.engine.modulusIndicator());
  EXPECT_FALSE(calc.engine.memoryIndicator());
  calc.keys("MR");
  EXPECT_EQ(calc.dec(), "0");
}

TEST(Engine, MemoryKeepsItsValueWhileAnErrorShows) {
  EngineHarness calc;
  calc.keys("42 MS 1 / 0 = MS M+ bit:3 MR");  // all dropped while the message shows
  EXPECT_EQ(calc.dec(), "Divide by zero.");
  calc.keys("C MR");
  EXPECT_EQ(calc.dec(), "42");
}

TEST(Engine, BitTogglePasteAndCopy) {
  checkRows({
      {"bit:70", "1180591620717411303424", nullptr},
      {"5 bit:0", "4", nullptr},
      {"paste:12 3", "123", nullptr},                // digits append to a pasted value
      {"paste:-0xFF", "-1", nullptr},                // signed two's complement hexadecimal
      {"paste:-0x8", "-8", nullptr},
      {"paste:1.5e3", "1500", nullptr},
      {"paste:+0x123 + 1 =", "292", nullptr},
  });
  EngineHarness calc;
  calc.keys("6 * 7 = copy");
  EXPECT_EQ(calc.clipboard.text().value_or(""), "42");
}

TEST(Engine, NothingOverTheCapReachesTheDisplay) {
  checkRows({
      {"3 << 4999999 =", "Scale over", nullptr},       // 5,000,001 bits
      {"1 << 1073741824 =", "Scale over", nullptr},    // a count of 2^30 refused before any work
      {"5 >> 1073741824 +/- =", "Scale over", nullptr},
      {"1 >> 1073741824 =", "0", nullptr},
      {"1 Exp 1000000000 =", "Scale over", nullptr},
      {"3 x^y 4000000 =", "Scale over", nullptr},
      {"paste:1e2000000", "Scale over", nullptr},
      {"paste:1e1505150", "Scale over", nullptr},      // 5,000,001 bits
      // 2^5,000,000 - 1: its next prime has 5,000,001 bits.
      {"1 << 4999999 - 1 = * 2 + 1 = nextprime", "Scale over", nullptr},
  });
}

TEST(Engine, LevelLimit) {
  EngineHarness calc;
  std::string opens;
  for (int i = 0; i < 63; ++i) opens += "( ";
  calc.keys(opens);
  EXPECT_EQ(calc.engine.level(), 63);
  calc.keys("(");
  EXPECT_EQ(calc.dec(), "Limit Over");
  EXPECT_EQ(calc.engine.level(), 0);
  // Binary operators close the level below before they open one, so with
  // 63 levels open they still work.
  calc.keys("C " + opens + "1 + 2 =");
  EXPECT_EQ(calc.dec(), "3");
}

TEST(Engine, BackspaceTakesBackTypedDigitsOnly) {
  checkRows({
      {"123 backspace", "12", nullptr},
      {"123 backspace backspace backspace backspace", "0", nullptr},
      {"2 + 3 = backspace", "5", nullptr},             // a result is not being typed
      {"2 + 34 backspace", "3", nullptr},
      {"paste:12 3 backspace backspace", "12", nullptr},  // pasted digits were not typed
      {"paste:-5 3 backspace", "-5", nullptr},         // the exact inverse of -5 * 10 + 3
      {"Hex #FF Dec 1 backspace backspace", "15", nullptr},  // each digit in its own base
      {"12 bit:0 backspace", "13", nullptr},           // a flipped bit ends the typing
      {"12 MS backspace 4", "4", nullptr},
      {"12 CE backspace", "0", nullptr},
      {"1 / 0 = backspace", "Divide by zero.", nullptr},
  });
}

namespace {

// Keeps the engine's reports as the desktop program does.
struct HistoryObserver : EngineObserver {
  void valueShown(int id, const vnum& value, std::string_view decText, std::string_view keys) override {
    history.record(id, value, decText, keys);
  }
  void pasteIgnored() override { ++ignoredPastes; }
  ValueHistory history;
  std::atomic<int> ignoredPastes{0};
};

}  // namespace

TEST(Engine, PasteOfTextWithoutDigitsChangesNothing) {
  checkRows({
      {"7 paste:hello", "7", nullptr},
      {"7 paste:", "7", nullptr},
      {"5 Hex paste:FF", "5", nullptr},       // letters alone are no number in either mode
      {"Hex paste:12", "12", nullptr},        // decimal unless "0x", whatever the mode
      {"7 open:abc", "7", nullptr},
      {"open:0x1F", "31", nullptr},
      {"paste:+0b101", "5", nullptr},          // the binary form Save writes
      {"paste:-0b1001", "-7", nullptr},        // two's complement, as the hexadecimal form
      {"paste:0b10 1", "21", nullptr},
      {"paste:\xEF\xBB\xBF+0b1010", "10", nullptr},  // a UTF-8 byte order mark, as editors write
      {"paste:x0b101", "0", nullptr},          // not the binary form: decimal 0, then "b101" ignored
  });
  EngineHarness calc;
  HistoryObserver observer;
  calc.engine.setObserver(&observer);
  calc.keys("8 paste:none open:- 2 + 2 =");
  EXPECT_EQ(observer.ignoredPastes.load(), 2);
  EXPECT_EQ(calc.dec(), "84");
}

TEST(Engine, PrimalityVerdictAndItsCancel) {
  EngineHarness calc;
  calc.keys("2 x^y 127 - 1 = isprime");
  EXPECT_EQ(calc.engine.primeVerdict(), "probable prime");
  calc.keys("12 isprime 3");  // the verdict leaves the entry open
  EXPECT_EQ(calc.engine.primeVerdict(), "composite: divisible by 2");
  EXPECT_EQ(calc.dec(), "123");
  calc.keys("1 +/- isprime");
  EXPECT_EQ(calc.engine.primeVerdict(), "not prime");

  // The test of 2^11213 - 1 runs for seconds; "C" cancels it, and the
  // cancelled test publishes no verdict.
  calc.keys("2 x^y 11213 - 1 =");
  calc.handOff(CMD_IS_PRIME);
  calc.handOff(CMD_CLEAR_ALL);
  calc.worker.waitUntilIdle();
  EXPECT_EQ(calc.dec(), "0");
  EXPECT_EQ(calc.engine.primeVerdict(), "not prime");
}

TEST(Engine, BinaryTextReadsBackAsTheSameValue) {
  // Sizes around a digit, both signs, powers of two (whose negatives are a
  // lone sign bit) and a long mixed pattern.
  const char* const hexTexts[] = {"+0x0", "+0x1", "-0xF", "-0x8", "+0x7", "+0x10", "-0x9",
                                  "+0x1000000000000000000000000000000",
                                  "-0x8000000000000000000000000000000",
                                  "-0xA5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A501"};
  for (const char* hex : hexTexts) {
    EngineHarness calc;
    calc.keys(std::string("paste:") + hex);
    const std::string shown = calc.hex();
    const std::string binary = binaryTextOfHexText(shown);
    ASSERT_EQ(binary.size(), 3 + 4 * (shown.size() - 3)) << hex;
    calc.keys("C paste:" + binary);
    EXPECT_EQ(calc.hex(), shown) << hex << " written as " << binary;
  }
  EXPECT_EQ(hexTextOfBinaryText(" -0b 1 0\n1 "), std::optional<std::string>("-0x5"));
  EXPECT_EQ(hexTextOfBinaryText("0b"), std::nullopt);
  EXPECT_EQ(hexTextOfBinaryText("0b102"), std::nullopt);
  EXPECT_EQ(binaryTextOfHexText("Divide by zero."), "");
}

TEST(Engine, HistoryKeepsProducedValuesNewestFirst) {
  EngineHarness calc;
  HistoryObserver observer;
  calc.engine.setObserver(&observer);
  calc.keys("2 + 3 = 4 n! 7 MS MR C ( 1 ) paste:12 CE 1000 n! bit:0");
  const auto entries = observer.history.entries();
  ASSERT_EQ(entries.size(), 5u);
  const char* const labels[] = {"n!", "Paste", ")", "n!", "="};
  const char* const heads[] = {"4023872600770937", "12", "1", "24", "5"};
  // The tape: the keys since the entry before, as the labels read.
  const char* const tapes[] = {"CE 1000 n!", "paste", "7 MS MR C ( 1 )", "4 n!", "2 + 3 ="};
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(labelOfCommand(entries[i]->commandId), labels[i]) << i;
    EXPECT_EQ(entries[i]->head, heads[i]) << i;
    EXPECT_EQ(entries[i]->keys, tapes[i]) << i;
  }
  // 1000! has 2568 digits: a head, a tail and the count.
  EXPECT_EQ(entries[0]->tail, "000000000000");
  EXPECT_EQ(entries[0]->digits, 2568);
  EXPECT_EQ(entries[3]->tail, "");

  // Recall puts the value on display as the entry, like "MR": a digit then
  // starts a new entry.
  calc.engine.inbox.putEntry(entries[4]);
  calc.handOff(CMD_PUT_ENTRY);
  calc.waitUntilIdle("the recall of 5");
  EXPECT_EQ(calc.dec(), "5");
  calc.keys("9");
  EXPECT_EQ(calc.dec(), "9");
  calc.engine.inbox.putEntry(entries[0]);
  calc.handOff(CMD_PUT_ENTRY);
  calc.waitUntilIdle("the recall of 1000!");
  EXPECT_EQ(calc.dec().size(), 2568u);
  EXPECT_EQ(observer.history.entries().size(), 5u);  // a recall is no new value

  // Digits taken back leave the tape; opened files and recalls are named.
  calc.engine.tape.noteNextText("open f.txt");
  calc.keys("C 12 backspace 5 x^y 2 = open:7 nextprime 129 backspace backspace + 1 =");
  const auto tape = observer.history.entries();
  EXPECT_EQ(tape[3]->keys, "bit:0 MR 9 MR C 15 x^y 2 =");
  EXPECT_EQ(tape[2]->keys, "open f.txt");
  EXPECT_EQ(tape[1]->keys, "nextprime");
  EXPECT_EQ(tape[0]->keys, "1 + 1 =");

  // Bounded: the oldest go first.
  calc.keys("C 1 +/- + 1 =");
  for (size_t i = 0; i < HISTORY_MAX_ENTRIES; ++i) calc.keys("=");
  const auto bounded = observer.history.entries();
  ASSERT_EQ(bounded.size(), HISTORY_MAX_ENTRIES);
  EXPECT_EQ(bounded.front()->head, std::to_string(HISTORY_MAX_ENTRIES));
  EXPECT_EQ(bounded.back()->head, "1");
}
