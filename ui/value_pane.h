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
#include <cstddef>
#include <cstdint>

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
};

}  // namespace quorvel::ui
