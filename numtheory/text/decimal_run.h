// Conversion of a run of decimal digits of any length (internal to the text
// reader; decimalDigitsToNumber in numtheory.h handles one block).
#pragma once

#include <cstdint>

#include "vnum/vnum.h"

namespace quorvel {

// The value of count decimal digit characters: blocks of 2,048 digits from
// the low end (the top block may be shorter) joined by a product tree whose
// level j multiplies by decPowerLadder entry 8 + j. Meaningless after a
// cancel.
vnum decimalRunToNumber(const char* digits, int64_t count);

}  // namespace quorvel
