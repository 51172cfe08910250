// The constant tables of powers of ten, built before main.
#include "vnum/vnum.h"

namespace quorvel {

// Entries 2 and up stay zero until the decimal scaling squares them in.
vnum decPowerLadder[DEC_POWER_LADDER_SIZE] = {vnum(int32_t{100000000}), vnum(int64_t{10000000000000000})};

const vnum smallDecPowers[SMALL_DEC_POWERS_SIZE] = {
    vnum(int32_t{1}),      vnum(int32_t{10}),      vnum(int32_t{100}),      vnum(int32_t{1000}),
    vnum(int32_t{10000}),  vnum(int32_t{100000}),  vnum(int32_t{1000000}),  vnum(int32_t{10000000}),
};

}  // namespace quorvel
