// A run of digit keys typed at once. Key by key, each digit d in base b
// maps the entry e to e * b + d, and the first digit that takes it over the
// cap is refused with "Scale over", the entry keeping the value before it.
// Key by key a run of n digits costs n products and n pairs of texts, which
// for a long run (a digit token of the command line) is quadratic; here the
// entry after k digits is formed directly:
//
//   e * b^k + D_k, where D_k is the value of the first k digits.
//
// Its magnitude never decreases with k (for e >= 0 plainly; for e <= -1,
// |e * b + d| = |e| * b - d >= |e| since d <= b - 1), so the digits that
// fit are a prefix, found by one evaluation when the whole run fits and by
// a search otherwise.
#pragma once

#include <cstdint>
#include <string_view>

#include "vnum/vnum.h"

namespace quorvel {

struct DigitRun {
  vnum entry;         // the entry after the first `typed` digits
  int64_t typed = 0;  // how many of the digits fit within the cap
};

// Types `digits` (characters 0-9, a-f or A-F, each below `base`, which is
// 10 or 16) after the entry `start`, a value within the cap. Every digit
// fits when typed == digits.size(). Meaningless after a cancel.
DigitRun typeDigitRun(const vnum& start, std::string_view digits, int base);

}  // namespace quorvel
