#include "ui/busy_strip.h"

#include <QFontMetrics>

#include "engine/command_worker.h"
#include "ui/limits.h"

namespace quorvel::ui {

QString busyText(double seconds) {
  return QStringLiteral("Computing... %1 s - Delete cancels").arg(seconds, 0, 'f', 1);
}

BusyStrip::BusyStrip(QWidget* parent, const CommandWorker& worker) : QLabel(parent), worker_(worker) {
  setGeometry(BUSY_STRIP_X, BUSY_STRIP_Y, BUSY_STRIP_WIDTH, BUSY_STRIP_HEIGHT);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  poll_.setInterval(BUSY_STRIP_POLL_MS);
  connect(&poll_, &QTimer::timeout, this, [this] { refresh(); });
}

void BusyStrip::commandHandedOff(bool fresh) {
  if (fresh) started_ = std::chrono::steady_clock::now();
  if (!poll_.isActive()) poll_.start();
  refresh();
}

void BusyStrip::refresh() {
  if (!worker_.busy()) {
    poll_.stop();
    clear();
    return;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  if (seconds * 1000 < BUSY_STRIP_DELAY_MS) {
    clear();
    return;
  }
  const QString message = busyText(seconds);
  // Shrink the font until the message fits the strip; the seconds make
  // it longer over time.
  QFont fitted = font();
  for (int pixels = BUSY_STRIP_MAX_PIXEL_SIZE; pixels >= BUSY_STRIP_MIN_PIXEL_SIZE; --pixels) {
    fitted.setPixelSize(pixels);
    if (QFontMetrics(fitted).horizontalAdvance(message) <= BUSY_STRIP_WIDTH) break;
  }
  if (fitted != font()) setFont(fitted);
  setText(message);
}

}  // namespace quorvel::ui
