#include "ui/qt_engine_observer.h"

#include <QMetaObject>

#include "engine/value_history.h"
#include "ui/main_window.h"

namespace quorvel::ui {

// As for QtDisplay, the main window outlives every worker, so a queued call
// always finds it.

void QtEngineObserver::valueShown(int commandId, const vnum& value, std::string_view decText,
                                  std::string_view keys) {
  if (!history_.record(commandId, value, decText, keys)) return;
  MainWindow* window = &window_;
  QMetaObject::invokeMethod(window, [window] { window->historyChanged(); }, Qt::QueuedConnection);
}

void QtEngineObserver::primeVerdictShown(std::string_view verdict) {
  MainWindow* window = &window_;
  const QString text = QString::fromUtf8(verdict.data(), static_cast<qsizetype>(verdict.size()));
  QMetaObject::invokeMethod(window, [window, text] { window->primeVerdictShown(text); }, Qt::QueuedConnection);
}

void QtEngineObserver::pasteIgnored() {
  MainWindow* window = &window_;
  QMetaObject::invokeMethod(window, [window] { window->pasteIgnored(); }, Qt::QueuedConnection);
}

}  // namespace quorvel::ui
