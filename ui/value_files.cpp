#include "ui/value_files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <new>
#include <string>

#include "engine/binary_text.h"
#include "engine/text_buffers.h"
#include "ui/limits.h"
#include "vnum/messages.h"

namespace quorvel::ui {

namespace {

bool isValueText(const char* dec) {
  const char* digits = dec[0] == '-' ? dec + 1 : dec;
  return *digits >= '0' && *digits <= '9';
}

}  // namespace

QStringList saveFormatFilters() {
  return {QStringLiteral("Decimal text (*.txt)"), QStringLiteral("Hexadecimal text (*.txt)"),
          QStringLiteral("Binary text (*.txt)")};
}

SaveFormat saveFormatOfFilter(const QString& filter) {
  const int index = static_cast<int>(saveFormatFilters().indexOf(filter));
  return index < 0 ? SaveFormat::Decimal : static_cast<SaveFormat>(index);
}

QString filterOfSaveFormat(SaveFormat format) { return saveFormatFilters().at(static_cast<int>(format)); }

std::optional<std::string> valueFileText(const TextBuffers& texts, SaveFormat format) {
  std::optional<std::string> text;
  texts.read([&](const char* hex, const char* dec) {
    if (!isValueText(dec)) return;
    switch (format) {
      case SaveFormat::Decimal: text = dec; break;
      case SaveFormat::Hexadecimal: text = hex; break;
      case SaveFormat::Binary: text = binaryTextOfHexText(hex); break;
    }
  });
  if (text) *text += '\n';
  return text;
}

QString writeTextFile(const QString& path, const std::string& text) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    const QString error = file.errorString();
    file.cancelWriting();
    return error;
  }
  if (!file.commit()) return file.errorString();
  return {};
}

FileText readTextFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {{}, QStringLiteral("The file does not exist.")};
  if (info.isDir()) return {{}, QStringLiteral("It is a folder, not a file.")};
  // A pipe would hold the window until a writer came; a device may never end.
  if (!info.isFile()) return {{}, QStringLiteral("It is a device, a pipe or a socket, not a file.")};
  // `size` is "It has 65 MB," or "It holds".
  const auto tooLarge = [](const QString& size) {
    return FileText{{},
                    QStringLiteral("%1 more than the %2 MB that any text of a number up to 5,000,000 bits needs.")
                        .arg(size)
                        .arg(OPEN_FILE_MAX_BYTES >> 20)};
  };
  if (info.size() > OPEN_FILE_MAX_BYTES) return tooLarge(QStringLiteral("It has %1 MB,").arg(info.size() >> 20));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {{}, file.errorString()};
  try {
    // At most the cap and one byte more, whatever the size said: a file can
    // grow after it was measured, and some report no size at all.
    QByteArray bytes;
    bytes.reserve(info.size() + 1);
    const qsizetype chunk = OPEN_FILE_CHUNK_BYTES;
    for (;;) {
      const QByteArray piece = file.read(chunk);
      if (file.error() != QFileDevice::NoError) return {{}, file.errorString()};
      if (piece.isEmpty()) break;
      bytes += piece;
      if (bytes.size() > OPEN_FILE_MAX_BYTES) return tooLarge(QStringLiteral("It holds"));
    }

    // A UTF-16 or UTF-32 file (as some editors save) spells each digit with
    // zero bytes around it; the number reader needs 8-bit text. Decoded a
    // piece at a time, so that no text of the whole file in UTF-16 is made.
    // A UTF-8 byte order mark stays; the reader drops it.
    std::string text;
    const std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(bytes);
    if (encoding && *encoding != QStringConverter::Utf8) {
      QStringDecoder decode(*encoding);
      for (qsizetype at = 0; at < bytes.size(); at += chunk)
        text += QString(decode(QByteArrayView(bytes).sliced(at, std::min(chunk, bytes.size() - at)))).toStdString();
    } else {
      text = bytes.toStdString();
    }
    // The reader stops at a zero byte, which no text means (UTF-16 without
    // a byte order mark has one beside every digit).
    std::erase(text, '\0');
    return {std::move(text), {}};
  } catch (const std::bad_alloc&) {
    return {{}, QString::fromLatin1(MSG_OUT_OF_MEMORY)};
  }
}

}  // namespace quorvel::ui
