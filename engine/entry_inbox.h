// Values handed from the window thread to the engine for the commands that
// take their operand from outside the engine: the text of an opened or
// dropped file (CMD_PASTE_TEXT), an entry picked from the history
// (CMD_PUT_ENTRY) and a run of typed digits (CMD_TYPE_DIGITS). The window thread puts, then hands the command over; the
// worker takes. A put whose command is lost behind a running one is simply
// replaced by the next put. A history entry is handed over as it is shared,
// so that the copy of its value (up to the cap) is made by the command.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "engine/value_history.h"

namespace quorvel {

class EntryInbox {
 public:
  void putText(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ = std::move(text);
  }
  std::optional<std::string> takeText() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(text_, std::nullopt);
  }
  void putDigits(std::string digits) {
    std::lock_guard<std::mutex> lock(mutex_);
    digits_ = std::move(digits);
  }
  std::string takeDigits() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(digits_, std::string());
  }
  void putEntry(std::shared_ptr<const HistoryEntry> entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entry_ = std::move(entry);
  }
  std::shared_ptr<const HistoryEntry> takeEntry() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(entry_, nullptr);
  }

 private:
  std::mutex mutex_;
  std::optional<std::string> text_;
  std::string digits_;
  std::shared_ptr<const HistoryEntry> entry_;
};

}  // namespace quorvel
