#include "ui/status_strip.h"

#include <QFontMetrics>
#include <QProgressBar>
#include <algorithm>
#include <optional>

#include "engine/command_worker.h"
#include "engine/progress_text.h"
#include "engine/text_buffers.h"
#include "platform/progress.h"
#include "ui/limits.h"
#include "ui/message_hints.h"
#include "ui/value_size.h"

namespace quorvel::ui {

QString busyText(double seconds, double fraction, int keysWaiting) {
  QString waiting;
  if (keysWaiting == 1) waiting = QStringLiteral(" \u00b7 1 key waiting");
  if (keysWaiting > 1) waiting = QStringLiteral(" \u00b7 %1 keys waiting").arg(keysWaiting);
  if (keysWaiting >= TYPE_AHEAD_MAX_KEYS) waiting += QStringLiteral(", no more taken");
  if (fraction >= 0 && seconds >= PROGRESS_SHOW_AFTER_SECONDS)
    return QString::fromStdString(progressText(fraction, seconds)) + waiting + QStringLiteral(" - Delete cancels");
  return QStringLiteral("Computing... %1 s%2 - Delete cancels").arg(seconds, 0, 'f', 1).arg(waiting);
}

StatusStrip::StatusStrip(QWidget* parent, const CommandWorker& worker, const TextBuffers& texts,
                         const ProgressMeter& progress)
    : QLabel(parent), worker_(worker), texts_(texts), progress_(progress), bar_(new QProgressBar(this)) {
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  bar_->setRange(0, PROGRESS_UNITS);
  bar_->setTextVisible(false);
  bar_->hide();
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
    const double fraction = progress_.fraction();
    showBar(fraction >= 0 && seconds >= PROGRESS_SHOW_AFTER_SECONDS, fraction);
    showText(seconds * 1000 < BUSY_STRIP_DELAY_MS ? QString() : busyText(seconds, fraction, keysWaiting_));
    return;
  }
  poll_.stop();
  showBar(false);
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

void StatusStrip::showBar(bool shown, double fraction) {
  if (shown) bar_->setValue(static_cast<int>(fraction * PROGRESS_UNITS));
  if (shown == bar_->isVisible()) return;
  bar_->setGeometry(0, (height() - PROGRESS_BAR_HEIGHT) / 2, PROGRESS_BAR_WIDTH, PROGRESS_BAR_HEIGHT);
  bar_->setVisible(shown);
  setIndent(shown ? PROGRESS_BAR_WIDTH + PROGRESS_BAR_GAP : -1);
  // The room for the text changed.
  const QString text = toolTip();
  setText(QString());
  showText(text);
}

void StatusStrip::showText(const QString& text) {
  if (text == this->text()) return;
  // Shrink the font until the text fits the strip; the seconds make the
  // busy text longer over time. Past the smallest size the end is elided
  // and the tooltip keeps the whole line.
  const int textWidth = width() - std::max(0, indent());
  QFont fitted = font();
  for (int pixels = BUSY_STRIP_MAX_PIXEL_SIZE; pixels >= BUSY_STRIP_MIN_PIXEL_SIZE; --pixels) {
    fitted.setPixelSize(pixels);
    if (QFontMetrics(fitted).horizontalAdvance(text) <= textWidth) break;
  }
  if (fitted != font()) setFont(fitted);
  setText(QFontMetrics(fitted).elidedText(text, Qt::ElideRight, textWidth));
  setToolTip(text);
}

}  // namespace quorvel::ui
