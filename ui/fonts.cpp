#include "ui/fonts.h"

#include <QFontMetricsF>
#include <cmath>

#include "ui/limits.h"

namespace quorvel::ui {

QFont courierNew(int pixels) {
  QFont font(QString::fromLatin1(FONT_FAMILY));
  // Without the family itself, fall back to any fixed-pitch face: every
  // column computation assumes equal advances.
  font.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
  font.setFixedPitch(true);
  font.setWeight(QFont::Normal);
  font.setPixelSize(pixels);
  return font;
}

QFont buttonFont() {
  // A cell height is ascent + descent; the em that gives it depends on the
  // face (1.133 em for Courier New and Liberation Mono), so measure it on a
  // large em and scale.
  constexpr int REFERENCE_EM = 100;
  const double cellPerEm = QFontMetricsF(courierNew(REFERENCE_EM)).height() / REFERENCE_EM;
  if (cellPerEm <= 0) return courierNew(BUTTON_FONT_CELL_HEIGHT);
  return courierNew(static_cast<int>(std::lround(BUTTON_FONT_CELL_HEIGHT / cellPerEm)));
}

PaneFonts paneFonts(int height) {
  PaneFonts fonts;
  fonts.height = height;
  fonts.large = courierNew(-height);
  fonts.small = courierNew(-(height + SMALL_FONT_HEIGHT_OFFSET));
  return fonts;
}

double characterWidth(const QFont& font) {
  const QString probe = QString::fromLatin1(WIDTH_PROBE);
  return QFontMetricsF(font).horizontalAdvance(probe) / static_cast<double>(probe.size());
}

int columnsFor(int clientWidth, double charWidth) {
  if (charWidth <= 0) return 0;
  const double columns = (clientWidth - COLUMN_MARGIN) / charWidth;
  return columns > 0 ? static_cast<int>(columns) : 0;
}

}  // namespace quorvel::ui
