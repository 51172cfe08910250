#include "ui/message_hints.h"

#include <array>
#include <utility>

#include "vnum/messages.h"

namespace quorvel::ui {

namespace {

// After any message, "C" (or "CE") clears it; the memory, the modulus and
// the values under the message are kept.
constexpr std::array<std::pair<std::string_view, std::string_view>, 10> HINTS{{
    {MSG_DIVIDE_BY_ZERO, "/ and MOD need a divisor other than 0 \u00b7 C clears"},
    {MSG_BAD_ARGUMENT, "nPr and nCr need r \u2264 n; 0 x^y needs y \u2265 0 \u00b7 C clears"},
    {MSG_NEGATIVE_VALUE, "Sqrt, n!, nPr and nCr take no negative value \u00b7 C clears"},
    {MSG_NEGATIVE_VALUE_MODULAR, "Power takes no negative base or exponent \u00b7 C clears"},
    {MSG_TOO_BIG_VALUE, "nPr and nCr take r up to 1,048,576 \u00b7 C clears"},
    {MSG_SCALE_OVER, "The result would pass 5,000,000 bits \u00b7 C clears"},
    {MSG_LIMIT_OVER, "n! takes n up to 1,000,000; ( nests 63 deep \u00b7 C clears"},
    {MSG_EVEN_VALUE, "The modulus for Power must be odd \u00b7 C clears"},
    {MSG_NEGATIVE_VALUE_LOWER, "The modulus for Power must be positive \u00b7 C clears"},
    {MSG_OUT_OF_MEMORY, "Not enough memory for that result \u00b7 C clears"},
}};

}  // namespace

std::string hintForMessage(std::string_view text) {
  for (const auto& [message, hint] : HINTS)
    if (message == text) return std::string(hint);
  return {};
}

}  // namespace quorvel::ui
