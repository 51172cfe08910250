// The rounded summary "1.234567890123457 E+25" that the lower horizontal
// pane draws under a decimal text of SUMMARY_MIN_LENGTH characters or more.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel::ui {

// `head` holds the first characters of a decimal text (at least 18 are
// read) and `length` is the whole text's length. Returns the summary line,
// or an empty string when the text is shorter than 18 characters or does
// not start with an optional "-" and digits (an error message).
std::string summaryLine(std::string_view head, size_t length);

}  // namespace quorvel::ui
