// The session's history of values that keys produced: operators, functions,
// "=", ")" and pastes, newest first, each with the command that produced it,
// a short form of its decimal text and the value itself for recall.
//
// The engine reports every published value on the worker thread
// (EngineObserver::valueShown); record() keeps those of keys that produce
// values, not typed digits, clears or recalls. The window thread reads
// snapshots: entries are immutable and shared, so a snapshot copies
// pointers, never values. Values are stored in their used limbs only (a
// vnum may carry eight times that in capacity), which is what the byte
// bound counts.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "vnum/vnum.h"

namespace quorvel {

struct HistoryEntry {
  int commandId = 0;
  // The keys that led to the value from the previous entry (key_tape.h).
  std::string keys;
  // The whole decimal text, or its first characters when it is long.
  std::string head;
  // Empty, or the last characters of a long decimal text.
  std::string tail;
  // Decimal digits of the value, the sign not counted.
  int64_t digits = 0;
  bool plus = true;
  std::vector<int32_t> limbs;  // the used limbs, two's complement

  vnum value() const;
  size_t bytes() const { return limbs.size() * sizeof(int32_t) + head.size() + tail.size() + keys.size(); }
};

// True for the commands whose values the history keeps.
bool producesHistoryEntry(int commandId);

class ValueHistory {
 public:
  // Keeps `value` when `commandId` produces history entries, dropping the
  // oldest entries beyond the bounds of engine/limits.h. `decText` is the
  // value's decimal text, `keys` the tape that led to it. True when kept.
  bool record(int commandId, const vnum& value, std::string_view decText, std::string_view keys = {});
  // The entries, newest first.
  std::vector<std::shared_ptr<const HistoryEntry>> entries() const;
  size_t bytes() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::shared_ptr<const HistoryEntry>> entries_;  // newest first
  size_t bytes_ = 0;
};

}  // namespace quorvel
