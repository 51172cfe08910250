// What the engine asks of the windows. Called on the worker thread; an
// implementation forwards each request to the window thread (the desktop
// program queues them on its event loop) and must not block on it.
#pragma once

namespace quorvel {

// A rectangle of the key panel, in pixels: left, top, right, bottom.
struct PanelRect {
  int left, top, right, bottom;
};

class Display {
 public:
  virtual ~Display() = default;
  // Repaint the four value panes from the text buffers.
  virtual void invalidatePanes() = 0;
  // Repaint part of the key panel (the indicator strips).
  virtual void invalidatePanelRect(PanelRect rect) = 0;
  // Enable (hexadecimal entry) or disable the six keys "A".."F".
  virtual void enableHexDigitKeys(bool enabled) = 0;
  // The worker has finished a command (run or dropped) and takes the next
  // one; the desktop program then hands over a key that waited.
  virtual void commandEnded() {}
};

// A display that ignores every request, for headless use.
class NullDisplay : public Display {
 public:
  void invalidatePanes() override {}
  void invalidatePanelRect(PanelRect) override {}
  void enableHexDigitKeys(bool) override {}
};

}  // namespace quorvel
