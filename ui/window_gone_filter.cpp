#include "ui/window_gone_filter.h"

#include <QByteArray>
#include <QMetaObject>
#include <QWidget>

namespace quorvel::ui {

bool WindowGoneFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || !window_.testAttribute(Qt::WA_WState_Created)) return false;
  const auto* event = static_cast<const X11DestroyNotify*>(message);
  if ((event->responseType & 0x7f) != X11DestroyNotify::CODE || event->window != window_.winId()) return false;
  // After the event has been handled: Qt's own handling comes first.
  QWidget* window = &window_;
  QMetaObject::invokeMethod(window, [window] { window->close(); }, Qt::QueuedConnection);
  return false;
}

}  // namespace quorvel::ui
