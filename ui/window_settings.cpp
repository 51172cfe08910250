#include "ui/window_settings.h"

#include <QSettings>
#include <optional>

namespace quorvel::ui {

namespace {

const QString VERTICAL_LAYOUT = QStringLiteral("window/verticalLayout");
const QString GEOMETRY = QStringLiteral("window/geometry");
const QString PANE_FONT_HEIGHT = QStringLiteral("panes/fontHeight");
const QString HEXADECIMAL_ENTRY = QStringLiteral("keys/hexadecimalEntry");
const QString SAVE_FORMAT = QStringLiteral("files/saveFormat");
const QString FILE_FOLDER = QStringLiteral("files/folder");

const char* const FORMAT_NAMES[] = {"decimal", "hexadecimal", "binary"};

// Only the spellings this file writes count: QVariant would read any
// non-empty word as true.
std::optional<bool> readBool(const QSettings& settings, const QString& key) {
  const QString text = settings.value(key).toString();
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  return std::nullopt;
}

}  // namespace

WindowSettings loadWindowSettings() {
  const QSettings settings;
  WindowSettings s;
  s.verticalLayout = readBool(settings, VERTICAL_LAYOUT).value_or(s.verticalLayout);
  s.hexadecimalEntry = readBool(settings, HEXADECIMAL_ENTRY).value_or(s.hexadecimalEntry);

  // Only the heights that Font++ and Font-- can reach.
  bool ok = false;
  const int height = settings.value(PANE_FONT_HEIGHT).toString().toInt(&ok);
  if (ok && height >= PANE_FONT_LARGEST_HEIGHT && height <= PANE_FONT_SMALLEST_HEIGHT &&
      (height - PANE_FONT_START_HEIGHT) % PANE_FONT_STEP == 0)
    s.paneFontHeight = height;

  const QString format = settings.value(SAVE_FORMAT).toString();
  for (int i = 0; i < 3; ++i)
    if (format == QLatin1String(FORMAT_NAMES[i])) s.saveFormat = static_cast<SaveFormat>(i);

  const QVariant geometry = settings.value(GEOMETRY);
  if (geometry.typeId() == QMetaType::QByteArray) s.geometry = geometry.toByteArray();
  s.fileFolder = settings.value(FILE_FOLDER).toString();
  // A file QSettings could not read at all (the status shows once a value
  // has been asked for) may have given partial values: none of them count.
  if (settings.status() != QSettings::NoError) return WindowSettings{};
  return s;
}

void saveWindowSettings(const WindowSettings& s) {
  QSettings settings;
  settings.setValue(VERTICAL_LAYOUT, s.verticalLayout);
  settings.setValue(PANE_FONT_HEIGHT, s.paneFontHeight);
  settings.setValue(HEXADECIMAL_ENTRY, s.hexadecimalEntry);
  settings.setValue(SAVE_FORMAT, QString::fromLatin1(FORMAT_NAMES[static_cast<int>(s.saveFormat)]));
  if (!s.geometry.isEmpty()) settings.setValue(GEOMETRY, s.geometry);
  if (!s.fileFolder.isEmpty()) settings.setValue(FILE_FOLDER, s.fileFolder);
}

}  // namespace quorvel::ui
