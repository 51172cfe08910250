#include "ui/main_window_layout.h"

#include <algorithm>

#include "ui/limits.h"

namespace quorvel::ui {

MainWindowLayout mainWindowLayout(QSize client, bool verticalLayout) {
  const int W = client.width(), H = client.height();
  const int paneWidth = std::max(0, W - PANE_WIDTH_MARGIN);
  const bool tall = H >= TALL_LAYOUT_MIN_HEIGHT;
  // A tall window splits what is left above the key panel between the two
  // vertical panes: c each.
  const int c = (H - VERTICAL_PANES_RESERVED_HEIGHT) / 2;

  MainWindowLayout l;
  if (tall) {
    l.upperVertical = QRect(PANE_X, UPPER_PANE_Y, paneWidth, c);
    l.lowerVertical = QRect(PANE_X, c + TALL_LOWER_PANE_OFFSET, paneWidth, c);
  } else {
    l.upperVertical = QRect(PANE_X, UPPER_PANE_Y, paneWidth, SHORT_VERTICAL_PANE_HEIGHT);
    l.lowerVertical = QRect(PANE_X, SHORT_LOWER_VERTICAL_PANE_Y, paneWidth, SHORT_VERTICAL_PANE_HEIGHT);
  }
  l.upperHorizontal = QRect(PANE_X, UPPER_PANE_Y, paneWidth, UPPER_HORIZONTAL_PANE_HEIGHT);
  l.lowerHorizontal = QRect(PANE_X, LOWER_HORIZONTAL_PANE_Y, paneWidth, LOWER_HORIZONTAL_PANE_HEIGHT);

  if (!verticalLayout) {
    l.hexCopy = QPoint(COPY_BUTTON_X, HORIZONTAL_HEX_COPY_Y);
    l.decCopy = QPoint(COPY_BUTTON_X, HORIZONTAL_DEC_COPY_Y);
    l.paste = QPoint(PASTE_BUTTON_X, HORIZONTAL_DEC_COPY_Y);
  } else if (tall) {
    l.hexCopy = QPoint(COPY_BUTTON_X, c + TALL_VERTICAL_HEX_COPY_OFFSET);
    l.decCopy = QPoint(COPY_BUTTON_X, H - TALL_VERTICAL_DEC_COPY_FROM_BOTTOM);
    l.paste = QPoint(PASTE_BUTTON_X, H - TALL_VERTICAL_DEC_COPY_FROM_BOTTOM);
  } else {
    l.hexCopy = QPoint(COPY_BUTTON_X, SHORT_VERTICAL_HEX_COPY_Y);
    l.decCopy = QPoint(COPY_BUTTON_X, SHORT_VERTICAL_DEC_COPY_Y);
    l.paste = QPoint(PASTE_BUTTON_X, SHORT_VERTICAL_DEC_COPY_Y);
  }

  l.keyPanel = QPoint(W - KEY_PANEL_RIGHT_OFFSET, std::max(H - KEY_PANEL_BOTTOM_OFFSET, KEY_PANEL_MIN_Y));
  return l;
}

}  // namespace quorvel::ui
