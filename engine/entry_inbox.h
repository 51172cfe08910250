// Values handed from the window thread to the engine for the commands that
// take their operand from outside the engine: the text of an opened or
// dropped file (CMD_PASTE_TEXT) and a value picked from the history
// (CMD_PUT_ENTRY). The window thread puts, then hands the command over; the
// worker takes. A put whose command is lost behind a running one is simply
// replaced by the next put.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "vnum/vnum.h"

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
  void putValue(vnum value) {
    std::lock_guard<std::mutex> lock(mutex_);
    value_ = std::move(value);
  }
  std::optional<vnum> takeValue() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(value_, std::nullopt);
  }

 private:
  std::mutex mutex_;
  std::optional<std::string> text_;
  std::optional<vnum> value_;
};

}  // namespace quorvel
