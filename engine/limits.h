// Bounds of the engine's session records (the history of produced values
// and the digits of the entry being typed) and of the keys the command-line
// calculator reads.
#pragma once

#include <cstddef>

namespace quorvel {

// The history keeps the newest values up to whichever bound comes first:
// this many entries, or this many bytes of stored limbs. A 5,000,000-bit
// value takes 666,668 bytes of limbs, so in practice the count binds; the
// byte bound keeps a change of the count from turning into gigabytes.
inline constexpr size_t HISTORY_MAX_ENTRIES = 100;
inline constexpr size_t HISTORY_MAX_BYTES = size_t{256} << 20;
// A history entry keeps the whole decimal text when it has at most this
// many characters, else this many leading and trailing characters.
inline constexpr size_t HISTORY_FULL_TEXT_MAX = 40;
inline constexpr size_t HISTORY_HEAD_CHARS = 16;
inline constexpr size_t HISTORY_TAIL_CHARS = 12;

// --- keys of quorvel-cli ---
// The longest digit token (and the longest number of bit:N or cancel:MS),
// in digits: 2^5,000,000 - 1, the largest value, has 1,505,150 decimal
// digits (and 1,250,000 hexadecimal ones). A longer token is refused as it
// is read, before it is held whole, even where leading zeros (or letters
// that decimal entry ignores) would have left its value within the cap: no
// one types those, and an endless token (`yes 1 | tr -d '\n'`) must end.
inline constexpr size_t KEY_MAX_DIGITS = 1505150;
// The longest text of paste:TEXT, in bytes: as much as the window's Open
// reads, room for any form of a value up to the cap with separators.
inline constexpr size_t KEY_MAX_PASTE_BYTES = size_t{64} << 20;
// A message quotes at most this many bytes of a key, then "…": enough to
// recognise a typo, and a key of megabytes cannot flood the terminal.
inline constexpr size_t KEY_QUOTE_MAX_BYTES = 40;

}  // namespace quorvel

namespace quorvel {

// The keys a history entry keeps (key_tape.h): at most this many characters,
// the latest ones, behind "… " when more were pressed. A value may take
// thousands of typed digits; the tape is for reading, not for replaying.
inline constexpr size_t TAPE_MAX_CHARS = 200;

}  // namespace quorvel
