// Files of values: Save writes the shown value as text in one of three
// forms; Open reads a text file, which the engine then reads exactly as a
// paste. Writing goes through QSaveFile, so a failed save leaves any
// existing file as it was; every failure comes back as a sentence for the
// dialog that reports it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace quorvel {
class TextBuffers;
}

namespace quorvel::ui {

enum class SaveFormat { Decimal, Hexadecimal, Binary };

// The save dialog's name filters, in the order of SaveFormat.
QStringList saveFormatFilters();
// The format of a name filter; Decimal for anything else.
SaveFormat saveFormatOfFilter(const QString& filter);
QString filterOfSaveFormat(SaveFormat format);

// The text a save writes for the value on display: the decimal text, the
// hexadecimal text as shown ("+0x..."), or the binary form ("+0b..."), and
// a line break. Nothing while a message is on display.
std::optional<std::string> valueFileText(const TextBuffers& texts, SaveFormat format);

// Writes `text` to `path`, replacing a regular file there as a whole or
// not at all; a folder, pipe, device or socket (or a link to one) is
// refused. Empty on success, else why it failed.
QString writeTextFile(const QString& path, const std::string& text);

// A file read for Open: its text (UTF-16 and UTF-32 files turned into
// UTF-8), or why it could not be read: it is missing, a folder, not a
// regular file, over OPEN_FILE_MAX_BYTES, unreadable, not a text file (a
// zero byte or a control code, or UTF-16 or UTF-32 that does not decode),
// or there is no memory for it.
struct FileText {
  std::string text;
  QString error;  // empty on success
};
FileText readTextFile(const QString& path);

}  // namespace quorvel::ui
