// The entry after k digits of a run, formed without the k - 1 entries
// before it, and the search for the longest prefix within the cap.
//
// For e >= 0 the entry is e * b^k + D_k, a sum of two non-negative terms.
// For e <= -1 it is rewritten the same way, so that again no term can be
// larger than the result:
//
//   e * b^k + D_k = (e + 1) * b^k - (b^k - 1 - D_k) - 1
//                 = -(|e + 1| * b^k + C_k + 1),
//
// where C_k is the value of the first k digits each replaced by b - 1 - d
// (b^k - 1 - D_k). Both terms are then refused as "Scale over" only when
// the entry is certainly over the cap (the product before any work, the
// digits before their conversion), and a run after -1 that keeps the entry
// small (-1 then 9s stays -1) is never refused for the size of b^k.
#include "engine/digit_run.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string>

#include "engine/key_labels.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// Bits a digit adds to a long entry: log2(10) or 4.
double bitsPerDigit(int base) { return base == 16 ? 4.0 : 3.321928094887362; }

// The value of the digits, or of their complements b - 1 - d. Throws
// MSG_SCALE_OVER, before converting, when it is certainly over the cap.
vnum valueOfDigits(std::string_view digits, int base, bool complemented) {
  std::string text = base == 16 ? "0x" : "";
  text.reserve(text.size() + digits.size());
  for (const char c : digits) {
    const int d = digitOfCharacter(c);
    text.push_back(characterOfDigit(complemented ? base - 1 - d : d));
  }
  return parseNumberText(text.c_str());
}

// x * b^k for x >= 0. Throws MSG_SCALE_OVER, before any work, when the
// product is certainly over the cap.
vnum timesPowerOfBase(vnum x, int base, int64_t k) {
  if (x.isZero() || k == 0) return x;
  if (base == 16) {
    if (x.bitLength() + 4 * k > scaleLimitBits) throw MSG_SCALE_OVER;
    x.shift(4 * k);
  } else {
    if (k > INT32_MAX) throw MSG_SCALE_OVER;
    scaleByPowerOfTen(x, static_cast<int32_t>(k));
  }
  return x;
}

// The part of the entry that the run scales: e, or |e + 1| for e < 0.
vnum scaledPart(const vnum& start) {
  if (start.plus) return start;
  vnum part = start + vnum(int32_t{1});
  return part.negate();
}

// The entry after the first k digits, or nothing when it is over the cap.
std::optional<vnum> entryAfter(const vnum& start, const vnum& scaled, std::string_view digits, int base, int64_t k) {
  try {
    vnum entry = timesPowerOfBase(scaled, base, k);
    entry += valueOfDigits(digits.substr(0, static_cast<size_t>(k)), base, !start.plus);
    if (!start.plus) {
      entry += vnum(int32_t{1});
      entry.negate();
    }
    if (entry.bitLength() > scaleLimitBits) return std::nullopt;
    return entry;
  } catch (const char* message) {
    if (message != MSG_SCALE_OVER) throw;
    return std::nullopt;
  }
}

// Where the entry is expected to reach the cap: about bitLength(scaled) +
// k * log2(b) bits while the scaled part is not 0, and about (k - z) *
// log2(b) from the digits, z being the leading digits that add nothing (0,
// or b - 1 after a negative entry). Off by a digit or two at most; the
// search only starts there.
int64_t estimatedFit(const vnum& start, const vnum& scaled, std::string_view digits, int base) {
  const int idle = start.plus ? 0 : base - 1;
  const auto leading = std::find_if(digits.begin(), digits.end(), [&](char c) { return digitOfCharacter(c) != idle; });
  const double perDigit = bitsPerDigit(base);
  double fit = static_cast<double>(leading - digits.begin()) + static_cast<double>(scaleLimitBits) / perDigit;
  if (!scaled.isZero()) fit = std::min(fit, static_cast<double>(scaleLimitBits - scaled.bitLength()) / perDigit);
  return static_cast<int64_t>(std::clamp(fit, 0.0, static_cast<double>(digits.size())));
}

}  // namespace

DigitRun typeDigitRun(const vnum& start, std::string_view digits, int base) {
  const vnum scaled = scaledPart(start);
  const int64_t n = static_cast<int64_t>(digits.size());
  DigitRun run;
  if (std::optional<vnum> all = entryAfter(start, scaled, digits, base, n)) {
    run.entry = std::move(*all);
    run.typed = n;
    return run;
  }
  // fits: the first `fits` digits give run.entry (none: the entry as it
  // was); over: the first `over` digits take it over the cap. Galloping away
  // from the estimate, then halving, finds the boundary in a few
  // evaluations when the estimate is close and in a logarithmic number when
  // it is not.
  int64_t fits = 0, over = n;
  run.entry = start;
  const auto probe = [&](int64_t k) {
    std::optional<vnum> entry = entryAfter(start, scaled, digits, base, k);
    if (!entry) {
      over = k;
      return false;
    }
    fits = k;
    run.entry = std::move(*entry);
    return true;
  };
  if (n > 1) {
    const bool up = probe(std::clamp<int64_t>(estimatedFit(start, scaled, digits, base), 1, n - 1));
    for (int64_t step = 1; over - fits > 1 && !isAborted(); step *= 2) {
      const int64_t next = up ? fits + step : over - step;
      if (next <= fits || next >= over || probe(next) != up) break;
    }
    while (over - fits > 1 && !isAborted()) probe(fits + (over - fits) / 2);
  }
  run.typed = fits;
  return run;
}

}  // namespace quorvel
