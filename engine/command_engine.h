// The calculator's command state machine. It runs on the worker thread only
// (command_worker.h); the window thread reads the published texts and the
// indicator flags.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "engine/command_runner.h"
#include "engine/engine_observer.h"
#include "engine/entry_inbox.h"
#include "engine/key_tape.h"
#include "engine/text_buffers.h"
#include "engine/typed_digits.h"
#include "numtheory/functions.h"
#include "platform/clipboard.h"
#include "platform/display.h"
#include "platform/progress.h"
#include "vnum/vnum.h"

namespace quorvel {

// Levels of the operand stack: every binary operator and every "(" opens
// one, so at most 63 can be pending.
inline constexpr int STACK_LEVELS = 64;
// The largest n whose factorial the "n!" key computes.
inline constexpr int FACTORIAL_KEY_LIMIT = 1000000;

// The key panel's indicator strips, repainted when their state changes.
inline constexpr PanelRect MODULO_INDICATOR_RECT{210, 10, 370, 30};
inline constexpr PanelRect MEMORY_INDICATOR_RECT{210, 30, 370, 50};
inline constexpr PanelRect BOTH_INDICATORS_RECT{210, 10, 370, 50};

class CommandEngine : public CommandRunner {
 public:
  CommandEngine(TextBuffers& texts, Display& display, Clipboard& clipboard);

  // Runs one command id. Returns false when the command was dropped because
  // an error message is on display (no repaint is due then).
  bool runCommand(int id) override;

  // The bit position picked in the bit view; the view stores it just before
  // it sends the bit-toggle command.
  std::atomic<int> bitToggleIndex{0};
  // Operands of CMD_PASTE_TEXT and CMD_PUT_ENTRY, put by the window thread.
  EntryInbox inbox;
  // Set before the first command; may be null.
  void setObserver(EngineObserver* observer) { observer_ = observer; }
  // How far the running command has come (progress.h); read by the window
  // thread, cleared as each command starts.
  ProgressMeter progress;
  // The keys since the last history entry; the window thread names an
  // opened file there before it hands the file's text over.
  KeyTape tape;
  // The text of the last verdict of CMD_IS_PRIME ("prime", ...), empty
  // before the first.
  std::string primeVerdict() const;

  // Indicator state for painting: a modulus is stored / the memory is not 0.
  bool modulusIndicator() const { return modulusIndicator_.load(std::memory_order_relaxed); }
  bool memoryIndicator() const { return memoryIndicator_.load(std::memory_order_relaxed); }
  bool decimalMode() const { return decimalMode_; }
  bool errorShown() const { return errorShown_; }
  int level() const { return level_; }

 private:
  void digitEntry(int digit);
  void binaryOperator(int code);
  void unaryFunction(int id);
  void openLevel();
  void closeLevel();
  void evaluateAll();
  void memoryCommand(int id);
  void memoryRecall();
  void memoryClear();
  void clearEntry();
  void clearAll();
  void setMode(bool decimal);
  void toggleBit();
  void paste();
  void pasteText(const std::string& text);
  void putEntry();
  void typeDigits(const std::string& keys);
  void backspace();
  void copy();
  void judgePrimality();

  // The value on display, read back from the hexadecimal text.
  vnum shownValue() const;
  // Writes both texts of x, unless the worker has been cancelled. False when
  // a poll said stop: the caller then stores nothing more.
  bool show(const vnum& x);
  void showError(const char* message);
  void updateIndicators();

  TextBuffers& texts_;
  Display& display_;
  Clipboard& clipboard_;

  vnum operandStack_[STACK_LEVELS];
  int pendingOps_[STACK_LEVELS] = {};
  int level_ = 0;
  vnum memoryRegister_;
  ModulusRecord modulus_;
  bool errorShown_ = false;
  bool operatorPending_ = false;
  bool startNewEntry_ = false;
  bool decimalMode_ = true;
  std::atomic<bool> modulusIndicator_{false};
  std::atomic<bool> memoryIndicator_{false};
  TypedDigits typedDigits_;
  EngineObserver* observer_ = nullptr;
  int runningCommand_ = 0;
  mutable std::mutex verdictMutex_;
  std::string primeVerdict_;
};

// Applies the binary operator `code` to left and right (read only; the
// result may be assigned to either afterwards) and checks it against the
// size cap. A cancelled evaluation returns 0.
vnum evaluateOperator(const vnum& left, const vnum& right, int code, const ModulusRecord& modulus);

}  // namespace quorvel
