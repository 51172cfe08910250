// What the desktop program adds around the calculator, driven through the
// window: settings kept between runs, the status strip's size text and
// message hints, saving and opening files in the three forms, drops, the
// paste rule, the history window, the context menu with its actions, and
// the help windows.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QSettings>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>
#include <utility>

#include <sys/stat.h>

#include "engine/command_ids.h"
#include "engine/start_up.h"
#include "tests/ui_harness.h"
#include "ui/bit_line_pane.h"
#include "ui/decimal_line_pane.h"
#include "ui/digit_search.h"
#include "ui/find_boxes.h"
#include "ui/fonts.h"
#include "ui/help_dialogs.h"
#include "ui/history_window.h"
#include "ui/key_panel.h"
#include "ui/status_strip.h"
#include "ui/wrapped_pane.h"

using namespace quorvel;
using namespace quorvel::ui;
using namespace quorvel::uitest;

namespace {

const char* const SIZE_OF_10000_FACTORIAL = "35,660 digits \u00b7 118,459 bits";

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sends a drag of `data` onto the window and drops it there.
bool drop(QWidget* window, QMimeData* data) {
  const QPoint at = window->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &dropped);
  return dropped.isAccepted();
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    prepareNumberCore();
    useTemporaryHome();
  }
  void init();
  void cleanup() { window_.reset(); }

  void settingsAreRestoredAtTheNextStart();
  void damagedSettingsGiveTheDefaults();
  void stripShowsTheSizeAndHowToGoOn();
  void saveAndOpenRoundTripInEveryForm();
  void fileFailuresExplainAndChangeNothing();
  void largeFileOpensOnTheWorkerAndDeleteCancels();
  void droppedFilesAndTextsReadAsAPaste();
  void pasteWithoutDigitsKeepsTheValue();
  void historyListsAndRecallsValues();
  void contextMenuListsTheActionsWithTheirKeys();
  void actionsDoWhatTheirNamesSay();
  void fileDialogsStartInTheDocumentsAndRememberTheFormat();
  void findAndGoToMarkTheDigits();
  void primalityVerdictNextPrimeAndProgress();

 private:
  MainWindow& w() { return *window_; }
  QString path(const QString& name) const { return folder_.filePath(name); }
  // A new window with the settings as they are now.
  bool restart();
  std::unique_ptr<MainWindow> window_;
  QTemporaryDir folder_;
};

void DesktopTest::init() {
  window_ = freshWindow();
  QVERIFY(window_);
}

bool DesktopTest::restart() {
  window_->close();
  window_.reset();
  window_ = newWindow();
  return window_ != nullptr;
}

void DesktopTest::settingsAreRestoredAtTheNextStart() {
  QVERIFY(clickControl(w(), CONTROL_VERT));
  QVERIFY(clickControl(w(), CONTROL_FONT_LARGER));
  QVERIFY(clickControl(w(), CONTROL_FONT_LARGER));
  QTest::mouseClick(w().keyPanel()->button(CMD_HEX), Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
  QVERIFY(settle(w()));
  w().resize(800, 700);
  QTRY_COMPARE(w().size(), QSize(800, 700));

  QVERIFY(restart());
  QCOMPARE(w().size(), QSize(800, 700));
  QVERIFY(w().verticalLayout());
  QVERIFY(w().control(CONTROL_VERT)->isChecked());
  QVERIFY(w().upperVerticalPane()->isVisible());
  QCOMPARE(w().paneFonts().height, -24);
  QVERIFY(w().keyPanel()->button(CMD_HEX)->isChecked());
  // The engine is in hexadecimal entry too, not only the button.
  QVERIFY(clickKeys(w(), "#1F"));
  QCOMPARE(decText(w()), std::string("31"));
}

void DesktopTest::damagedSettingsGiveTheDefaults() {
  const QString file = QSettings().fileName();
  const QByteArray damaged =
      "[window]\nverticalLayout=maybe\ngeometry=@ByteArray(\\x1\\x2garbage)\n"
      "[panes]\nfontHeight=-17\n[keys]\nhexadecimalEntry=1\n\x01\xff[[[=\n";
  for (const QByteArray& content : {damaged, QByteArray("\xff\xfe\x00garbage", 10)}) {
    window_.reset();
    QVERIFY(writeFile(file, content));
    window_ = newWindow();
    QVERIFY(window_);
    QCOMPARE(w().size(), QSize(640, 680));
    QVERIFY(!w().verticalLayout());
    QCOMPARE(w().paneFonts().height, -20);
    QVERIFY(w().keyPanel()->button(CMD_DEC)->isChecked());
    QVERIFY(clickKeys(w(), "12"));
    QCOMPARE(decText(w()), std::string("12"));
  }
}

void DesktopTest::stripShowsTheSizeAndHowToGoOn() {
  StatusStrip* strip = w().statusStrip();
  // Small values: nothing.
  QVERIFY(clickKeys(w(), "123456789012345"));
  QVERIFY(settle(w()));
  QTRY_VERIFY(strip->text().isEmpty());
  QVERIFY(clickKeys(w(), "C 10000 n!"));
  QTRY_COMPARE(strip->text(), QString::fromUtf8(SIZE_OF_10000_FACTORIAL));
  // The cap itself: 2^4999999 + 12345, and minus it (a magnitude measure).
  QVERIFY(clickKeys(w(), "C 1 << 4999999 = + 12345 ="));
  QTRY_COMPARE(strip->text(), QStringLiteral("1,505,150 digits \u00b7 5,000,000 bits"));
  QVERIFY(clickKeys(w(), "+/-"));
  QTRY_COMPARE(strip->text(), QStringLiteral("1,505,150 digits \u00b7 5,000,000 bits"));

  // Messages stay as they are; the strip says why and how to go on.
  struct Case {
    const char* keys;
    const char* message;
    const char* hint;
  };
  const Case cases[] = {
      {"C 4 Modulo", "even value.", "The modulus for Power must be odd \u00b7 C clears"},
      {"C 1 / 0 =", "Divide by zero.", "/ and MOD need a divisor other than 0 \u00b7 C clears"},
      {"C 3 +/- Power 2 =", "Negative Value.", "Power takes no negative base or exponent \u00b7 C clears"},
  };
  for (const Case& c : cases) {
    QVERIFY(clickKeys(w(), c.keys));
    QCOMPARE(decText(w()), std::string(c.message));
    QTRY_COMPARE(strip->toolTip(), QString::fromUtf8(c.hint));
  }
  QVERIFY(clickKeys(w(), "C"));
  QTRY_VERIFY(strip->text().isEmpty());
}

void DesktopTest::saveAndOpenRoundTripInEveryForm() {
  struct Value {
    const char* keys;
    const char* name;
  };
  // A negative value (two's complement in the hexadecimal and binary
  // forms), and one of the full 5,000,000 bits.
  const Value values[] = {{"C 10000 n! +/-", "negative"}, {"C 1 << 4999999 = + 12345 =", "largest"}};
  const SaveFormat formats[] = {SaveFormat::Decimal, SaveFormat::Hexadecimal, SaveFormat::Binary};
  for (const Value& value : values) {
    QVERIFY(clickKeys(w(), value.keys));
    const std::string hex = hexText(w()), dec = decText(w());
    for (SaveFormat format : formats) {
      const QString file = path(QStringLiteral("%1-%2.txt").arg(value.name).arg(static_cast<int>(format)));
      QVERIFY(w().saveValueTo(file, format));
      const QByteArray written = fileBytes(file);
      switch (format) {
        case SaveFormat::Decimal: QCOMPARE(written.toStdString(), dec + "\n"); break;
        case SaveFormat::Hexadecimal: QCOMPARE(written.toStdString(), hex + "\n"); break;
        case SaveFormat::Binary:
          QCOMPARE(written.size(), qsizetype(3 + 4 * (hex.size() - 3) + 1));
          QVERIFY(written.startsWith(hex[0] == '-' ? "-0b1" : "+0b0"));
          break;
      }
      QVERIFY(clickKeys(w(), "C"));
      QVERIFY(w().openFile(file));
      QVERIFY(settle(w()));
      QVERIFY2(hexText(w()) == hex, qPrintable(QStringLiteral("%1 in form %2").arg(value.name).arg(int(format))));
    }
  }
}

void DesktopTest::fileFailuresExplainAndChangeNothing() {
  QVERIFY(clickKeys(w(), "42"));
  QVERIFY(!w().openFile(path(QStringLiteral("missing.txt"))));
  QString message = takeMessage();
  QVERIFY2(message.contains(QStringLiteral("Could not open")) && message.contains(QStringLiteral("does not exist")),
           qPrintable(message));

  // Larger than any number's text (a sparse file: no disk is spent).
  QFile huge(path(QStringLiteral("huge.txt")));
  QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(65LL << 20));
  huge.close();
  QVERIFY(!w().openFile(huge.fileName()));
  message = takeMessage();
  QVERIFY2(message.contains(QStringLiteral("65 MB")), qPrintable(message));

  // Not a file: a pipe would block the window, a device never ends.
  const QString pipe = path(QStringLiteral("pipe.txt"));
  QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
  for (const QString& special : {pipe, QStringLiteral("/dev/zero")}) {
    QVERIFY(!w().openFile(special));
    message = takeMessage();
    QVERIFY2(message.contains(QStringLiteral("a device, a pipe or a socket")), qPrintable(message));
  }

  // Nor is one replaced by a save: it stays what it was.
  const QString deviceLink = path(QStringLiteral("null.txt"));
  QVERIFY(QFile::link(QStringLiteral("/dev/null"), deviceLink));
  for (const QString& special : {pipe, deviceLink}) {
    QVERIFY(!w().saveValueTo(special, SaveFormat::Decimal));
    message = takeMessage();
    QVERIFY2(message.contains(QStringLiteral("a device, a pipe or a socket")), qPrintable(message));
  }
  struct stat status {};
  QVERIFY(::stat(QFile::encodeName(pipe).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
  QCOMPARE(QFileInfo(deviceLink).symLinkTarget(), QStringLiteral("/dev/null"));

  const QString unwritable = path(QStringLiteral("no/such/folder/value.txt"));
  QVERIFY(!w().saveValueTo(unwritable, SaveFormat::Decimal));
  message = takeMessage();
  QVERIFY2(message.contains(QStringLiteral("Could not save")), qPrintable(message));
  QVERIFY(!QFile::exists(unwritable));
  QCOMPARE(decText(w()), std::string("42"));

  // A failed save leaves an existing file as it was.
  const QString kept = path(QStringLiteral("kept.txt"));
  QVERIFY(writeFile(kept, "7\n"));
  QVERIFY(clickKeys(w(), "1 / 0 ="));
  QVERIFY(!w().saveValueTo(kept, SaveFormat::Decimal));
  message = takeMessage();
  QVERIFY2(message.contains(QStringLiteral("no value to save")), qPrintable(message));
  QCOMPARE(fileBytes(kept), QByteArray("7\n"));
}

void DesktopTest::largeFileOpensOnTheWorkerAndDeleteCancels() {
  const QString file = path(QStringLiteral("digits.txt"));
  QVERIFY(writeFile(file, QByteArray(1505150, '9')));
  QVERIFY(clickKeys(w(), "5"));
  // Open returns as soon as the text is handed over; the worker reads it.
  QVERIFY(w().openFile(file));
  QVERIFY(w().worker().busy());
  QVERIFY(typeKey(w(), &w(), Qt::Key_Delete, QString()));
  QCOMPARE(decText(w()), std::string("0"));
  QVERIFY(clickKeys(w(), "6 * 7 ="));
  QCOMPARE(decText(w()), std::string("42"));
}

void DesktopTest::droppedFilesAndTextsReadAsAPaste() {
  const QString file = path(QStringLiteral("dropped.txt"));
  QVERIFY(writeFile(file, "1,234,567\n"));
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(file)});
  QVERIFY(drop(&w(), &files));
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("1234567"));

  // Editors' UTF-16, with or without a byte order mark, reads the same, and
  // so does UTF-8 with a mark, also before the binary form, and a one-byte
  // code page. A file that is not text is refused and changes nothing
  // ("" below: the display keeps 777).
  const auto utf16 = [](QStringConverter::Encoding encoding) -> QByteArray {
    return QStringEncoder(encoding, QStringEncoder::Flag::WriteBom)(QStringLiteral("7654321"));
  };
  const QByteArray le = utf16(QStringConverter::Utf16LE), be = utf16(QStringConverter::Utf16BE);
  QByteArray randomBytes(1 << 20, 0);
  quint32 state = 26;  // a fixed xorshift sequence
  for (char& byte : randomBytes) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    byte = static_cast<char>(state);
  }
  const std::pair<QByteArray, std::string> forms[] = {
      {le, "7654321"}, {le.mid(2), "7654321"}, {be, "7654321"}, {be.mid(2), "7654321"},
      {"\xEF\xBB\xBF+0b1010\n", "10"}, {"1\xA0""234\r\n", "1234"},
      {randomBytes, ""}, {QByteArray("12\0 34", 6), ""}, {"\x7f""ELF\x02\x01 5", ""},
      {le.left(6) + QByteArray("\x00\xD8", 2) + le.mid(6), ""}};  // a lone surrogate
  for (const auto& [bytes, dec] : forms) {
    QVERIFY(clickKeys(w(), "C 777"));
    QVERIFY(writeFile(file, bytes));
    QVERIFY(drop(&w(), &files));
    QVERIFY(settle(w()));
    const std::string shown = decText(w());
    QVERIFY2(shown == (dec.empty() ? std::string("777") : dec),
             qPrintable(QString::fromStdString(shown) + QStringLiteral(" for ") + bytes.left(12).toHex()));
    const QString message = takeMessage();
    if (dec.empty()) QVERIFY2(message.contains(QStringLiteral("It is not a text file")), qPrintable(message));
    else QCOMPARE(message, QStringLiteral("(no message box)"));
  }

  QMimeData text;
  text.setText(QStringLiteral("-0x10"));
  QVERIFY(drop(&w(), &text));
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("-16"));
  // A text without digits changes nothing, as a paste.
  text.setText(QStringLiteral("hello"));
  QVERIFY(drop(&w(), &text));
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("-16"));
}

void DesktopTest::pasteWithoutDigitsKeepsTheValue() {
  QVERIFY(clickKeys(w(), "10000 n!"));
  const std::string value = decText(w());
  for (const QString& text : {QStringLiteral("hello"), QString()}) {
    QGuiApplication::clipboard()->setText(text);
    QVERIFY(clickControl(w(), CONTROL_PASTE));
    QCOMPARE(decText(w()), value);
    QTRY_COMPARE(w().statusStrip()->text(), QStringLiteral("Nothing pasted: the text holds no digit"));
    // The next key ends the note.
    QVERIFY(clickKeys(w(), "MS"));
    QTRY_COMPARE(w().statusStrip()->text(), QString::fromUtf8(SIZE_OF_10000_FACTORIAL));
  }
  // Decimal unless "0x", in either mode: what Ctrl+C copies pastes back.
  QTest::mouseClick(w().keyPanel()->button(CMD_HEX), Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
  QVERIFY(settle(w()));
  QGuiApplication::clipboard()->setText(QStringLiteral("12"));
  QVERIFY(clickControl(w(), CONTROL_PASTE));
  QCOMPARE(decText(w()), std::string("12"));
  QVERIFY(clickKeys(w(), "C 10000 n! +/-"));
  const std::string negative = decText(w());
  QVERIFY(typeKey(w(), &w(), Qt::Key_C, QStringLiteral("\x03"), Qt::ControlModifier));
  QVERIFY(clickKeys(w(), "C"));
  QVERIFY(typeKey(w(), &w(), Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier));
  QCOMPARE(decText(w()), negative);
}

void DesktopTest::historyListsAndRecallsValues() {
  QVERIFY(clickKeys(w(), "2 + 3 = 10000 n!"));
  w().trigger(WindowAction::History);
  HistoryWindow* history = w().historyWindow();
  QVERIFY(history && QTest::qWaitForWindowExposed(history));
  QListWidget* list = history->list();
  QCOMPARE(list->count(), 2);
  // Each value with the keys that led to it from the one before.
  QCOMPARE(list->item(0)->text(), QStringLiteral("10000 n!  \u2192 2846259680917054\u2026000000000000 (35,660 digits)"));
  QCOMPARE(list->item(1)->text(), QStringLiteral("2 + 3 =  \u2192 5"));

  // Double-click puts the value on display as the entry, like "MR".
  // As the system delivers it: a click, then the second press as a
  // double-click.
  const QPoint second = list->visualItemRect(list->item(1)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("5"));
  QVERIFY(clickKeys(w(), "7"));
  QCOMPARE(decText(w()), std::string("7"));
  // Enter on the current line; an open window follows new values.
  QVERIFY(clickKeys(w(), "* 6 ="));
  QCOMPARE(list->count(), 3);
  QCOMPARE(list->item(0)->text(), QStringLiteral("MR 7 * 6 =  \u2192 42"));
  list->setCurrentRow(1);
  QTest::keyClick(list, Qt::Key_Return);
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()).size(), size_t(35660));
  QCOMPARE(list->count(), 3);
  // The whole tape, oldest first.
  QTest::mouseClick(history->copyTapeButton(), Qt::LeftButton);
  QCOMPARE(QGuiApplication::clipboard()->text(),
           QStringLiteral("2 + 3 =  \u2192 5\n10000 n!  \u2192 2846259680917054\u2026000000000000 (35,660 digits)\n"
                          "MR 7 * 6 =  \u2192 42\n"));
}

void DesktopTest::contextMenuListsTheActionsWithTheirKeys() {
  // A right-click anywhere: here on a key, which passes it to the window.
  QWidget* key = w().keyPanel()->button(CMD_ADD);
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), key->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(key, &click);
  QCOMPARE(modalAnswers().menuEntries,
           QStringList({"Copy decimal|Ctrl+C", "Copy hexadecimal|Ctrl+Shift+C", "Copy binary|Ctrl+Shift+B",
                        "Paste|Ctrl+V", "Save...|Ctrl+S", "Open...|Ctrl+O", "Find...|Ctrl+F", "Find next|F3",
                        "Find previous|Shift+F3", "Go to...|Ctrl+G", "Is it prime?|Ctrl+P", "Next prime|Ctrl+Shift+P",
                        "History|Ctrl+H", "Keyboard shortcuts|F1", "About|"}));
  for (QAction* action : w().actions()) QVERIFY(action->isShortcutVisibleInContextMenu());
}

void DesktopTest::actionsDoWhatTheirNamesSay() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  QVERIFY(clickKeys(w(), "1234 +/-"));
  w().trigger(WindowAction::CopyDecimal);
  QCOMPARE(clipboard->text(), QStringLiteral("-1234"));
  w().trigger(WindowAction::CopyHexadecimal);
  QCOMPARE(clipboard->text(), QStringLiteral("-0xFFFFFFFFFFFFB2E"));
  w().trigger(WindowAction::CopyBinary);
  QCOMPARE(clipboard->text(), QStringLiteral("-0b") + QStringLiteral("1111").repeated(12) +
                                  QStringLiteral("101100101110"));
  // The binary form pastes back as the same value.
  QVERIFY(clickKeys(w(), "C"));
  w().trigger(WindowAction::Paste);
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("-1234"));

  // The keys reach the actions through the shortcut machinery; Ctrl+C
  // still copies as a calculator key, through the worker.
  QApplication::setActiveWindow(&w());
  QVERIFY(QTest::qWaitForWindowActive(&w()));
  clipboard->clear();
  QTest::keyClick(&w(), Qt::Key_C, Qt::ControlModifier);
  QVERIFY(settle(w()));
  QTRY_COMPARE(clipboard->text(), QStringLiteral("-1234"));
  QTest::keyClick(&w(), Qt::Key_F1);
  ShortcutsWindow* shortcuts = w().shortcutsWindow();
  QVERIFY(shortcuts && shortcuts->isVisible());
  // It lists every window shortcut and every key a key's tooltip names.
  QStringList listed;
  for (int row = 0; row < shortcuts->table()->rowCount(); ++row) listed << shortcuts->table()->item(row, 0)->text();
  for (QAction* action : w().actions())
    if (!action->shortcut().isEmpty())
      QVERIFY2(listed.contains(action->shortcut().toString(QKeySequence::NativeText)), qPrintable(action->text()));
  // The digits are listed as ranges.
  for (int id = CMD_DIGIT_0 + 1; id <= CMD_BIT_TOGGLE; ++id) {
    const QAbstractButton* key = w().keyPanel()->button(id);
    const QString tip = key ? key->toolTip() : QString();
    if (tip.startsWith(QStringLiteral("Keyboard: ")) && (id < CMD_DIGIT_A || id > CMD_DIGIT_F))
      QVERIFY2(listed.contains(tip.mid(10)), qPrintable(tip));
  }

  w().trigger(WindowAction::History);
  QVERIFY(w().historyWindow()->isVisible());
  w().trigger(WindowAction::About);
  const QString about = takeMessage();
  QVERIFY2(about.contains(QStringLiteral("Quorvel 0.927")) && about.contains(QStringLiteral("5,000,000 bits")),
           qPrintable(about));
}

void DesktopTest::fileDialogsStartInTheDocumentsAndRememberTheFormat() {
  // With no folder remembered: the documents folder, the home folder while
  // there is none. Then the folder and the format used last, also after a
  // restart; the file saved opens again.
  const QString home = QDir::homePath(), documents = home + QStringLiteral("/Documents");
  QVERIFY(QDir(documents).removeRecursively());
  w().trigger(WindowAction::Open);
  QVERIFY(QDir().mkpath(documents));
  QVERIFY(clickKeys(w(), "255"));
  const QString file = path(QStringLiteral("chosen.txt"));
  modalAnswers().file = {file, QStringLiteral("Binary text (*.txt)")};
  w().trigger(WindowAction::Save);
  QCOMPARE(fileBytes(file), QByteArray("+0b") + QByteArray(52, '0') + "11111111\n");

  QVERIFY(restart());
  modalAnswers().file = {};
  w().trigger(WindowAction::Save);
  modalAnswers().file = {file, QString()};
  w().trigger(WindowAction::Open);
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("255"));

  const QString save = QStringLiteral("save|%1|%2|") + saveFormatFilters().join(u';') + QStringLiteral("|txt");
  const QString open = QStringLiteral("open|%1|Text files (*.txt)|Text files (*.txt);All files (*)|");
  QCOMPARE(modalAnswers().fileDialogs,
           QStringList({open.arg(home), save.arg(documents, QStringLiteral("Decimal text (*.txt)")),
                        save.arg(folder_.path(), QStringLiteral("Binary text (*.txt)")), open.arg(folder_.path())}));
}

void DesktopTest::findAndGoToMarkTheDigits() {
  // The boxes are answered at once: Find with `needle`, Go to with
  // `position` of `kind`.
  QString needle, position;
  GoToBox::Kind kind = GoToBox::Kind::DigitFromLeft;
  w().modalWindows().ask = [&](QDialog& dialog) {
    if (auto* find = dynamic_cast<FindBox*>(&dialog)) find->digits()->setText(needle);
    if (auto* goTo = dynamic_cast<GoToBox*>(&dialog)) {
      goTo->position()->setText(position);
      goTo->choice(kind)->setChecked(true);
    }
    return true;
  };
  QVERIFY(clickControl(w(), CONTROL_VERT));
  WrappedPane* rows = w().lowerVerticalPane();
  const int c = columnsFor(rows->viewport()->width(), characterWidth(w().paneFonts().large));
  QVERIFY(c > 4);
  // 4711 at the first digit, across the end of the first row and at the
  // last digit, in a value of 40 rows.
  std::string digits(static_cast<size_t>(40 * c), '0');
  for (size_t at : {size_t{0}, static_cast<size_t>(c - 2), digits.size() - 4}) digits.replace(at, 4, "4711");
  QGuiApplication::clipboard()->setText(QString::fromStdString(digits));
  QVERIFY(clickControl(w(), CONTROL_PASTE));
  QCOMPARE(decText(w()), digits);

  needle = QStringLiteral("47 11");  // separators typed along are dropped
  w().trigger(WindowAction::Find);
  QTRY_COMPARE(w().statusStrip()->toolTip(), QStringLiteral("match 1 of 3 \u00b7 digit 1"));
  paintNow(rows->viewport());
  QCOMPARE(rows->markRects().size(), 1);
  w().trigger(WindowAction::FindNext);
  QCOMPARE(w().statusStrip()->toolTip(), QStringLiteral("match 2 of 3 \u00b7 digit %1").arg(c - 1));
  paintNow(rows->viewport());
  // Two digits at the end of one row, two at the start of the next.
  QCOMPARE(rows->markRects().size(), 2);
  QCOMPARE(rows->markRects()[0].width() * 2, rows->markRects()[1].width() * 2);
  QVERIFY(rows->markRects()[0].top() < rows->markRects()[1].top());
  w().trigger(WindowAction::FindNext);
  const QString last = QString::fromStdString(groupedNumber(static_cast<int64_t>(digits.size()) - 3));
  QCOMPARE(w().statusStrip()->toolTip(), QStringLiteral("match 3 of 3 \u00b7 digit ") + last);
  paintNow(rows->viewport());
  QCOMPARE(rows->markRects().size(), 1);  // scrolled to the last row
  w().trigger(WindowAction::FindNext);
  QCOMPARE(w().statusStrip()->toolTip(), QStringLiteral("match 1 of 3 \u00b7 digit 1"));
  w().trigger(WindowAction::FindPrevious);
  QCOMPARE(w().statusStrip()->toolTip(), QStringLiteral("match 3 of 3 \u00b7 digit ") + last);

  // Go to the first and last digit in the one-line pane, and the first and
  // last bit of the bit view.
  QVERIFY(clickControl(w(), CONTROL_HORZ));
  DecimalLinePane* line = w().lowerHorizontalPane();
  const struct {
    GoToBox::Kind kind;
    const char* position;
    const char* note;
    bool lastColumn;
  } goTos[] = {{GoToBox::Kind::DigitFromLeft, "1", "digit 1", false},
               {GoToBox::Kind::DigitFromRight, "1", "digit 1 from the right", true}};
  for (const auto& row : goTos) {
    kind = row.kind;
    position = QString::fromLatin1(row.position);
    w().trigger(WindowAction::GoTo);
    QCOMPARE(w().statusStrip()->toolTip(), QString::fromLatin1(row.note));
    paintNow(line->viewport());
    QCOMPARE(line->markRects().size(), 1);
    const double right = line->markRects()[0].right();
    QVERIFY2(row.lastColumn ? right > line->viewport()->width() - 2 * line->markRects()[0].width()
                            : line->markRects()[0].left() <= 2,
             qPrintable(QString::number(right)));
  }
  BitLinePane* bits = w().upperHorizontalPane();
  const int64_t bitCount = 4 * static_cast<int64_t>(hexText(w()).size() - 3);
  kind = GoToBox::Kind::Bit;
  for (int64_t bit : {int64_t{0}, bitCount - 1}) {
    position = QString::number(bit);
    w().trigger(WindowAction::GoTo);
    QCOMPARE(w().statusStrip()->toolTip(), QString::fromStdString("bit " + groupedNumber(bit)));
    paintNow(bits->viewport());
    QCOMPARE(bits->markRects().size(), 1);
    const QRectF mark = bits->markRects()[0];
    QCOMPARE(bits->hoverBit(), -1LL);
    // Bit 0 in the last column, the top bit in the first drawn one.
    if (bit == 0) QVERIFY(mark.right() > bits->viewport()->width() - 2 * mark.width());
    else QCOMPARE(static_cast<int>(mark.left()), bits->rowGeometry().left());
  }
  position = QString::number(bitCount);
  w().trigger(WindowAction::GoTo);
  QVERIFY(w().statusStrip()->toolTip().startsWith(QStringLiteral("No such bit")));
}

void DesktopTest::primalityVerdictNextPrimeAndProgress() {
  QVERIFY(clickKeys(w(), "2 x^y 127 - 1 ="));
  w().trigger(WindowAction::IsPrime);
  QVERIFY(settle(w()));
  QTRY_COMPARE(w().statusStrip()->toolTip(), QStringLiteral("probable prime"));
  QVERIFY(clickKeys(w(), "C 561"));
  w().trigger(WindowAction::IsPrime);
  QVERIFY(settle(w()));
  QTRY_COMPARE(w().statusStrip()->toolTip(), QStringLiteral("composite: divisible by 3"));
  w().trigger(WindowAction::NextPrime);
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("563"));

  // The test of 2^44497 - 1 runs for long: past a second the strip shows
  // a bar and the time left; Delete cancels.
  QVERIFY(clickKeys(w(), "C 2 x^y 44497 - 1 ="));
  w().trigger(WindowAction::IsPrime);
  QTRY_VERIFY_WITH_TIMEOUT(w().statusStrip()->progressBar()->isVisible(), 30000);
  QTRY_VERIFY_WITH_TIMEOUT(w().statusStrip()->toolTip().contains(QStringLiteral("left - Delete cancels")), 30000);
  QVERIFY(typeKey(w(), &w(), Qt::Key_Delete, QString()));
  QCOMPARE(decText(w()), std::string("0"));
  QVERIFY(!w().statusStrip()->progressBar()->isVisible());
}

QTEST_MAIN(DesktopTest)
#include "ui_desktop_test.moc"
