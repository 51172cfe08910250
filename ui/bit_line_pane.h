// The upper horizontal pane: the value's bits on one line, each
// hexadecimal digit drawn above its four bits, a ruler with a tick between
// digits, and the bit numbers every 16 bits. It scrolls by whole digits.
// The bit under the mouse is drawn white on black, and a click flips it
// through the worker, like a key.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

#include "ui/bit_row.h"
#include "ui/value_pane.h"

namespace quorvel::ui {

class BitLinePane : public ValuePane {
 public:
  // `flipBit` is called on the window thread with the index of the bit the
  // user clicked.
  BitLinePane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts, std::function<void(int)> flipBit);

  // What the last paint drew.
  const QString& shownBits() const { return shownBits_; }
  const QString& shownDigits() const { return shownDigits_; }
  const QString& shownNumbers() const { return shownNumbers_; }
  const BitRowGeometry& rowGeometry() const { return row_; }
  // The highlighted bit (-1 for none).
  long long hoverBit() const { return hoverBit_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  std::function<void(int)> flipBit_;
  // The mouse position in the client area while the mouse is over it.
  std::optional<QPoint> mouse_;
  BitRowGeometry row_;
  long long hoverBit_ = -1;
  QString shownBits_, shownDigits_, shownNumbers_;
};

}  // namespace quorvel::ui
