// Bounds of the engine's session records: the history of produced values
// and the digits of the entry being typed.
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

}  // namespace quorvel

namespace quorvel {

// The keys a history entry keeps (key_tape.h): at most this many characters,
// the latest ones, behind "… " when more were pressed. A value may take
// thousands of typed digits; the tape is for reading, not for replaying.
inline constexpr size_t TAPE_MAX_CHARS = 200;

}  // namespace quorvel
