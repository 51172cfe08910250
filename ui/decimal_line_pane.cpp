#include "ui/decimal_line_pane.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>

#include "ui/limits.h"
#include "ui/summary_line.h"

namespace quorvel::ui {

DecimalLinePane::DecimalLinePane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts)
    : ValuePane(parent, texts, fonts, /*vertical=*/false, /*lineStep=*/1) {}

void DecimalLinePane::paintEvent(QPaintEvent*) {
  const QFont& font = fonts_.large;
  const double w = characterWidth(font);
  const size_t n = static_cast<size_t>(columnsFor(viewport()->width(), w));

  double x = TEXT_ORIGIN;
  std::string summary;
  QList<QRectF> marks;
  texts_.read([&](const char* /*hex*/, const char* dec) {
    const size_t T = std::strlen(dec);
    applyScrollRange(static_cast<long long>(T), static_cast<int>(n), T);
    const uint64_t generation = texts_.generationLocked();
    const std::optional<Mark> mark = markFor(generation);
    if (mark) revealIfPending(generation, mark->first - static_cast<long long>(n) / REVEAL_CONTEXT_DIVISOR);
    const size_t first = static_cast<size_t>(firstVisible());
    size_t from = 0;
    if (first + n < T) {
      from = first;
      shownText_ = QString::fromLatin1(dec + first, static_cast<qsizetype>(n));
    } else if (n < T) {
      // Scrolled past the end: the last n characters.
      from = T - n;
      shownText_ = QString::fromLatin1(dec + T - n, static_cast<qsizetype>(n));
    } else {
      // It fits: right-aligned, the last character in the last column.
      shownText_ = QString::fromLatin1(dec, static_cast<qsizetype>(T));
      x = TEXT_ORIGIN + static_cast<int>(static_cast<double>(n - T) * w);
    }
    if (mark)
      addMarkRect(marks, *mark, static_cast<long long>(from), shownText_.size(), x, w, TEXT_ORIGIN,
                  QFontMetrics(font).height());
    summary = summaryLine(std::string_view(dec, std::min<size_t>(T, SUMMARY_MIN_LENGTH)), T);
  });
  syncScrollBar();
  shownSummary_ = QString::fromStdString(summary);
  shownTextX_ = x;

  QPainter painter(viewport());
  paintMark(painter, marks);
  painter.setFont(font);
  painter.setPen(palette().color(QPalette::Text));
  drawTextAt(painter, x, TEXT_ORIGIN, shownText_);
  if (!shownSummary_.isEmpty()) drawTextAt(painter, TEXT_ORIGIN, SUMMARY_LINE_Y, shownSummary_);
}

}  // namespace quorvel::ui
