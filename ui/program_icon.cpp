#include "ui/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace quorvel::ui {

namespace {

// Drawn on a 64 x 64 grid, like the SVG's viewBox.
constexpr int GRID = 64;
constexpr int BITS[8] = {1, 0, 1, 1, 0, 0, 1, 0};

void paintIcon(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 160, 160));
  p.drawRoundedRect(QRectF(0, 0, 64, 64), 10, 10);

  p.setPen(QPen(QColor(48, 48, 48), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(8, 8, 48, 16));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(32, 48, 64));
  for (int i = 0; i < 8; ++i) {
    const double height = BITS[i] ? 10 : 4;
    p.drawRect(QRectF(12 + 5 * i, 21 - height, 3, height));
  }

  p.setPen(QPen(QColor(80, 80, 80), 1));
  p.setBrush(QColor(232, 232, 232));
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 3; ++col) p.drawRect(QRectF(8 + 17 * col, 30 + 13 * row, 14, 10));

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 255, 80));
  p.drawRect(QRectF(8, 55, 48, 4));
}

}  // namespace

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(static_cast<double>(size) / GRID, static_cast<double>(size) / GRID);
    paintIcon(painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace quorvel::ui
