// The size of the value on display, read off its two texts for the status
// strip: decimal digits and bits of the magnitude. One pass over each text,
// about 3 ms for a 5,000,000-bit value, done once per command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::ui {

struct ValueSize {
  int64_t digits = 0;  // decimal digits, the sign not counted
  int64_t bits = 0;    // bits of |value|, 1 for zero (the measure of the cap)
};

// Nothing when the texts hold a message rather than a value.
std::optional<ValueSize> valueSizeOf(std::string_view hexText, std::string_view decText);

// "1,505,150 digits · 5,000,000 bits" (UTF-8).
std::string sizeText(const ValueSize& size);
// "1,505,150 digits", "1 digit".
std::string digitCountText(int64_t digits);

}  // namespace quorvel::ui
