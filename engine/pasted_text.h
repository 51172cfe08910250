// How the calculator reads a text handed to it (a paste, an opened file, a
// dropped text): the binary form that Save writes, else the number reader,
// which reads decimal unless the text has the 0x prefix whatever the entry
// mode, so that a copied value always pastes back as itself. A UTF-8 byte
// order mark at the start is dropped first.
#pragma once

#include <optional>
#include <string>

#include "vnum/vnum.h"

namespace quorvel {

// The value of `text`, or nothing when the text holds no decimal digit at
// all (a word, an empty selection): such a paste must not replace a
// possibly huge value with 0. Throws "Scale over" like the number reader.
std::optional<vnum> readPastedText(const std::string& text);

}  // namespace quorvel
