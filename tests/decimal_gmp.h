// Test helpers of the decimal tests: conversions between vnum10, decimal
// text and GMP integers, the vnum10 representation checks, and a compact
// comparison of long texts.
#pragma once

#include <gmp.h>

#include <string>
#include <vector>

#include "decimal/vnum10.h"
#include "tests/support/vnum_gmp.h"

namespace quorvel::test {

// The decimal text of a GMP integer ("-" and digits).
std::string decimalOf(mpz_srcptr z);
// The text writeDecimal prints for x, with a buffer large enough for it.
std::string textOf(const vnum10& x);
// The text toDecText writes for x, with a buffer large enough for it.
std::string decTextOf(const vnum& x);

// Base-10^8 limbs of a digit string (no sign), least significant first, at
// least one limb.
std::vector<int32_t> decimalLimbsOf(const std::string& digits);
// x in the trimmed form the arithmetic produces.
vnum10 vnum10FromMpz(mpz_srcptr z);
Mpz mpzFromVnum10(const vnum10& x);

// A random integer of exactly `digits` decimal digits; with `runs` the digits
// come in long runs of 0 and 9 (whole limbs of 0 or 99999999, carries that
// ripple far), otherwise uniform.
Mpz randomDecimal(std::mt19937_64& g, long digits, bool runs, bool negative);

// A random non-negative vnum10 of exactly n limbs, built limb by limb (no
// text on the way, for the largest sizes); with `runs` the limbs come in runs
// of 0 and 99999999.
vnum10 randomVnum10(std::mt19937_64& g, int32_t n, bool runs);

// Empty when x keeps every vnum10 invariant (len >= 1, cap >= len, limbs are
// base-10^8 digits, trimmed, zero is +0), else what is broken.
std::string vnum10Violation(const vnum10& x);

// Empty when the texts are equal, else their lengths and the first
// difference with some context, so that a failure on a million digits stays
// readable.
std::string textDifference(const std::string& got, const std::string& expected);

}  // namespace quorvel::test

// Checks the value and the invariants of a vnum10 in one assertion.
#define EXPECT_VNUM10_EQ(actual, expectedMpz)                                                              \
  do {                                                                                                     \
    const ::quorvel::vnum10& vnum10_actual_ = (actual);                                                    \
    EXPECT_EQ(::quorvel::test::vnum10Violation(vnum10_actual_), "") << #actual;                            \
    EXPECT_EQ(::quorvel::test::textDifference(::quorvel::test::textOf(vnum10_actual_),                     \
                                              ::quorvel::test::decimalOf(expectedMpz)),                    \
              "")                                                                                          \
        << #actual;                                                                                        \
  } while (0)
