// The rules of the windows that need no window: the summary line, the
// keyboard map, the main window's layout, the bit view's arithmetic, the
// fonts, the size of a value read off its texts and the message hints.
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "engine/command_ids.h"
#include "ui/bit_row.h"
#include "ui/command_for_key.h"
#include "ui/fonts.h"
#include "ui/main_window_layout.h"
#include "ui/message_hints.h"
#include "ui/summary_line.h"
#include "ui/value_size.h"
#include "vnum/messages.h"

using namespace quorvel;
using namespace quorvel::ui;

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

class RulesTest : public QObject {
  Q_OBJECT

 private slots:
  void summaryLine_data();
  void summaryLine();
  void commandForKey_data();
  void commandForKey();
  void layoutTallWindow();
  void layoutShortWindow();
  void layoutNeverCoversAButton();
  void bitRowLayout();
  void bitUnderThePointer();
  void bitNumbers();
  void hexDigitsToBits();
  void courierNewResolvesToAMetricTwin();
  void valueSize_data();
  void valueSize();
  void everyMessageHasAHint();
};

void RulesTest::summaryLine_data() {
  QTest::addColumn<QString>("text");  // the head of the decimal text
  QTest::addColumn<int>("length");    // the whole text's length
  QTest::addColumn<QString>("summary");
  QTest::newRow("17 characters: none") << "12345678901234567" << 17 << "";
  QTest::newRow("18 characters") << "123456789012345678" << 18 << "1.234567890123457 E+17";
  QTest::newRow("18 nines carry") << "999999999999999999" << 18 << "1.000000000000000 E+18";
  QTest::newRow("negative, 17 digits") << "-12345678901234567" << 18 << "-1.234567890123457 E+16";
  QTest::newRow("negative nines carry") << "-99999999999999999" << 18 << "-1.000000000000000 E+17";
  QTest::newRow("17th digit 4 rounds down") << "123456789012345640" << 18 << "1.234567890123456 E+17";
  QTest::newRow("17th digit 5 rounds up") << "123456789012345650" << 18 << "1.234567890123457 E+17";
  // The 18th digit is dropped before rounding: no double rounding.
  QTest::newRow("18th digit ignored") << "123456789012345649" << 18 << "1.234567890123456 E+17";
  QTest::newRow("negative half away from zero") << "-10000000000000005" << 18 << "-1.000000000000001 E+16";
  QTest::newRow("negative rounds down") << "-10000000000000004" << 18 << "-1.000000000000000 E+16";
  QTest::newRow("1000! (2568 digits)") << "402387260077093773543702" << 2568 << "4.023872600770938 E+2567";
  QTest::newRow("negative long") << "-98765432109876543210" << 1000 << "-9.876543210987654 E+998";
  QTest::newRow("not a number") << "Divide by zero. xyz" << 19 << "";
}

void RulesTest::summaryLine() {
  QFETCH(QString, text);
  QFETCH(int, length);
  QFETCH(QString, summary);
  const std::string head = text.toStdString();
  QCOMPARE(QString::fromStdString(ui::summaryLine(head, static_cast<size_t>(length))), summary);
}

void RulesTest::commandForKey_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("command");  // -1: no command
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
  const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;

  QTest::newRow("0") << int(Qt::Key_0) << none << "0" << int(CMD_DIGIT_0);
  QTest::newRow("7") << int(Qt::Key_7) << none << "7" << int(CMD_DIGIT_1 + 6);
  QTest::newRow("keypad 9") << int(Qt::Key_9) << keypad << "9" << int(CMD_DIGIT_9);
  QTest::newRow("a") << int(Qt::Key_A) << none << "a" << int(CMD_DIGIT_A);
  QTest::newRow("shift F") << int(Qt::Key_F) << shift << "F" << int(CMD_DIGIT_F);
  QTest::newRow("c is a digit, not copy") << int(Qt::Key_C) << none << "c" << int(CMD_DIGIT_A + 2);
  QTest::newRow("g") << int(Qt::Key_G) << none << "g" << -1;
  QTest::newRow("%") << int(Qt::Key_Percent) << shift << "%" << int(CMD_MOD);
  QTest::newRow("&") << int(Qt::Key_Ampersand) << shift << "&" << int(CMD_AND);
  QTest::newRow("(") << int(Qt::Key_ParenLeft) << shift << "(" << int(CMD_OPEN);
  QTest::newRow(")") << int(Qt::Key_ParenRight) << shift << ")" << int(CMD_CLOSE);
  QTest::newRow("/") << int(Qt::Key_Slash) << none << "/" << int(CMD_DIVIDE);
  QTest::newRow("keypad /") << int(Qt::Key_Slash) << keypad << "/" << int(CMD_DIVIDE);
  QTest::newRow("-") << int(Qt::Key_Minus) << none << "-" << int(CMD_SUBTRACT);
  QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << keypad << "*" << int(CMD_MULTIPLY);
  QTest::newRow("+") << int(Qt::Key_Plus) << shift << "+" << int(CMD_ADD);
  QTest::newRow("^") << int(Qt::Key_AsciiCircum) << shift << "^" << int(CMD_XOR);
  QTest::newRow("~") << int(Qt::Key_AsciiTilde) << shift << "~" << int(CMD_NOT);
  QTest::newRow("|") << int(Qt::Key_Bar) << shift << "|" << int(CMD_OR);
  QTest::newRow("=") << int(Qt::Key_Equal) << none << "=" << int(CMD_EQUALS);
  QTest::newRow("Return") << int(Qt::Key_Return) << none << "\r" << int(CMD_EQUALS);
  QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << keypad << "\r" << int(CMD_EQUALS);
  QTest::newRow("shift Return") << int(Qt::Key_Return) << shift << "\r" << -1;
  QTest::newRow("Delete") << int(Qt::Key_Delete) << none << "\x7f" << int(CMD_CLEAR_ALL);
  QTest::newRow("shift Delete") << int(Qt::Key_Delete) << shift << "\x7f" << -1;
  QTest::newRow("Escape is C") << int(Qt::Key_Escape) << none << "\x1b" << int(CMD_CLEAR_ALL);
  QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << "\b" << int(CMD_BACKSPACE);
  QTest::newRow("ctrl Backspace") << int(Qt::Key_Backspace) << ctrl << "\b" << -1;
  QTest::newRow("<") << int(Qt::Key_Less) << shift << "<" << int(CMD_SHIFT_LEFT);
  QTest::newRow(">") << int(Qt::Key_Greater) << shift << ">" << int(CMD_SHIFT_RIGHT);
  QTest::newRow("!") << int(Qt::Key_Exclam) << shift << "!" << int(CMD_FACTORIAL);
  QTest::newRow("space") << int(Qt::Key_Space) << none << " " << -1;
  QTest::newRow("ctrl V") << int(Qt::Key_V) << ctrl << "\x16" << int(CMD_PASTE);
  QTest::newRow("ctrl C") << int(Qt::Key_C) << ctrl << "\x03" << int(CMD_COPY);
  QTest::newRow("ctrl shift V") << int(Qt::Key_V) << (ctrl | shift) << "\x16" << -1;
  QTest::newRow("ctrl 5") << int(Qt::Key_5) << ctrl << "5" << -1;
  QTest::newRow("alt 5") << int(Qt::Key_5) << Qt::KeyboardModifiers(Qt::AltModifier) << "5" << -1;
  // Other layouts: the character decides, wherever the key is.
  QTest::newRow("7 on a shifted key") << int(Qt::Key_Egrave) << shift << "7" << int(CMD_DIGIT_1 + 6);
  QTest::newRow("( on the 5 key") << int(Qt::Key_5) << none << "(" << int(CMD_OPEN);
  QTest::newRow("* on the + key") << int(Qt::Key_Plus) << shift << "*" << int(CMD_MULTIPLY);
  QTest::newRow("non-ASCII") << int(Qt::Key_unknown) << none << QString(QChar(0x2212)) << -1;
  QTest::newRow("no text") << int(Qt::Key_Shift) << shift << "" << -1;
}

void RulesTest::commandForKey() {
  QFETCH(int, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(QString, text);
  QFETCH(int, command);
  QCOMPARE(ui::commandForKey(key, modifiers, text).value_or(-1), command);
}

void RulesTest::layoutTallWindow() {
  const MainWindowLayout v = mainWindowLayout(QSize(640, 700), true);
  QCOMPARE(v.upperVertical, QRect(10, 30, 618, 140));
  QCOMPARE(v.lowerVertical, QRect(10, 200, 618, 140));
  QCOMPARE(v.keyPanel, QPoint(140, 365));
  QCOMPARE(v.hexCopy, QPoint(20, 173));
  QCOMPARE(v.decCopy, QPoint(20, 343));
  QCOMPARE(v.paste, QPoint(100, 343));

  const MainWindowLayout h = mainWindowLayout(QSize(640, 700), false);
  QCOMPARE(h.upperHorizontal, QRect(10, 30, 618, 120));
  QCOMPARE(h.lowerHorizontal, QRect(10, 193, 618, 80));
  QCOMPARE(h.hexCopy, QPoint(20, 153));
  QCOMPARE(h.decCopy, QPoint(20, 276));
  QCOMPARE(h.paste, QPoint(100, 276));
  QCOMPARE(h.keyPanel, QPoint(140, 365));

  // c = (H - 420) / 2 truncates: 701 gives the panes of 700.
  const MainWindowLayout odd = mainWindowLayout(QSize(900, 701), true);
  QCOMPARE(odd.lowerVertical, QRect(10, 200, 878, 140));
  QCOMPARE(odd.decCopy, QPoint(20, 344));
  QCOMPARE(odd.keyPanel, QPoint(400, 366));
}

void RulesTest::layoutShortWindow() {
  const MainWindowLayout v = mainWindowLayout(QSize(640, 639), true);
  QCOMPARE(v.upperVertical, QRect(10, 30, 618, 110));
  QCOMPARE(v.lowerVertical.height(), 110);
  QCOMPARE(v.keyPanel, QPoint(140, 305));
  QCOMPARE(v.hexCopy, QPoint(20, 143));
  QCOMPARE(v.decCopy, QPoint(20, 283));
  QCOMPARE(v.paste, QPoint(100, 283));
  QCOMPARE(mainWindowLayout(QSize(800, 400), false).keyPanel, QPoint(300, 305));
  // At the threshold the tall rule gives the same panes as the short one.
  const MainWindowLayout at = mainWindowLayout(QSize(640, 640), true);
  QCOMPARE(at.upperVertical, v.upperVertical);
  QCOMPARE(at.lowerVertical, v.lowerVertical);
}

void RulesTest::layoutNeverCoversAButton() {
  const QSize button(70, 22);
  for (bool vertical : {false, true}) {
    for (int H = 480; H <= 1400; ++H) {
      const MainWindowLayout l = mainWindowLayout(QSize(640, H), vertical);
      const QRect upper = vertical ? l.upperVertical : l.upperHorizontal;
      const QRect lower = vertical ? l.lowerVertical : l.lowerHorizontal;
      const QRect buttons[] = {QRect(l.hexCopy, button), QRect(l.decCopy, button), QRect(l.paste, button)};
      QVERIFY2(!upper.intersects(lower), qPrintable(QStringLiteral("panes overlap at H=%1").arg(H)));
      for (const QRect& b : buttons) {
        QVERIFY2(!upper.intersects(b) && !lower.intersects(b),
                 qPrintable(QStringLiteral("a pane covers a button at H=%1, vertical=%2").arg(H).arg(vertical)));
      }
      // The hexadecimal "Copy" sits between the panes.
      QVERIFY(buttons[0].top() >= upper.bottom() && buttons[0].bottom() <= lower.top());
    }
  }
}

void RulesTest::bitRowLayout() {
  // 15 digits in 67 columns: right-aligned, bit 0 in the last column.
  BitRowLayout row = layoutBitRow(60, 67, false, 0);
  QCOMPARE(row.first, 0LL);
  QCOMPARE(row.count, 60);
  QCOMPARE(row.firstColumn, 7);
  QCOMPARE(row.lsbIndex, 0LL);

  // Scrolled: whole digits (64 of 67 columns), starting at the digit of
  // the first visible bit.
  row = layoutBitRow(200, 67, true, 0);
  QCOMPARE(row.count, 64);
  QCOMPARE(row.firstColumn, 3);
  QCOMPARE(row.lsbIndex, 136LL);
  row = layoutBitRow(200, 67, true, 7);
  QCOMPARE(row.first, 4LL);
  QCOMPARE(row.lsbIndex, 132LL);
  // Past the last full window: the last 64 bits, ending at bit 0.
  row = layoutBitRow(200, 67, true, 150);
  QCOMPARE(row.first, 136LL);
  QCOMPARE(row.count, 64);
  QCOMPARE(row.lsbIndex, 0LL);

  // No bits (a message without hexadecimal letters), and too narrow a pane.
  row = layoutBitRow(0, 67, false, 0);
  QCOMPARE(row.count, 0);
  QCOMPARE(row.firstColumn, 67);
  row = layoutBitRow(200, 3, true, 0);
  QCOMPARE(row.count, 0);
  // A message scrolled past its few bits still draws them.
  row = layoutBitRow(8, 67, true, 40);
  QCOMPARE(row.first, 0LL);
  QCOMPARE(row.count, 8);
}

void RulesTest::bitUnderThePointer() {
  BitRowGeometry row;
  row.charWidth = 9;
  row.firstColumn = 7;
  row.count = 60;
  row.lsbIndex = 0;
  row.top = 32;
  row.bottom = 49;
  QCOMPARE(row.left(), 64);
  const auto bit = [&](int x, int y) { return bitAt(row, x, y).bit; };
  // The row's first pixel column is the bit above the top bit.
  QCOMPARE(bit(64, 40), 60LL);
  QCOMPARE(bit(65, 40), 59LL);
  QCOMPARE(bit(64 + 9 * 30 + 4, 40), 29LL);
  QCOMPARE(bit(64 + 9 * 59 + 4, 40), 0LL);
  QCOMPARE(bit(64 + 540 - 1, 40), 0LL);
  // Outside the row.
  QCOMPARE(bit(64 + 540, 40), -1LL);
  QCOMPARE(bit(63, 40), -1LL);
  QCOMPARE(bit(300, 31), -1LL);
  QCOMPARE(bit(300, 49), -1LL);
  QCOMPARE(bit(300, 48), bitAt(row, 300, 32).bit);
  // A scrolled window names the value's own bit indices.
  row.firstColumn = 3;
  row.count = 64;
  row.lsbIndex = 132;
  QCOMPARE(bit(row.left() + 9 * 63 + 4, 40), 132LL);
  QCOMPARE(bit(row.left(), 40), 132LL + 64);
  row.count = 0;
  QCOMPARE(bit(100, 40), -1LL);
}

void RulesTest::bitNumbers() {
  std::string row = bitNumberRow(67, 0);
  QCOMPARE(row.size(), size_t(67));
  QCOMPARE(row[66], '0');
  QCOMPARE(row.substr(49, 2), std::string("16"));
  QCOMPARE(row.substr(33, 2), std::string("32"));
  QCOMPARE(row.substr(17, 2), std::string("48"));
  QCOMPARE(row.substr(1, 2), std::string("64"));
  QCOMPARE(67 - std::count(row.begin(), row.end(), ' '), 9L);

  // A window ending at bit 132: 144 ends in column 66 - 12.
  row = bitNumberRow(67, 132);
  QCOMPARE(row.substr(52, 3), std::string("144"));
  QCOMPARE(row.substr(60), std::string(7, ' '));
  // A number that does not fit on the left is cut there.
  QCOMPARE(bitNumberRow(2, 1008), std::string("08"));
  QCOMPARE(bitNumberRow(0, 0), std::string());
}

void RulesTest::hexDigitsToBits() {
  QCOMPARE(bitsOfHexDigits("0F"), std::string("00001111"));
  QCOMPARE(bitsOfHexDigits("a5"), std::string("10100101"));
  QCOMPARE(bitsOfHexDigits("3G7"), std::string("0011"));
  QCOMPARE(bitsOfHexDigits(""), std::string());
  QCOMPARE(leadingHexDigits("ABcd9 x"), size_t(5));
  QCOMPARE(leadingHexDigits("ative value."), size_t(1));
  QCOMPARE(leadingHexDigits(""), size_t(0));
}

void RulesTest::courierNewResolvesToAMetricTwin() {
  const QFont font = courierNew(20);
  const QString family = QFontInfo(font).family();
  const int advance = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
  QVERIFY2(family == QLatin1String("Courier New") || family == QLatin1String("Liberation Mono") || advance == 12,
           qPrintable(QStringLiteral("resolved to %1 with a %2-pixel advance").arg(family).arg(advance)));
  QCOMPARE(characterWidth(font), 12.0);
  // The buttons' font is sized by its cell height, 18 pixels.
  QVERIFY(qAbs(QFontMetrics(buttonFont()).height() - 18) <= 1);
  // Columns of a 614-pixel client at 12 pixels: (614 - 5) / 12.
  QCOMPARE(columnsFor(614, 12.0), 50);
  QCOMPARE(columnsFor(3, 12.0), 0);
  QCOMPARE(paneFonts(-20).small.pixelSize(), 15);
}

void RulesTest::valueSize_data() {
  QTest::addColumn<QString>("hex");
  QTest::addColumn<QString>("dec");
  QTest::addColumn<int>("digits");  // -1: not a value
  QTest::addColumn<int>("bits");
  QTest::newRow("0") << "+0x000000000000000" << "0" << 1 << 1;
  QTest::newRow("255") << "+0x0000000000000FF" << "255" << 3 << 8;
  QTest::newRow("-1") << "-0xFFFFFFFFFFFFFFF" << "-1" << 1 << 1;
  // |-2^k| has one bit more than its complement 2^k - 1.
  QTest::newRow("-2") << "-0xFFFFFFFFFFFFFFE" << "-2" << 1 << 2;
  QTest::newRow("-8") << "-0xFFFFFFFFFFFFFF8" << "-8" << 1 << 4;
  QTest::newRow("-9") << "-0xFFFFFFFFFFFFFF7" << "-9" << 1 << 4;
  QTest::newRow("-2^60") << "-0xF000000000000000" << "-1152921504606846976" << 19 << 61;
  QTest::newRow("-(2^60+1)") << "-0xEFFFFFFFFFFFFFFF" << "-1152921504606846977" << 19 << 61;
  QTest::newRow("message") << "Divide by zero." << "Divide by zero." << -1 << 0;
  QTest::newRow("hex message tail") << "negative value." << "negative value." << -1 << 0;
}

void RulesTest::valueSize() {
  QFETCH(QString, hex);
  QFETCH(QString, dec);
  QFETCH(int, digits);
  QFETCH(int, bits);
  const std::optional<ValueSize> size = valueSizeOf(hex.toStdString(), dec.toStdString());
  QCOMPARE(size.has_value(), digits >= 0);
  if (!size) return;
  QCOMPARE(size->digits, int64_t{digits});
  QCOMPARE(size->bits, int64_t{bits});
}

void RulesTest::everyMessageHasAHint() {
  const char* const messages[] = {MSG_DIVIDE_BY_ZERO,  MSG_BAD_ARGUMENT, MSG_NEGATIVE_VALUE,
                                  MSG_NEGATIVE_VALUE_MODULAR, MSG_TOO_BIG_VALUE, MSG_SCALE_OVER,
                                  MSG_LIMIT_OVER,      MSG_EVEN_VALUE,   MSG_NEGATIVE_VALUE_LOWER,
                                  "Out of memory."};
  for (const char* message : messages)
    QVERIFY2(QString::fromStdString(hintForMessage(message)).endsWith(QStringLiteral("C clears")), message);
  QVERIFY(hintForMessage("12345").empty());
  QCOMPARE(QString::fromStdString(sizeText({1, 1})), QStringLiteral("1 digit \u00b7 1 bit"));
}

QTEST_MAIN(RulesTest)
#include "ui_rules_test.moc"
