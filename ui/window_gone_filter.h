// Ends the program with its main window also when the window system
// destroys that window from outside (`xdotool windowclose`, a window
// manager's "destroy"): no close request comes then, only the X11
// DestroyNotify event, after which the process would go on with no window
// and a worker that may still be computing. The filter closes the main
// window as if the user had, which saves the settings and lets Qt end the
// program with its last window. Other platforms never send the event.
#pragma once

#include <QAbstractNativeEventFilter>

class QWidget;

namespace quorvel::ui {

class WindowGoneFilter : public QAbstractNativeEventFilter {
 public:
  explicit WindowGoneFilter(QWidget& window) : window_(window) {}
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QWidget& window_;
};

// The X11 DestroyNotify event as XCB delivers it (the protocol's fixed
// layout; the first byte carries the event code, its high bit set when a
// client sent the event).
struct X11DestroyNotify {
  static constexpr quint8 CODE = 17;
  quint8 responseType;
  quint8 pad;
  quint16 sequence;
  quint32 event;   // the window the event was reported on
  quint32 window;  // the window destroyed
};

}  // namespace quorvel::ui
