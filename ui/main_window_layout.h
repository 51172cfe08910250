// Where the main window's children go for a client size and a pane pair.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quorvel::ui {

struct MainWindowLayout {
  QRect upperVertical, lowerVertical, upperHorizontal, lowerHorizontal;
  // Top-left corners; the buttons and the key panel keep their sizes.
  QPoint hexCopy, decCopy, paste, keyPanel;
};

// The layout for a client area of `client` pixels with the vertical
// (`verticalLayout`) or the horizontal pane pair shown. Both pairs are
// placed whichever is shown, so that a switch needs no new layout.
MainWindowLayout mainWindowLayout(QSize client, bool verticalLayout);

}  // namespace quorvel::ui
