// The command state machine: digit entry, strictly left-to-right binary
// operators with parentheses, unary functions, memory, modulus, modes, the
// bit toggle and the clipboard.
//
// The operand of every operator-type command is the value on display, read
// back from the hexadecimal text, so the display is the single truth of what
// the user sees. A cancelled worker may still be computing when its
// successor starts; from the moment its abort flag is set it must store
// nothing, so every store of a computed value is preceded by a poll.
//
// Nothing over the size cap reaches the display: every command that makes a
// value refuses one over scaleLimitBits with "Scale over", before the work
// where the size is known in advance and before the value is stored
// otherwise. A failed allocation ends the command with "Out of memory."; the
// unwinding frees what the command had taken, and since every command builds
// its result apart and stores it only at the end (by move, which cannot
// fail), the stack, the memory and the modulus keep their values.
#include "engine/command_engine.h"

#include <new>

#include "decimal/vnum10.h"
#include "engine/command_ids.h"
#include "engine/digit_run.h"
#include "engine/key_labels.h"
#include "engine/pasted_text.h"
#include "engine/value_history.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

const char* const ZERO_HEX_TEXT = "+0x000000000000000";

int operatorCodeOf(int id) {
  switch (id) {
    case CMD_ADD: return OP_ADD;
    case CMD_SUBTRACT: return OP_SUBTRACT;
    case CMD_MULTIPLY: return OP_MULTIPLY;
    case CMD_DIVIDE: return OP_DIVIDE;
    case CMD_MOD: return OP_MOD;
    case CMD_SHIFT_LEFT: return OP_SHIFT_LEFT;
    case CMD_SHIFT_RIGHT: return OP_SHIFT_RIGHT;
    case CMD_AND: return OP_AND;
    case CMD_OR: return OP_OR;
    case CMD_XOR: return OP_XOR;
    case CMD_EXP: return OP_EXP;
    case CMD_GCD: return OP_GCD;
    case CMD_POWER: return OP_POWER;
    case CMD_PERMUTATIONS: return OP_PERMUTATIONS;
    case CMD_COMBINATIONS: return OP_COMBINATIONS;
    case CMD_MODULAR_POWER: return OP_MODULAR_POWER;
    default: return OP_NONE;
  }
}

// Commands that still act while an error message is on display.
bool actsDuringError(int id) {
  return id == CMD_CLEAR_ALL || id == CMD_CLEAR_ENTRY || id == CMD_MEMORY_CLEAR || id == CMD_DEC ||
         id == CMD_HEX || id == CMD_REPAINT;
}

// Commands after which the digits typed into the entry can still be taken
// back one by one: every other command changes the entry or ends its typing.
bool keepsTypedDigits(int id) {
  return (id >= CMD_DIGIT_1 && id <= CMD_DIGIT_0) || (id >= CMD_DIGIT_A && id <= CMD_DIGIT_F) ||
         id == CMD_TYPE_DIGITS || id == CMD_BACKSPACE || id == CMD_DEC || id == CMD_HEX || id == CMD_COPY ||
         id == CMD_REPAINT || id == CMD_IS_PRIME;
}

void refuseOverCap(const vnum& x) {
  if (x.bitLength() > scaleLimitBits) throw MSG_SCALE_OVER;
}

}  // namespace

CommandEngine::CommandEngine(TextBuffers& texts, Display& display, Clipboard& clipboard)
    : texts_(texts), display_(display), clipboard_(clipboard) {}

bool CommandEngine::runCommand(int id) {
  if (errorShown_ && !actsDuringError(id)) return false;
  runningCommand_ = id;
  // Each worker thread reports to this engine's meter.
  progressMeter = &progress;
  progress.clear();
  tape.press(id, bitToggleIndex.load(std::memory_order_relaxed));
  if (!keepsTypedDigits(id)) typedDigits_.clear();
  try {
    if (id >= CMD_DIGIT_1 && id <= CMD_DIGIT_9) {
      digitEntry(id - CMD_DIGIT_1 + 1);
    } else if (id == CMD_DIGIT_0) {
      digitEntry(0);
    } else if (id >= CMD_DIGIT_A && id <= CMD_DIGIT_F) {
      digitEntry(id - CMD_DIGIT_A + 10);
    } else if (operatorCodeOf(id) != OP_NONE) {
      binaryOperator(operatorCodeOf(id));
    } else {
      switch (id) {
        case CMD_NEGATE:
        case CMD_NOT:
        case CMD_SQRT:
        case CMD_FACTORIAL:
        case CMD_NEXT_PRIME: unaryFunction(id); break;
        case CMD_IS_PRIME: judgePrimality(); break;
        case CMD_OPEN: openLevel(); break;
        case CMD_CLOSE: closeLevel(); break;
        case CMD_EQUALS: evaluateAll(); break;
        case CMD_MEMORY_ADD:
        case CMD_MEMORY_SUBTRACT:
        case CMD_MEMORY_STORE:
        case CMD_MODULO: memoryCommand(id); break;
        case CMD_MEMORY_RECALL: memoryRecall(); break;
        case CMD_MEMORY_CLEAR: memoryClear(); break;
        case CMD_CLEAR_ENTRY: clearEntry(); break;
        case CMD_CLEAR_ALL: clearAll(); break;
        case CMD_DEC: setMode(true); break;
        case CMD_HEX: setMode(false); break;
        case CMD_BIT_TOGGLE: toggleBit(); break;
        case CMD_PASTE: paste(); break;
        case CMD_PASTE_TEXT:
          if (std::optional<std::string> text = inbox.takeText()) pasteText(*text);
          break;
        case CMD_PUT_ENTRY: putEntry(); break;
        case CMD_TYPE_DIGITS: typeDigits(inbox.takeDigits()); break;
        case CMD_BACKSPACE: backspace(); break;
        case CMD_COPY: copy(); break;
        default: break;  // only the repaint
      }
    }
  } catch (const char* message) {
    if (!isAborted()) showError(message);
  } catch (...) {
    // std::bad_alloc, and what else the library throws when the system
    // refuses a resource: std::length_error for a size no container can
    // hold, std::system_error for a lock or a thread. Each means the command
    // asked for more than there is.
    if (!isAborted()) showError(MSG_OUT_OF_MEMORY);
  }
  return true;
}

vnum CommandEngine::shownValue() const { return parseNumberText(texts_.hexTextForWorker()); }

bool CommandEngine::show(const vnum& x) {
  if (isAborted()) return false;
  writeHexText(x, texts_.hexStage(), TEXT_BUFFER_SIZE);
  if (isAborted()) return false;
  toDecText(x, texts_.decStage(), TEXT_BUFFER_SIZE);
  if (isAborted()) return false;
  texts_.publish();
  if (observer_ && !isAborted()) {
    // The keys that led here go with the value the history keeps.
    const std::string keys = producesHistoryEntry(runningCommand_) ? tape.take() : std::string();
    observer_->valueShown(runningCommand_, x, texts_.decStage(), keys);
  }
  return !isAborted();
}

void CommandEngine::showError(const char* message) {
  texts_.publishTexts(message, message);
  errorShown_ = true;
  level_ = 0;
  startNewEntry_ = true;
}

void CommandEngine::updateIndicators() {
  modulusIndicator_.store(!modulus_.N.isZero(), std::memory_order_relaxed);
  memoryIndicator_.store(!memoryRegister_.isZero(), std::memory_order_relaxed);
}

void CommandEngine::digitEntry(int digit) {
  if (digit > 9 && decimalMode_) return;
  vnum entry(int32_t{digit});
  if (!startNewEntry_) {
    // The sign of the entry is not looked at: a negative entry e becomes
    // e * base + digit.
    entry = operandStack_[level_] * vnum(int32_t{decimalMode_ ? 10 : 16});
    entry += vnum(int32_t{digit});
    refuseOverCap(entry);
  }
  if (isAborted()) return;
  if (startNewEntry_) typedDigits_.clear();
  typedDigits_.push(digit, decimalMode_ ? 10 : 16);
  operandStack_[level_] = std::move(entry);
  if (!show(operandStack_[level_])) return;
  operatorPending_ = false;
  startNewEntry_ = false;
}

void CommandEngine::typeDigits(const std::string& keys) {
  const int base = decimalMode_ ? 10 : 16;
  // The keys that act: decimal entry ignores the letters, as it does one
  // key at a time.
  std::string digits;
  digits.reserve(keys.size());
  for (const char c : keys)
    if (const int d = digitOfCharacter(c); d >= 0 && d < base) digits.push_back(c);
  tape.typeDigits(digits);
  if (digits.empty()) return;
  static const vnum zero;
  DigitRun run = typeDigitRun(startNewEntry_ ? zero : operandStack_[level_], digits, base);
  if (isAborted()) return;
  if (run.typed > 0) {
    if (startNewEntry_) typedDigits_.clear();
    for (int64_t i = 0; i < run.typed; ++i) typedDigits_.push(digitOfCharacter(digits[i]), base);
    operandStack_[level_] = std::move(run.entry);
    operatorPending_ = false;
    startNewEntry_ = false;
  }
  // Key by key, the digit that went over would now show the message over
  // the entry of the digits before it, which is kept.
  if (run.typed < static_cast<int64_t>(digits.size())) throw MSG_SCALE_OVER;
  show(operandStack_[level_]);
}

void CommandEngine::backspace() {
  const std::optional<TypedDigits::Digit> last = typedDigits_.pop();
  if (!last) return;
  // Exact: the entry is (earlier entry) * base + digit.
  vnum entry = operandStack_[level_] - vnum(int32_t{last->value});
  divide(entry, vnum(int32_t{last->base}));
  if (isAborted()) return;
  operandStack_[level_] = std::move(entry);
  show(operandStack_[level_]);
}

void CommandEngine::binaryOperator(int code) {
  vnum V = shownValue();
  if (isAborted()) return;
  if (operatorPending_) {
    // Two operators in a row: the later one replaces the pending one.
    if (level_ > 0) pendingOps_[level_ - 1] = code;
  } else {
    if (level_ > 0) {
      V = evaluateOperator(operandStack_[level_ - 1], V, pendingOps_[level_ - 1], modulus_);
      if (isAborted()) return;
      --level_;
      if (!show(V)) return;
    }
    // The last slot cannot open another level.
    if (level_ + 1 >= STACK_LEVELS) throw MSG_LIMIT_OVER;
    operandStack_[level_] = V;
    pendingOps_[level_] = code;
    ++level_;
    operandStack_[level_] = vnum();
    pendingOps_[level_] = OP_NONE;
  }
  operatorPending_ = true;
  startNewEntry_ = true;
}

void CommandEngine::unaryFunction(int id) {
  vnum V = shownValue();
  vnum result;
  switch (id) {
    case CMD_NEGATE: result = V.negate(); break;
    case CMD_NOT: result = V.complement(); break;
    case CMD_SQRT: {
      vnum remainder;
      squareRoot(result, V, remainder);
      break;
    }
    case CMD_FACTORIAL:
      if (V > vnum(int32_t{FACTORIAL_KEY_LIMIT})) throw MSG_LIMIT_OVER;
      result = factorial(V);
      break;
    case CMD_NEXT_PRIME: result = nextPrime(V); break;
  }
  if (isAborted()) return;
  // NOT of 2^5,000,000 - 1 is -2^5,000,000, one bit over the cap.
  // factorial() and nextPrime() refuse a result over it; the others cannot
  // grow, but the check is one pass over the limbs.
  refuseOverCap(result);
  operandStack_[level_] = std::move(result);
  operatorPending_ = false;
  if (!show(operandStack_[level_])) return;
  startNewEntry_ = true;
}

void CommandEngine::openLevel() {
  if (level_ + 1 >= STACK_LEVELS) throw MSG_LIMIT_OVER;
  ++level_;
  operandStack_[level_] = vnum();
  pendingOps_[level_] = OP_NONE;
  operatorPending_ = false;
  if (!show(operandStack_[level_])) return;
  startNewEntry_ = true;
}

void CommandEngine::closeLevel() {
  const vnum V = shownValue();
  if (level_ > 0) {
    vnum result = evaluateOperator(operandStack_[level_ - 1], V, pendingOps_[level_ - 1], modulus_);
    if (isAborted()) return;
    operandStack_[level_ - 1] = std::move(result);
    --level_;
  }
  operatorPending_ = false;
  if (!show(operandStack_[level_])) return;
  startNewEntry_ = true;
}

void CommandEngine::evaluateAll() {
  const vnum V = shownValue();
  if (level_ > 0) {
    operandStack_[level_] = V;
    while (level_ > 0) {
      vnum result = evaluateOperator(operandStack_[level_ - 1], operandStack_[level_], pendingOps_[level_ - 1], modulus_);
      if (isAborted()) return;
      operandStack_[level_ - 1] = std::move(result);
      --level_;
    }
  } else if (pendingOps_[0] != OP_NONE) {
    // Repeats the last operation with the last right operand, still in
    // operandStack[1].
    vnum result = evaluateOperator(operandStack_[0], operandStack_[1], pendingOps_[0], modulus_);
    if (isAborted()) return;
    operandStack_[0] = std::move(result);
  }
  if (!show(operandStack_[0])) return;
  operatorPending_ = false;
  startNewEntry_ = true;
}

void CommandEngine::memoryCommand(int id) {
  vnum V = shownValue();
  switch (id) {
    case CMD_MEMORY_ADD:
    case CMD_MEMORY_SUBTRACT: {
      vnum result = evaluateOperator(memoryRegister_, V, id == CMD_MEMORY_ADD ? OP_ADD : OP_SUBTRACT, modulus_);
      if (isAborted()) return;
      memoryRegister_ = std::move(result);
      updateIndicators();
      display_.invalidatePanelRect(MEMORY_INDICATOR_RECT);
      break;
    }
    case CMD_MEMORY_STORE:
      // Reading a long shown text polls; a cancelled read is no value.
      if (isAborted()) return;
      memoryRegister_ = std::move(V);
      updateIndicators();
      display_.invalidatePanelRect(MEMORY_INDICATOR_RECT);
      break;
    case CMD_MODULO: {
      if ((V.limbs[0] & 1) == 0) throw MSG_EVEN_VALUE;
      if (!V.plus) throw MSG_NEGATIVE_VALUE_LOWER;
      // Built apart, so a cancel or a failed allocation leaves the stored
      // modulus whole.
      ModulusRecord record;
      setModulus(record, V);
      if (isAborted()) return;
      modulus_ = std::move(record);
      updateIndicators();
      display_.invalidatePanelRect(MODULO_INDICATOR_RECT);
      break;
    }
  }
  startNewEntry_ = true;
}

void CommandEngine::memoryRecall() {
  operandStack_[level_] = memoryRegister_;
  if (!show(operandStack_[level_])) return;
  operatorPending_ = false;
  startNewEntry_ = true;
}

void CommandEngine::memoryClear() {
  memoryRegister_ = vnum();
  resetModulus(modulus_);
  updateIndicators();
  display_.invalidatePanelRect(BOTH_INDICATORS_RECT);
}

void CommandEngine::clearEntry() {
  errorShown_ = false;
  operandStack_[level_] = vnum();
  texts_.publishTexts(ZERO_HEX_TEXT, "0");
  operatorPending_ = false;
  startNewEntry_ = false;
}

void CommandEngine::clearAll() {
  level_ = 0;
  pendingOps_[0] = OP_NONE;
  operandStack_[1] = vnum();
  clearEntry();
}

void CommandEngine::setMode(bool decimal) {
  decimalMode_ = decimal;
  display_.enableHexDigitKeys(!decimal);
}

void CommandEngine::toggleBit() {
  const int index = bitToggleIndex.load(std::memory_order_relaxed);
  if (index < 0) return;
  // A bit at or above the cap makes a value over it whatever the entry, and
  // building 2^index first would cost time and memory in proportion to it.
  if (index >= scaleLimitBits) throw MSG_SCALE_OVER;
  vnum value(int32_t{1});
  value.shift(index);
  value ^= operandStack_[level_];
  // Still one over for -2^4,999,999 with bit 4,999,999 flipped: -2^5,000,000.
  refuseOverCap(value);
  if (isAborted()) return;
  operandStack_[level_] = std::move(value);
  show(operandStack_[level_]);
}

void CommandEngine::paste() {
  if (const std::optional<std::string> text = clipboard_.text()) pasteText(*text);
}

void CommandEngine::pasteText(const std::string& text) {
  std::optional<vnum> value = readPastedText(text);
  if (!value) {
    if (observer_ && !isAborted()) observer_->pasteIgnored();
    return;
  }
  // Nothing larger than the cap reaches the display buffers.
  refuseOverCap(*value);
  if (isAborted()) return;
  operandStack_[level_] = std::move(*value);
  if (!show(operandStack_[level_])) return;
  operatorPending_ = false;
  startNewEntry_ = false;
}

void CommandEngine::putEntry() {
  const std::shared_ptr<const HistoryEntry> entry = inbox.takeEntry();
  if (!entry) return;
  // The copy is made here, inside the command's handler, not by the window
  // thread that picked the entry.
  operandStack_[level_] = entry->value();
  if (!show(operandStack_[level_])) return;
  operatorPending_ = false;
  startNewEntry_ = true;
}

void CommandEngine::copy() { clipboard_.setText(texts_.decText()); }

void CommandEngine::judgePrimality() {
  const vnum V = shownValue();
  if (isAborted()) return;
  const PrimeVerdict verdict = primalityVerdict(V);
  if (isAborted()) return;
  std::string text = primeVerdictText(verdict);
  {
    std::lock_guard<std::mutex> lock(verdictMutex_);
    primeVerdict_ = text;
  }
  if (observer_ && !isAborted()) observer_->primeVerdictShown(text);
}

std::string CommandEngine::primeVerdict() const {
  std::lock_guard<std::mutex> lock(verdictMutex_);
  return primeVerdict_;
}

}  // namespace quorvel
