// The engine's repaint requests, carried from the worker thread to the
// window thread as queued calls; the worker never waits for them.
#pragma once

#include "platform/display.h"

namespace quorvel::ui {

class MainWindow;

class QtDisplay : public Display {
 public:
  explicit QtDisplay(MainWindow& window) : window_(window) {}
  void invalidatePanes() override;
  void invalidatePanelRect(PanelRect rect) override;
  void enableHexDigitKeys(bool enabled) override;
  void commandEnded() override;

 private:
  MainWindow& window_;
};

}  // namespace quorvel::ui
