// The keyboard shortcuts of the key panel. Keys are matched by the
// character they produce, not by their position, so "*" is found on every
// keyboard layout wherever that layout puts it.
#pragma once

#include <QString>
#include <Qt>
#include <optional>

namespace quorvel::ui {

// The command id a key press sends to the key panel, or nothing.
// `key` is the Qt key code, `text` the character(s) it produced.
std::optional<int> commandForKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);

}  // namespace quorvel::ui
