// What the program remembers between runs, in the desktop's usual place
// for settings (QSettings with the organisation and application names that
// main() sets). A setting that is missing, or that a damaged file spells in
// a way this version does not accept, keeps its default.
#pragma once

#include <QByteArray>
#include <QString>

#include "ui/limits.h"
#include "ui/value_files.h"

namespace quorvel::ui {

struct WindowSettings {
  bool verticalLayout = false;
  int paneFontHeight = PANE_FONT_START_HEIGHT;
  bool hexadecimalEntry = false;
  SaveFormat saveFormat = SaveFormat::Decimal;
  // QWidget::saveGeometry() of the main window; empty for none.
  QByteArray geometry;
  // The folder of the last file saved or opened; empty for none.
  QString fileFolder;
};

WindowSettings loadWindowSettings();
void saveWindowSettings(const WindowSettings& settings);

}  // namespace quorvel::ui
