#include "ui/digit_search.h"

#include "ui/limits.h"

namespace quorvel::ui {

std::vector<int64_t> findAll(std::string_view text, std::string_view needle, const std::atomic<bool>& stop) {
  std::vector<int64_t> found;
  if (needle.empty()) return found;
  size_t nextPoll = SEARCH_POLL_CHARS;
  for (size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) {
    if (at >= nextPoll) {
      if (stop.load(std::memory_order_relaxed)) break;
      nextPoll = at + SEARCH_POLL_CHARS;
    }
    found.push_back(static_cast<int64_t>(at));
  }
  return found;
}

std::string groupedNumber(int64_t n) {
  std::string text = std::to_string(n);
  const int first = n < 0 ? 1 : 0;
  for (int i = static_cast<int>(text.size()) - 3; i > first; i -= 3) text.insert(static_cast<size_t>(i), 1, ',');
  return text;
}

}  // namespace quorvel::ui
