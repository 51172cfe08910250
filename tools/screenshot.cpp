// quorvel-screenshot: renders the calculator's window, showing 10000! with
// the memory indicator lit and its size in the status strip, into a PNG
// without any display. It runs on settings of its own, so the user's
// remembered layout neither shapes the picture nor is overwritten.
//
//   build/quorvel-screenshot [OUTPUT.png]     (default docs/screenshot.png)
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "engine/command_ids.h"
#include "engine/key_labels.h"
#include "engine/start_up.h"
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
  const QString output = QString::fromLocal8Bit(argc > 1 ? argv[1] : "docs/screenshot.png");

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
  const int keys[] = {commandIdOfDigit(1), commandIdOfDigit(0), commandIdOfDigit(0), commandIdOfDigit(0),
                      commandIdOfDigit(0), CMD_FACTORIAL, CMD_MEMORY_STORE};
  for (int id : keys) {
    window.keyPanel()->command(id);
    waitForWorker(window);
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
