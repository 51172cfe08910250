#include "engine/key_tape.h"

#include "engine/command_ids.h"
#include "engine/key_labels.h"
#include "engine/limits.h"

#include <utility>

namespace quorvel {

namespace {

const char* const ELLIPSIS = "\u2026 ";

char digitCharacter(int id) {
  if (id >= CMD_DIGIT_1 && id <= CMD_DIGIT_9) return static_cast<char>('1' + (id - CMD_DIGIT_1));
  if (id == CMD_DIGIT_0) return '0';
  if (id >= CMD_DIGIT_A && id <= CMD_DIGIT_F) return static_cast<char>('A' + (id - CMD_DIGIT_A));
  return 0;
}

}  // namespace

void KeyTape::press(int id, int bit) {
  if (const char digit = digitCharacter(id)) {
    if (!lastWasDigit_ && !keys_.empty()) keys_ += ' ';
    keys_ += digit;
    lastWasDigit_ = true;
  } else {
    switch (id) {
      case CMD_BACKSPACE:
        if (lastWasDigit_) {
          keys_.pop_back();
          lastWasDigit_ = !keys_.empty() && keys_.back() != ' ';
          if (!lastWasDigit_ && !keys_.empty()) keys_.pop_back();
        }
        return;
      case CMD_COPY:
      case CMD_REPAINT:
      case CMD_IS_PRIME: return;
      case CMD_PASTE: append("paste"); break;
      case CMD_PASTE_TEXT: {
        std::lock_guard<std::mutex> lock(noteMutex_);
        append(note_.empty() ? "paste" : note_);
        note_.clear();
        break;
      }
      case CMD_PUT_ENTRY: append("MR"); break;
      case CMD_BIT_TOGGLE: append("bit:" + std::to_string(bit)); break;
      default: {
        const std::string_view label = labelOfCommand(id);
        if (label.empty()) return;
        append(std::string(label));
      }
    }
    lastWasDigit_ = false;
  }
  keepLatest();
}

void KeyTape::typeDigits(std::string_view digits) {
  if (digits.empty()) return;
  if (!lastWasDigit_ && !keys_.empty()) keys_ += ' ';
  // A run of a million digits would only be cut again.
  if (digits.size() > TAPE_MAX_CHARS) digits.remove_prefix(digits.size() - TAPE_MAX_CHARS);
  for (const char c : digits) keys_ += static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
  lastWasDigit_ = true;
  keepLatest();
}

// Keeps the latest keys; a cut never splits the ellipsis it leaves.
void KeyTape::keepLatest() {
  if (keys_.size() > TAPE_MAX_CHARS) {
    const std::string tail = keys_.substr(keys_.size() - (TAPE_MAX_CHARS - 4));
    keys_ = ELLIPSIS + tail;
  }
}

void KeyTape::noteNextText(std::string word) {
  std::lock_guard<std::mutex> lock(noteMutex_);
  note_ = std::move(word);
}

std::string KeyTape::take() {
  lastWasDigit_ = false;
  return std::exchange(keys_, std::string());
}

void KeyTape::append(const std::string& word) {
  if (!keys_.empty()) keys_ += ' ';
  keys_ += word;
}

}  // namespace quorvel
