// What both fuzz targets hold every result to, checked with GMP as an
// independent reader: a value within the cap, and a hexadecimal text that
// denotes it.
#pragma once

#include <gmp.h>

#include <cstdlib>
#include <cstring>

#include "vnum/messages.h"
#include "vnum/vnum.h"

namespace quorvel::fuzz {

// Stops the run with a report libFuzzer keeps, inputs included.
[[noreturn]] inline void fail(const char* what) {
  __builtin_printf("fuzz check failed: %s\n", what);
  std::abort();
}

// The value of a "+0x..."/"-0x..." text: two's complement digits.
inline void valueOfHexText(mpz_t out, const char* text) {
  if ((text[0] != '+' && text[0] != '-') || std::strncmp(text + 1, "0x", 2) != 0) fail("hexadecimal text form");
  if (mpz_set_str(out, text + 3, 16) != 0) fail("hexadecimal digits");
  if (text[0] == '-') {
    mpz_t wrap;
    mpz_init(wrap);
    mpz_setbit(wrap, 4 * std::strlen(text + 3));
    mpz_sub(out, out, wrap);
    mpz_clear(wrap);
  }
}

inline void checkWithinCap(const vnum& x) {
  if (x.bitLength() > scaleLimitBits) fail("a value over the cap");
}

}  // namespace quorvel::fuzz
