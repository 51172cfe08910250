#include "ui/status_strip.h"

#include <QFontMetrics>
#include <optional>

#include "engine/command_worker.h"
#include "engine/text_buffers.h"
#include "ui/limits.h"
#include "ui/message_hints.h"
#include "ui/value_size.h"

namespace quorvel::ui {

QString busyText(double seconds, int keysWaiting) {
  QString waiting;
  if (keysWaiting == 1) waiting = QStringLiteral(" \u00b7 1 key waiting");
  if (keysWaiting > 1) waiting = QStringLiteral(" \u00b7 %1 keys waiting").arg(keysWaiting);
  if (keysWaiting >= TYPE_AHEAD_MAX_KEYS) waiting += QStringLiteral(", no more taken");
  return QStringLiteral("Computing... %1 s%2 - Delete cancels").arg(seconds, 0, 'f', 1).arg(waiting);
}

StatusStrip::StatusStrip(QWidget* parent, const CommandWorker& worker, const TextBuffers& texts)
    : QLabel(parent), worker_(worker), texts_(texts) {
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  poll_.setInterval(BUSY_STRIP_POLL_MS);
  connect(&poll_, &QTimer::timeout, this, [this] { refresh(); });
}

void StatusStrip::commandHandedOff(bool fresh, int keysWaiting) {
  if (fresh) started_ = std::chrono::steady_clock::now();
  keysWaiting_ = keysWaiting;
  note_.clear();
  idleStale_ = true;
  if (!poll_.isActive()) poll_.start();
  refresh();
}

void StatusStrip::showNote(const QString& note) {
  note_ = note;
  refresh();
}

void StatusStrip::refresh() {
  if (worker_.busy()) {
    idleStale_ = true;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    showText(seconds * 1000 < BUSY_STRIP_DELAY_MS ? QString() : busyText(seconds, keysWaiting_));
    return;
  }
  poll_.stop();
  if (idleStale_) {
    idleText_ = idleText();
    idleStale_ = false;
  }
  showText(note_.isEmpty() ? idleText_ : note_);
}

QString StatusStrip::idleText() const {
  std::string text;
  texts_.read([&](const char* hex, const char* dec) {
    if (const std::optional<ValueSize> size = valueSizeOf(hex, dec)) {
      if (size->digits >= SIZE_TEXT_MIN_DIGITS) text = sizeText(*size);
    } else {
      text = hintForMessage(dec);
    }
  });
  return QString::fromStdString(text);
}

void StatusStrip::showText(const QString& text) {
  if (text == this->text()) return;
  // Shrink the font until the text fits the strip; the seconds make the
  // busy text longer over time. Past the smallest size the end is elided
  // and the tooltip keeps the whole line.
  QFont fitted = font();
  for (int pixels = BUSY_STRIP_MAX_PIXEL_SIZE; pixels >= BUSY_STRIP_MIN_PIXEL_SIZE; --pixels) {
    fitted.setPixelSize(pixels);
    if (QFontMetrics(fitted).horizontalAdvance(text) <= width()) break;
  }
  if (fitted != font()) setFont(fitted);
  setText(QFontMetrics(fitted).elidedText(text, Qt::ElideRight, width()));
  setToolTip(text);
}

}  // namespace quorvel::ui
