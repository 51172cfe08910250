// The program's three fonts, all "Courier New" (on Linux fontconfig maps it
// to the metric-compatible Liberation Mono), and the measures the panes
// take from them.
#pragma once

#include <QFont>

namespace quorvel::ui {

// A "Courier New" font of weight 400 with an em of `pixels` pixels.
QFont courierNew(int pixels);

// The font of every button and of the indicator words: a cell height
// (ascent + descent) of BUTTON_FONT_CELL_HEIGHT pixels.
QFont buttonFont();

// The two pane fonts for a text font height `height` (negative: an em of
// -height pixels): `large` for the text, `small` (5 pixels less) for the
// bit row, its ruler and its numbers.
struct PaneFonts {
  int height = 0;
  QFont large, small;
};
PaneFonts paneFonts(int height);

// Character width: the advance of WIDTH_PROBE divided by its length, a
// fractional value.
double characterWidth(const QFont& font);

// Text columns that fit a client width: (width - 5) / w, at least 0.
int columnsFor(int clientWidth, double charWidth);

}  // namespace quorvel::ui
