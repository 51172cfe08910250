// quorvel-screenshot: renders the calculator's window, showing 10000! with
// the memory indicator lit, into a PNG without any display.
//
//   build/quorvel-screenshot [OUTPUT.png]     (default docs/screenshot.png)
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "engine/command_ids.h"
#include "engine/key_labels.h"
#include "engine/start_up.h"
#include "ui/key_panel.h"
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

  QDir().mkpath(QFileInfo(output).absolutePath());
  const QImage image = window.grab().toImage();
  if (!image.save(output, "PNG")) {
    std::fprintf(stderr, "quorvel-screenshot: cannot write %s\n", qPrintable(output));
    return 1;
  }
  std::printf("%s: %dx%d\n", qPrintable(output), image.width(), image.height());
  return 0;
}
