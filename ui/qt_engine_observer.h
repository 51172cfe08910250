// The engine's reports for the desktop program. On the worker thread it
// keeps produced values in the history (which has its own lock) and queues
// the window thread's part: refreshing an open history window, or telling
// in the status strip that a paste held no digit. Like QtDisplay it never
// waits for the window thread.
#pragma once

#include "engine/engine_observer.h"

namespace quorvel {
class ValueHistory;
}

namespace quorvel::ui {

class MainWindow;

class QtEngineObserver : public EngineObserver {
 public:
  QtEngineObserver(MainWindow& window, ValueHistory& history) : window_(window), history_(history) {}
  void valueShown(int commandId, const vnum& value, std::string_view decText, std::string_view keys) override;
  void primeVerdictShown(std::string_view verdict) override;
  void pasteIgnored() override;

 private:
  MainWindow& window_;
  ValueHistory& history_;
};

}  // namespace quorvel::ui
