// Every keyboard shortcut of the program, named once: the calculator's keys
// (which commandForKey() maps to command ids), and the window's own
// actions. The key tooltips, the context menu and the "Keyboard shortcuts"
// window are all made from these tables.
#pragma once

#include <QKeySequence>
#include <QString>
#include <vector>

namespace quorvel::ui {

// The window's actions, in the order of the context menu.
enum class WindowAction {
  CopyDecimal,
  CopyHexadecimal,
  CopyBinary,
  Paste,
  Save,
  Open,
  Find,
  FindNext,
  FindPrevious,
  GoTo,
  IsPrime,
  NextPrime,
  History,
  KeyboardShortcuts,
  About,
};
inline constexpr int WINDOW_ACTION_COUNT = 15;

struct WindowActionInfo {
  WindowAction action;
  const char* text;  // the menu entry
  QKeyCombination keys;  // Qt::Key_unknown for none
};
const std::vector<WindowActionInfo>& windowActions();

// One line of the "Keyboard shortcuts" window.
struct ShortcutLine {
  QString keys;
  QString action;
};
std::vector<ShortcutLine> shortcutLines();

// The tooltip of the key panel's key that sends `id`: its keyboard shortcut,
// "Keyboard: %" or "Keyboard: = or Return", or that it has none.
QString keyTooltip(int id);

}  // namespace quorvel::ui
