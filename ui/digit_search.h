// Finding a digit string in the text of a value, for Find (Ctrl+F). Plain
// C++: the window runs it on a thread of its own for long values.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::ui {

// Every position of `needle` in `text`, overlapping ones included ("99" in
// "999" at 0 and 1), ascending; stops early, with the positions so far, once
// `stop` is set (polled every SEARCH_POLL_CHARS characters). Each step is a
// memchr for the needle's first character and a compare, so 1.5 million
// digits take a few milliseconds.
std::vector<int64_t> findAll(std::string_view text, std::string_view needle, const std::atomic<bool>& stop);

// "1,234,567".
std::string groupedNumber(int64_t n);

}  // namespace quorvel::ui
