// quorvel-screenshot: renders the calculator's window, showing 10000! with
// the memory indicator lit and its size in the status strip, into a PNG
// without any display. It runs on settings of its own, so the user's
// remembered layout neither shapes the picture nor is overwritten.
// With --find it shows instead a match of Find in 10000! and, beside the
// window, the history with its tape.
//
//   build/quorvel-screenshot [OUTPUT.png]          (default docs/screenshot.png)
//   build/quorvel-screenshot --find [OUTPUT.png]   (default docs/find-and-tape.png)
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/command_ids.h"
#include "engine/key_labels.h"
#include "engine/start_up.h"
#include "ui/find_boxes.h"
#include "ui/history_window.h"
#include "ui/key_panel.h"
#include "ui/status_strip.h"
#include "ui/ui.h"

namespace {

using quorvel::ui::MainWindow;

void waitForWorker(const MainWindow& window) {
  while (!window.worker().idle()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  // Deliver the worker's queued repaint requests.
  QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool find = argc > 1 && std::string(argv[1]) == "--find";
  const int outputArg = find ? 2 : 1;
  const QString output = QString::fromLocal8Bit(
      argc > outputArg ? argv[outputArg] : (find ? "docs/find-and-tape.png" : "docs/screenshot.png"));

  quorvel::prepareNumberCore();
  QApplication app(argc, argv);
  const QTemporaryDir settingsFolder;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
  QCoreApplication::setOrganizationName(QStringLiteral("quorvel-screenshot"));
  QCoreApplication::setApplicationName(QStringLiteral("quorvel-screenshot"));
  MainWindow window;
  window.show();
  waitForWorker(window);

  using namespace quorvel;
  std::vector<int> keys;
  if (find) {
    // The tape: 2 x^y 127 - 1 = , then 10000 n! .
    keys = {commandIdOfDigit(2), CMD_POWER, commandIdOfDigit(1), commandIdOfDigit(2), commandIdOfDigit(7),
            CMD_SUBTRACT, commandIdOfDigit(1), CMD_EQUALS};
  }
  for (int id : std::initializer_list<int>{commandIdOfDigit(1), commandIdOfDigit(0), commandIdOfDigit(0),
                                           commandIdOfDigit(0),
                 commandIdOfDigit(0), CMD_FACTORIAL, CMD_MEMORY_STORE})
    keys.push_back(id);
  for (int id : keys) {
    window.keyPanel()->command(id);
    waitForWorker(window);
  }
  if (find) {
    // The Find box answered at once, as the tests do.
    window.modalWindows().ask = [](QDialog& dialog) {
      if (auto* box = dynamic_cast<ui::FindBox*>(&dialog)) box->digits()->setText(QStringLiteral("99999"));
      return true;
    };
    window.trigger(ui::WindowAction::Find);
    window.trigger(ui::WindowAction::FindNext);
    window.trigger(ui::WindowAction::History);
    QCoreApplication::processEvents();
    const QImage main = window.grab().toImage();
    const QImage history = window.historyWindow()->grab().toImage();
    QImage both(main.width() + history.width() + 10, std::max(main.height(), history.height()), QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawImage(0, 0, main);
    painter.drawImage(main.width() + 10, 0, history);
    painter.end();
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!both.save(output, "PNG")) {
      std::fprintf(stderr, "quorvel-screenshot: cannot write %s\n", qPrintable(output));
      return 1;
    }
    std::printf("%s: %dx%d\n", qPrintable(output), both.width(), both.height());
    return 0;
  }
  // The status strip reads the value's size once its poll finds the worker
  // idle.
  while (window.statusStrip()->text().isEmpty()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }

  QDir().mkpath(QFileInfo(output).absolutePath());
  const QImage image = window.grab().toImage();
  if (!image.save(output, "PNG")) {
    std::fprintf(stderr, "quorvel-screenshot: cannot write %s\n", qPrintable(output));
    return 1;
  }
  std::printf("%s: %dx%d\n", qPrintable(output), image.width(), image.height());
  return 0;
}
