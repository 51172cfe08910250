// The lower horizontal pane: the decimal text on one line, scrolled by
// characters, and under it, from 18 characters on, the rounded summary
// "%s E+%d" of the whole value.
#pragma once

#include <QString>

#include "ui/value_pane.h"

namespace quorvel::ui {

class DecimalLinePane : public ValuePane {
 public:
  DecimalLinePane(QWidget* parent, const TextBuffers& texts, const PaneFonts& fonts);

  // What the last paint drew: the visible part of the text and the summary
  // line (empty when there was none).
  const QString& shownText() const { return shownText_; }
  const QString& shownSummary() const { return shownSummary_; }
  double shownTextX() const { return shownTextX_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString shownText_, shownSummary_;
  double shownTextX_ = 0;
};

}  // namespace quorvel::ui
