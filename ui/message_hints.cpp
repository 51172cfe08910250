#include "ui/message_hints.h"

#include <array>
#include <utility>

namespace quorvel::ui {

namespace {

// After any message, "C" (or "CE") clears it; the memory, the modulus and
// the values under the message are kept.
constexpr std::array<std::pair<std::string_view, std::string_view>, 10> HINTS{{
    {"Divide by zero.", "/ and MOD need a divisor other than 0 \u00b7 C clears"},
    {"Bad argument.", "nPr and nCr need r \u2264 n; 0 x^y needs y \u2265 0 \u00b7 C clears"},
    {"Negative value.", "Sqrt, n!, nPr and nCr take no negative value \u00b7 C clears"},
    {"Negative Value.", "Power takes no negative base or exponent \u00b7 C clears"},
    {"Too big value.", "nPr and nCr take r up to 1,048,576 \u00b7 C clears"},
    {"Scale over", "The result would pass 5,000,000 bits \u00b7 C clears"},
    {"Limit Over", "n! takes n up to 1,000,000; ( nests 63 deep \u00b7 C clears"},
    {"even value.", "The modulus for Power must be odd \u00b7 C clears"},
    {"negative value.", "The modulus for Power must be positive \u00b7 C clears"},
    {"Out of memory.", "Not enough memory for that result \u00b7 C clears"},
}};

}  // namespace

std::string hintForMessage(std::string_view text) {
  for (const auto& [message, hint] : HINTS)
    if (message == text) return std::string(hint);
  return {};
}

}  // namespace quorvel::ui
