#include "engine/value_history.h"

#include <algorithm>

#include "engine/command_ids.h"
#include "engine/limits.h"

namespace quorvel {

vnum HistoryEntry::value() const {
  vnum v;
  v.reserve(static_cast<int32_t>(limbs.size()));
  std::copy(limbs.begin(), limbs.end(), v.limbs);
  v.len = static_cast<int32_t>(limbs.size());
  v.plus = plus ? 1 : 0;
  return v;
}

bool producesHistoryEntry(int commandId) {
  switch (commandId) {
    case CMD_ADD:
    case CMD_SUBTRACT:
    case CMD_MULTIPLY:
    case CMD_DIVIDE:
    case CMD_MOD:
    case CMD_SHIFT_LEFT:
    case CMD_SHIFT_RIGHT:
    case CMD_AND:
    case CMD_OR:
    case CMD_XOR:
    case CMD_EXP:
    case CMD_GCD:
    case CMD_POWER:
    case CMD_PERMUTATIONS:
    case CMD_COMBINATIONS:
    case CMD_MODULAR_POWER:
    case CMD_NEGATE:
    case CMD_NOT:
    case CMD_SQRT:
    case CMD_FACTORIAL:
    case CMD_NEXT_PRIME:
    case CMD_CLOSE:
    case CMD_EQUALS:
    case CMD_PASTE:
    case CMD_PASTE_TEXT: return true;
    default: return false;
  }
}

bool ValueHistory::record(int commandId, const vnum& value, std::string_view decText, std::string_view keys) {
  if (!producesHistoryEntry(commandId)) return false;
  auto entry = std::make_shared<HistoryEntry>();
  entry->commandId = commandId;
  entry->keys = keys;
  entry->digits = static_cast<int64_t>(decText.size()) - (decText.starts_with('-') ? 1 : 0);
  if (decText.size() <= HISTORY_FULL_TEXT_MAX) {
    entry->head = decText;
  } else {
    entry->head = decText.substr(0, HISTORY_HEAD_CHARS);
    entry->tail = decText.substr(decText.size() - HISTORY_TAIL_CHARS);
  }
  entry->plus = value.plus != 0;
  entry->limbs.assign(value.limbs, value.limbs + value.len);
  const size_t bytes = entry->bytes();

  std::lock_guard<std::mutex> lock(mutex_);
  entries_.push_front(std::move(entry));
  bytes_ += bytes;
  // The newest entry stays even if it alone were over the byte bound.
  while (entries_.size() > 1 && (entries_.size() > HISTORY_MAX_ENTRIES || bytes_ > HISTORY_MAX_BYTES)) {
    bytes_ -= entries_.back()->bytes();
    entries_.pop_back();
  }
  return true;
}

std::vector<std::shared_ptr<const HistoryEntry>> ValueHistory::entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

size_t ValueHistory::bytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytes_;
}

}  // namespace quorvel
