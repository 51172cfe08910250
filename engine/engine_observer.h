// What the engine tells the program around it, beyond the repaints of
// Display: the values its commands put on display (for the history), a
// primality verdict and a paste that found no number. Called on the worker thread, only while the
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
  // `decText` (the text now on display); `keys` are the keys pressed since
  // the last value the history kept, when this command makes one (the
  // tape), else empty.
  virtual void valueShown(int commandId, const vnum& value, std::string_view decText, std::string_view keys) = 0;
  // The verdict on the shown value is ready ("prime", "composite: ...").
  virtual void primeVerdictShown(std::string_view) {}
  // A paste (or an opened or dropped text) held no decimal digit and changed
  // nothing.
  virtual void pasteIgnored() = 0;
};

}  // namespace quorvel
