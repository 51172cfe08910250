#include "ui/qt_display.h"

#include <QMetaObject>
#include <QRect>

#include "ui/main_window.h"

namespace quorvel::ui {

// The main window outlives every worker (it stops them before its children
// go), so a queued call always finds it; calls still queued when it is
// destroyed are dropped with it.

void QtDisplay::invalidatePanes() {
  MainWindow* window = &window_;
  QMetaObject::invokeMethod(window, [window] { window->repaintPanes(); }, Qt::QueuedConnection);
}

void QtDisplay::invalidatePanelRect(PanelRect rect) {
  MainWindow* window = &window_;
  const QRect area(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
  QMetaObject::invokeMethod(window, [window, area] { window->repaintKeyPanel(area); }, Qt::QueuedConnection);
}

void QtDisplay::enableHexDigitKeys(bool enabled) {
  MainWindow* window = &window_;
  QMetaObject::invokeMethod(window, [window, enabled] { window->enableHexDigitKeys(enabled); },
                            Qt::QueuedConnection);
}

void QtDisplay::commandEnded() {
  MainWindow* window = &window_;
  QMetaObject::invokeMethod(window, [window] { window->commandEnded(); }, Qt::QueuedConnection);
}

}  // namespace quorvel::ui
