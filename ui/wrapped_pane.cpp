#include "ui/wrapped_pane.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "ui/limits.h"

namespace quorvel::ui {

WrappedPane::WrappedPane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts, Source source)
    : ValuePane(parent, texts, fonts, /*vertical=*/true, /*lineStep=*/1), source_(source) {}

void WrappedPane::paintEvent(QPaintEvent*) {
  const QFont& font = fonts_.large;
  const double w = characterWidth(font);
  const int h = std::max(1, QFontMetrics(font).height());
  // At least one column: the rows below divide by it.
  const size_t c = static_cast<size_t>(std::max(1, columnsFor(viewport()->width(), w)));
  const int r = std::max(0, (viewport()->height() - 2) / h);

  // Only the visible rows are copied out, under the lock; a value of
  // millions of digits costs one strlen per paint.
  QStringList rows;
  bool shortRowShown = false;
  QList<QRectF> marks;
  texts_.read([&](const char* hex, const char* dec) {
    const char* text = dec;
    if (source_ == Source::Hexadecimal) text = hex + std::min<size_t>(std::strlen(hex), HEX_PREFIX_LENGTH);
    const size_t T = std::strlen(text);
    const size_t F = T / c, R = T % c;
    applyScrollRange(static_cast<long long>(F + (R > 0)), r, T);
    const uint64_t generation = texts_.generationLocked();
    const std::optional<Mark> mark = markFor(generation);
    if (mark) revealIfPending(generation, mark->first / static_cast<long long>(c) - r / REVEAL_CONTEXT_DIVISOR);
    const size_t first = static_cast<size_t>(firstVisible());
    int i = 0;
    for (; i < r && first + i < F; ++i) {
      rows.append(QString::fromLatin1(text + c * (first + i), static_cast<qsizetype>(c)));
      if (mark) addMarkRect(marks, *mark, static_cast<long long>(c * (first + i)), static_cast<long long>(c),
                            TEXT_ORIGIN, w, TEXT_ORIGIN + i * h, h);
    }
    if (R > 0 && i < r && first + i <= F) {
      rows.append(QString::fromLatin1(text + c * F, static_cast<qsizetype>(R)));
      shortRowShown = true;
      if (mark) addMarkRect(marks, *mark, static_cast<long long>(c * F), static_cast<long long>(R),
                            TEXT_ORIGIN + static_cast<int>(static_cast<double>(c - R) * w), w, TEXT_ORIGIN + i * h, h);
    }
  });
  syncScrollBar();
  shownRows_ = rows;
  // The short row ends in the last column.
  if (shortRowShown) {
    const size_t R = static_cast<size_t>(rows.last().size());
    shortRowX_ = TEXT_ORIGIN + static_cast<int>(static_cast<double>(c - R) * w);
  } else {
    shortRowX_ = -1;
  }

  QPainter painter(viewport());
  paintMark(painter, marks);
  painter.setFont(font);
  painter.setPen(palette().color(QPalette::Text));
  for (int row = 0; row < rows.size(); ++row) {
    const bool isShort = shortRowShown && row == rows.size() - 1;
    drawTextAt(painter, isShort ? shortRowX_ : TEXT_ORIGIN, TEXT_ORIGIN + row * h, rows[row]);
  }
}

}  // namespace quorvel::ui
