// What the status strip says while a message is on display: in one line,
// why the calculator refused and how to go on. The messages in the panes
// stay as terse as they are; this is where they are explained.
#pragma once

#include <string>
#include <string_view>

namespace quorvel::ui {

// The hint for the message `text` (UTF-8), or empty when `text` is not one
// of the calculator's messages.
std::string hintForMessage(std::string_view text);

}  // namespace quorvel::ui
