// quorvel: the calculator as a desktop program.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "engine/start_up.h"
#include "engine/version.h"
#include "ui/ui.h"

namespace {

// Qt ends the program with a terse message when it finds no display; say
// what to do instead.
bool displayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv) {
  if (!displayAvailable()) {
    std::fputs(
        "quorvel: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "Start it on a virtual display with:  xvfb-run build/quorvel\n"
        "or use the calculator without windows:  build/quorvel-cli 2 + 3 =\n",
        stderr);
    return 1;
  }
  // Flush-to-zero and the decimal conversion's table, before any worker.
  quorvel::prepareNumberCore();
  // The names QSettings files the settings under: on Linux
  // ~/.config/quorvel/quorvel.conf.
  QCoreApplication::setOrganizationName(QStringLiteral("quorvel"));
  QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(quorvel::PROGRAM_VERSION));
  QApplication app(argc, argv);
  quorvel::ui::MainWindow window;
  window.show();
  return app.exec();
}
