#include "ui/command_for_key.h"

#include "engine/command_ids.h"
#include "engine/key_labels.h"

namespace quorvel::ui {

namespace {

std::optional<int> commandForCharacter(char c) {
  if (c >= '0' && c <= '9') return commandIdOfDigit(c - '0');
  if (c >= 'A' && c <= 'F') return commandIdOfDigit(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return commandIdOfDigit(c - 'a' + 10);
  switch (c) {
    case '%': return CMD_MOD;
    case '&': return CMD_AND;
    case '(': return CMD_OPEN;
    case ')': return CMD_CLOSE;
    case '/': return CMD_DIVIDE;
    case '-': return CMD_SUBTRACT;
    case '*': return CMD_MULTIPLY;
    case '+': return CMD_ADD;
    case '^': return CMD_XOR;
    case '~': return CMD_NOT;
    case '|': return CMD_OR;
    case '=': return CMD_EQUALS;
    case '<': return CMD_SHIFT_LEFT;
    case '>': return CMD_SHIFT_RIGHT;
    case '!': return CMD_FACTORIAL;
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<int> commandForKey(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  // The keypad flag only tells where the key sits; it never changes what
  // the key means here.
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;

  if (held == Qt::ControlModifier) {
    if (key == Qt::Key_V) return CMD_PASTE;
    if (key == Qt::Key_C) return CMD_COPY;
    return std::nullopt;
  }
  // Keys named by their code rather than a character match only alone.
  const auto alone = [held](int id) { return held == Qt::NoModifier ? std::optional<int>(id) : std::nullopt; };
  // Escape is "C" like Delete, a cancel included.
  if (key == Qt::Key_Delete || key == Qt::Key_Escape) return alone(CMD_CLEAR_ALL);
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return alone(CMD_EQUALS);
  if (key == Qt::Key_Backspace) return alone(CMD_BACKSPACE);

  // Shift (and AltGr, which Qt does not report as Alt) may be needed to
  // produce the character; Ctrl, Alt and Meta make it another shortcut.
  if (held & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
  if (text.size() != 1) return std::nullopt;
  const QChar c = text.at(0);
  if (c.unicode() > 0x7f) return std::nullopt;
  return commandForCharacter(static_cast<char>(c.unicode()));
}

}  // namespace quorvel::ui
