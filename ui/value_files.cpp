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

// A byte of a control code that text does not hold (tab, line feed,
// vertical tab, form feed and carriage return are text).
bool isControlCode(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 && (byte < '\t' || byte > '\r');
}

// UTF-16 of Latin-1 characters without a byte order mark, as some
// programs write it: a zero byte at every odd position (little-endian) or
// every even one (big-endian), and nowhere else.
std::optional<QStringConverter::Encoding> markLessUtf16(const QByteArray& bytes) {
  if (bytes.isEmpty() || bytes.size() % 2 != 0) return std::nullopt;
  for (const int highByte : {1, 0}) {
    bool matches = true;
    for (qsizetype i = 0; i < bytes.size() && matches; ++i) matches = (bytes[i] == 0) == (i % 2 == highByte);
    if (matches) return highByte == 1 ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
  }
  return std::nullopt;
}

// The encoding a file's bytes must be decoded from: UTF-16 or UTF-32 by a
// byte order mark or the pattern above; nothing for 8-bit text (UTF-8 or a
// one-byte code page), which the reader takes as it is.
std::optional<QStringConverter::Encoding> textEncodingOf(const QByteArray& bytes) {
  const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
  if (marked) return *marked == QStringConverter::Utf8 ? std::nullopt : marked;
  return markLessUtf16(bytes);
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
  // The save writes a new file and renames it over the old one, which for
  // a pipe or a device (or a link to one) would put a plain file in its
  // place: /dev/null, a FIFO another program reads. Only regular files are
  // replaced. (Links to regular files are followed: the file they name is
  // replaced, the link stays.)
  const QFileInfo info(path);
  if (info.isDir()) return QStringLiteral("It is a folder, not a file.");
  if (info.exists() && !info.isFile())
    return QStringLiteral("It is a device, a pipe or a socket, not a file, and saving would replace it.");
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
    const std::optional<QStringConverter::Encoding> encoding = textEncodingOf(bytes);
    if (encoding) {
      QStringDecoder decode(*encoding);
      // The decoder lets a surrogate without its partner through; it is no
      // text either. A pair may straddle two pieces.
      bool highSurrogate = false, loneSurrogate = false;
      for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        const QString piece = decode(QByteArrayView(bytes).sliced(at, std::min(chunk, bytes.size() - at)));
        for (const QChar c : piece) {
          loneSurrogate |= highSurrogate != c.isLowSurrogate();
          highSurrogate = c.isHighSurrogate();
        }
        text += piece.toStdString();
      }
      if (decode.hasError() || loneSurrogate || highSurrogate)
        return {{}, QStringLiteral("It is not a text file: it is not valid %1.")
                        .arg(QString::fromLatin1(QStringConverter::nameForEncoding(*encoding)))};
    } else {
      text = bytes.toStdString();
    }
    // Text, decoded or in UTF-8 or a one-byte code page, holds no zero byte
    // and no control code but tab and the line and page breaks; a binary
    // file (an image, a program, random bytes) holds many. Read as a paste,
    // its first digit bytes would silently become the value.
    if (std::any_of(text.begin(), text.end(), isControlCode))
      return {{}, QStringLiteral("It is not a text file: it holds a zero byte or a control code.")};
    return {std::move(text), {}};
  } catch (const std::bad_alloc&) {
    return {{}, QString::fromLatin1(MSG_OUT_OF_MEMORY)};
  }
}

}  // namespace quorvel::ui
