// The common part of the four display panes: a sunken frame around a
// client area, one scroll bar, and the scroll record of the pane.
//
// A pane never computes. At every paint it reads the text buffers, works
// out the length L of what it shows (rows, characters or bits) and the
// visible capacity n, and applies the scroll-range rule: a length other
// than the one last set (a new result), or a layout change, puts the pane
// back at its start, except that a layout change (a resize, a font change)
// keeps the end of the value in view when it was in view before. The scroll
// record mirrors a classic scroll bar: the range 0..maximum with a page of
// n, and a first visible position that line and page requests move and
// clamp to maximum - 1. The bar's own range ends at the first position that
// shows the end of the text, so a thumb at the right end means the last
// digit (and bit 0) is in view.
#pragma once

#include <QAbstractScrollArea>
#include <QList>
#include <QRectF>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/text_buffers.h"
#include "ui/fonts.h"

namespace quorvel::ui {

// The requests a scroll bar sends.
enum class ScrollRequest { LineBack, LineForward, PageBack, PageForward, Track };

class ValuePane : public QAbstractScrollArea {
 public:
  // `vertical` selects the scroll bar and the rule's length convention
  // (rows: maximum = L - 1; columns and bits: maximum = L). `lineStep` is
  // what one line request moves.
  ValuePane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts, bool vertical, int lineStep);

  // Called by the main window on a resize or a font change: makes the pane
  // recompute its scroll range at the next paint.
  void flipLayoutFlag() {
    scrollActive_ = scrollActive_ == 1 ? 0 : 1;
    relayout_ = true;
  }

  // A scroll bar request; `trackPosition` is used by Track only.
  void scroll(ScrollRequest request, int trackPosition = 0);

  // Marks `count` characters from `first` of the text shown (bit columns
  // from the most significant in the bit view), drawn over a highlight
  // while the texts stay those of publication `generation`
  // (TextBuffers::generationLocked). With `reveal`, the next paint scrolls
  // the mark into view.
  void setMark(long long first, long long count, uint64_t generation, bool reveal);
  void clearMark();
  // The mark's part in view at the last paint, as pixel rectangles.
  const QList<QRectF>& markRects() const { return markRects_; }

  int firstVisible() const { return firstVisible_; }
  bool scrollActive() const { return scrollActive_ == 1; }
  int scrollMaximum() const { return scrollMaximum_; }
  int scrollPage() const { return scrollPage_; }
  // The first position whose view shows the end of the text: the bar's
  // maximum while the pane scrolls.
  long long endPosition() const;
  QScrollBar* bar() const;

 protected:
  // The scroll-range rule for a length and a capacity; `textLength` is
  // the length of the text shown, which tells whether a layout change
  // redraws the same value. Touches only the record; syncScrollBar() shows
  // it (call it outside the text lock).
  void applyScrollRange(long long length, int capacity, size_t textLength);
  void syncScrollBar();

  // Draws `text` with its top-left corner at (x, y).
  static void drawTextAt(QPainter& painter, double x, int y, const QString& text);

  // Called by paint under the text lock, after applyScrollRange: the mark,
  // when it belongs to the texts of `generation`, else nothing.
  struct Mark {
    long long first = 0, count = 0;
  };
  std::optional<Mark> markFor(uint64_t generation) const;
  // When a reveal is pending for a current mark, scrolls so that position
  // `position` (rows, characters or bits as the pane scrolls) starts the
  // view, clamped to the range; call before working out what is visible.
  void revealIfPending(uint64_t generation, long long position);
  // Paints the mark's rectangles (collected by the pane's paint) under the
  // text.
  void paintMark(QPainter& painter, const QList<QRectF>& rects);
  // The characters [from, from + length) of a run drawn from x, in columns
  // of width w: the mark's part of it, if any, added to `rects`.
  void addMarkRect(QList<QRectF>& rects, const Mark& mark, long long from, long long length, double x, double w,
                   int y, int h) const;

  void scrollContentsBy(int dx, int dy) override;

  const TextBuffers& texts_;
  const PaneFonts& fonts_;

 private:
  void onBarAction(int action);
  void noteWhetherEndIsInView();

  const bool vertical_;
  const int lineStep_;
  int scrollActive_ = 0;  // 1 = the text is longer than the pane; flipped by the layout
  int scrollMaximum_ = 0;
  int scrollPage_ = 0;
  int firstVisible_ = 0;
  bool barStale_ = true;
  // Set by a layout change until the next paint has applied the rule.
  bool relayout_ = false;
  // The last character (or bit 0) was in view when last painted or
  // scrolled; a value that fits counts as in view.
  bool endInView_ = true;
  // The text length at the last paint; none before the first.
  size_t paintedTextLength_ = SIZE_MAX;
  std::optional<Mark> mark_;
  uint64_t markGeneration_ = 0;
  bool revealPending_ = false;
  QList<QRectF> markRects_;
};

}  // namespace quorvel::ui
