#include "ui/keyboard_shortcuts.h"


#include "engine/command_ids.h"

namespace quorvel::ui {

namespace {

// The calculator's keys beyond the digits, as the keyboard sends them
// (command_for_key.cpp): the characters or key names, "or" between
// alternatives, and what the key does.
struct CalculatorKey {
  int id;
  const char* keys;
  const char* action;
};
constexpr CalculatorKey CALCULATOR_KEYS[] = {
    {CMD_ADD, "+", "Add"},
    {CMD_SUBTRACT, "-", "Subtract"},
    {CMD_MULTIPLY, "*", "Multiply"},
    {CMD_DIVIDE, "/", "Divide (the quotient, truncated toward zero)"},
    {CMD_MOD, "%", "MOD: remainder"},
    {CMD_AND, "&", "AND"},
    {CMD_OR, "|", "OR"},
    {CMD_XOR, "^", "XOR"},
    {CMD_NOT, "~", "NOT"},
    {CMD_SHIFT_LEFT, "<", "<<: shift left"},
    {CMD_SHIFT_RIGHT, ">", ">>: shift right"},
    {CMD_FACTORIAL, "!", "n!: factorial"},
    {CMD_OPEN, "(", "Open a parenthesis"},
    {CMD_CLOSE, ")", "Close a parenthesis"},
    {CMD_EQUALS, "= or Return", "=: evaluate; again, repeat the last operation"},
    {CMD_BACKSPACE, "Backspace", "Take back the last digit typed"},
    {CMD_CLEAR_ALL, "Delete or Escape", "C: clear all; cancels a running computation"},
};

QString digitKeys(int id) {
  if (id >= CMD_DIGIT_1 && id <= CMD_DIGIT_9) return QString::number(id - CMD_DIGIT_1 + 1);
  if (id == CMD_DIGIT_0) return QStringLiteral("0");
  if (id >= CMD_DIGIT_A && id <= CMD_DIGIT_F) return QString(QChar('A' + (id - CMD_DIGIT_A)));
  return {};
}

}  // namespace

const std::vector<WindowActionInfo>& windowActions() {
  static const std::vector<WindowActionInfo> actions{
      {WindowAction::CopyDecimal, "Copy decimal", Qt::CTRL | Qt::Key_C},
      {WindowAction::CopyHexadecimal, "Copy hexadecimal", Qt::CTRL | Qt::SHIFT | Qt::Key_C},
      {WindowAction::CopyBinary, "Copy binary", Qt::CTRL | Qt::SHIFT | Qt::Key_B},
      {WindowAction::Paste, "Paste", Qt::CTRL | Qt::Key_V},
      {WindowAction::Save, "Save...", Qt::CTRL | Qt::Key_S},
      {WindowAction::Open, "Open...", Qt::CTRL | Qt::Key_O},
      {WindowAction::Find, "Find...", Qt::CTRL | Qt::Key_F},
      {WindowAction::FindNext, "Find next", QKeyCombination(Qt::Key_F3)},
      {WindowAction::FindPrevious, "Find previous", Qt::SHIFT | Qt::Key_F3},
      {WindowAction::GoTo, "Go to...", Qt::CTRL | Qt::Key_G},
      {WindowAction::IsPrime, "Is it prime?", Qt::CTRL | Qt::Key_P},
      {WindowAction::NextPrime, "Next prime", Qt::CTRL | Qt::SHIFT | Qt::Key_P},
      {WindowAction::History, "History", Qt::CTRL | Qt::Key_H},
      {WindowAction::KeyboardShortcuts, "Keyboard shortcuts", QKeyCombination(Qt::Key_F1)},
      {WindowAction::About, "About", QKeyCombination(Qt::Key_unknown)},
  };
  return actions;
}

std::vector<ShortcutLine> shortcutLines() {
  std::vector<ShortcutLine> lines{
      {QStringLiteral("0 - 9"), QStringLiteral("Digits, also on the numeric keypad")},
      {QStringLiteral("A - F"), QStringLiteral("Hexadecimal digits, in Hex entry")},
  };
  for (const CalculatorKey& key : CALCULATOR_KEYS)
    lines.push_back({QString::fromLatin1(key.keys), QString::fromLatin1(key.action)});
  for (const WindowActionInfo& action : windowActions()) {
    if (action.keys.key() == Qt::Key_unknown) continue;
    lines.push_back({QKeySequence(action.keys).toString(QKeySequence::NativeText),
                     QString::fromLatin1(action.text).remove(QStringLiteral("..."))});
  }
  return lines;
}

QString keyTooltip(int id) {
  QString keys = digitKeys(id);
  for (const CalculatorKey& key : CALCULATOR_KEYS)
    if (key.id == id) keys = QString::fromLatin1(key.keys);
  return keys.isEmpty() ? QStringLiteral("No keyboard shortcut") : QStringLiteral("Keyboard: ") + keys;
}

}  // namespace quorvel::ui
