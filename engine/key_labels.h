// The key panel's labels and the command ids they send, for programs that
// name keys by their labels (the command-line calculator, tests).
#pragma once

#include <optional>
#include <string_view>

namespace quorvel {

// The id of the non-digit key labelled `label` exactly as on the panel
// ("+", "MOD", "x^y", "C" for clear all, ...) or "nextprime" (the window's
// "Next prime"), or nothing.
std::optional<int> commandIdOfLabel(std::string_view label);

// True when some non-digit key's label begins with `prefix`.
bool someLabelStartsWith(std::string_view prefix);

// The label of the non-digit key that sends `id`; "Paste" for the pastes
// (clipboard, opened or dropped text); empty for any other id.
std::string_view labelOfCommand(int id);

// The id of the digit key for d in 0..15.
int commandIdOfDigit(int d);
// The digit 0..15 that the key `id` types, or -1 for a key that is no digit.
int digitOfCommand(int id);
// The value of a digit character (0-9, a-f, A-F), or -1 for any other.
int digitOfCharacter(char c);
// The character of digit d in 0..15: 0-9, then A-F.
inline char characterOfDigit(int d) { return "0123456789ABCDEF"[d]; }

}  // namespace quorvel
