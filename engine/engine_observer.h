// What the engine tells the program around it, beyond the repaints of
// Display: the values its commands put on display (for the history) and a
// paste that found no number. Called on the worker thread, only while the
// worker has not been cancelled; an implementation must not block on the
// window thread.
#pragma once

#include <string_view>

#include "vnum/vnum.h"

namespace quorvel {

class EngineObserver {
 public:
  virtual ~EngineObserver() = default;
  // Command `commandId` has just published `value`, whose decimal text is
  // `decText` (the text now on display).
  virtual void valueShown(int commandId, const vnum& value, std::string_view decText) = 0;
  // A paste (or an opened or dropped text) held no decimal digit and changed
  // nothing.
  virtual void pasteIgnored() = 0;
};

}  // namespace quorvel
