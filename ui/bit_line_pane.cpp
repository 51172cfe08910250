#include "ui/bit_line_pane.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>

#include "ui/limits.h"

namespace quorvel::ui {

namespace {

// Offsets of the rows below the ruler lines at y = A and y = Bv, where
// A = (2 hL + 2 hS) / 3 and Bv = (2 hL + 4 hS) / 3 for the heights hL and hS
// of the text and bit fonts.
constexpr int BIT_ROW_BELOW_A = 6;
constexpr int TICK_ABOVE_A = 4, TICK_BELOW_A = 3;
constexpr int SHORT_LINE_BELOW_BV = 14;
constexpr int DOUBLE_LINE_BELOW_BV[2] = {13, 15};
constexpr int LOWER_TICK_FROM_BV = 11, LOWER_TICK_TO_BV = 15;
constexpr int NUMBER_ROW_BELOW_BV = 16;
// The short line over a column leaves 3 pixels free on its left, 1 on its
// right.
constexpr int SHORT_LINE_INSET_LEFT = 3, SHORT_LINE_INSET_RIGHT = 1;

}  // namespace

BitLinePane::BitLinePane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts,
                         std::function<void(int)> flipBit)
    : ValuePane(parent, texts, fonts, /*vertical=*/false, BIT_PANE_LINE_STEP), flipBit_(std::move(flipBit)) {
  viewport()->setMouseTracking(true);
}

void BitLinePane::paintEvent(QPaintEvent*) {
  const QFont& large = fonts_.large;
  const QFont& small = fonts_.small;
  const double w = characterWidth(small);
  const int n = columnsFor(viewport()->width(), w);
  const int hL = QFontMetrics(large).height(), hS = QFontMetrics(small).height();
  const int A = (2 * hL + 2 * hS) / 3;
  const int Bv = (2 * hL + 4 * hS) / 3;

  BitRowLayout layout;
  std::string digits;
  std::optional<Mark> mark;
  texts_.read([&](const char* hex, const char*) {
    const size_t length = std::strlen(hex);
    const size_t skip = std::min<size_t>(length, HEX_PREFIX_LENGTH);
    // The scroll length counts every character after the prefix; the bit
    // text stops at the first one that is not a digit (a message).
    applyScrollRange(BITS_PER_HEX_DIGIT * static_cast<long long>(length - skip), n, length);
    const uint64_t generation = texts_.generationLocked();
    mark = markFor(generation);
    if (mark) revealIfPending(generation, (mark->first - n / REVEAL_CONTEXT_DIVISOR) / BITS_PER_HEX_DIGIT * BITS_PER_HEX_DIGIT);
    const long long bitCount = BITS_PER_HEX_DIGIT * static_cast<long long>(leadingHexDigits(hex + skip));
    layout = layoutBitRow(bitCount, n, scrollActive(), firstVisible());
    const size_t firstDigit = static_cast<size_t>(layout.first / BITS_PER_HEX_DIGIT);
    digits.assign(hex + skip + firstDigit, static_cast<size_t>(layout.count / BITS_PER_HEX_DIGIT));
  });
  syncScrollBar();

  row_.charWidth = w;
  row_.firstColumn = layout.firstColumn;
  row_.count = layout.count;
  row_.lsbIndex = layout.lsbIndex;
  row_.top = A + BIT_ROW_BELOW_A;
  row_.bottom = row_.top + hS;
  shownDigits_ = QString::fromStdString(digits);
  shownBits_ = QString::fromStdString(bitsOfHexDigits(digits));
  shownNumbers_ = QString::fromStdString(bitNumberRow(n, layout.lsbIndex));

  QPainter painter(viewport());
  const QColor ink = palette().color(QPalette::Text);
  const auto columnX = [w](double k) { return TEXT_ORIGIN + k * w; };
  const int rowLeft = row_.left();
  // The mark covers its bits and, above them, their digits.
  QList<QRectF> marks;
  if (mark) addMarkRect(marks, *mark, layout.first, layout.count, rowLeft, w, 0, row_.bottom);
  paintMark(painter, marks);
  painter.setPen(ink);

  painter.setFont(small);
  drawTextAt(painter, rowLeft, row_.top, shownBits_);

  // Each digit over its four bits: digit k from the right covers columns
  // n - 4k - 4 .. n - 4k - 1 and is drawn from column n - 4k - 3.
  painter.setFont(large);
  const int digitCount = static_cast<int>(digits.size());
  for (int k = 0; k < digitCount; ++k) {
    const QString digit(QChar::fromLatin1(digits[digitCount - 1 - k]));
    drawTextAt(painter, TEXT_ORIGIN + static_cast<int>((n - BITS_PER_HEX_DIGIT * k - 3) * w), 0, digit);
  }

  // The ruler, over all n columns; column k shows value bit
  // lsbIndex + (n - 1 - k).
  for (int k = 0; k < n; ++k) {
    const int left = static_cast<int>(columnX(k)), next = static_cast<int>(columnX(k + 1));
    const int from = left + SHORT_LINE_INSET_LEFT, to = next - SHORT_LINE_INSET_RIGHT;
    painter.drawLine(from, A, to, A);
    painter.drawLine(from, Bv + SHORT_LINE_BELOW_BV, to, Bv + SHORT_LINE_BELOW_BV);
    const long long bit = layout.lsbIndex + (n - 1 - k);
    if (bit != 0 && bit % BIT_NUMBER_INTERVAL == 0)
      for (int y : DOUBLE_LINE_BELOW_BV) painter.drawLine(left + 1, Bv + y, next - 1, Bv + y);
    // A tick on every boundary between two digits.
    if (k > 0 && (n - k) % BITS_PER_HEX_DIGIT == 0) {
      painter.drawLine(left, A - TICK_ABOVE_A, left, A + TICK_BELOW_A);
      painter.drawLine(left, Bv + LOWER_TICK_FROM_BV, left, Bv + LOWER_TICK_TO_BV);
    }
  }
  painter.setFont(small);
  drawTextAt(painter, columnX(0.5), Bv + NUMBER_ROW_BELOW_BV, shownNumbers_);

  // The bit under the mouse, white on black; the pixel column left of the
  // row shows a highlighted "0" for the bit above the top one.
  hoverBit_ = -1;
  if (mouse_) {
    const BitHit hit = bitAt(row_, mouse_->x(), mouse_->y());
    if (hit.bit >= 0) {
      hoverBit_ = hit.bit;
      const QChar bitChar = hit.column >= 0 ? shownBits_.at(hit.column) : QChar('0');
      const QRectF cell(rowLeft + hit.column * w, row_.top, w, hS);
      painter.fillRect(cell, Qt::black);
      painter.setPen(Qt::white);
      drawTextAt(painter, cell.left(), row_.top, QString(bitChar));
      painter.setPen(ink);
    }
  }
}

void BitLinePane::mouseMoveEvent(QMouseEvent* event) {
  mouse_ = event->position().toPoint();
  // Repaint only when the highlight has to move.
  if (bitAt(row_, mouse_->x(), mouse_->y()).bit != hoverBit_) viewport()->update();
}

void BitLinePane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  mouse_ = p;
  // The bit under the click in the row as last painted, which is what the
  // user sees; a press needs no move before it.
  const BitHit hit = bitAt(row_, p.x(), p.y());
  if (hit.bit >= 0 && flipBit_) flipBit_(static_cast<int>(hit.bit));
}

void BitLinePane::leaveEvent(QEvent*) {
  mouse_.reset();
  if (hoverBit_ >= 0) viewport()->update();
}

}  // namespace quorvel::ui
