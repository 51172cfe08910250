// The vertical panes: the hexadecimal digits (upper) or the decimal text
// (lower) wrapped into rows of the pane's width, scrolled by rows. The last,
// short row is right-aligned so that the last digit ends in the last column.
#pragma once

#include <QStringList>

#include "ui/value_pane.h"

namespace quorvel::ui {

class WrappedPane : public ValuePane {
 public:
  enum class Source { Hexadecimal, Decimal };
  WrappedPane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts, Source source);

  // What the last paint drew: the rows from the top, and the x of the
  // short last row when it was among them (-1 otherwise).
  const QStringList& shownRows() const { return shownRows_; }
  double shortRowX() const { return shortRowX_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Source source_;
  QStringList shownRows_;
  double shortRowX_ = -1;
};

}  // namespace quorvel::ui
