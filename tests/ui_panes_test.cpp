// The display panes, painted from the engine's texts: wrapping and right
// alignment, the summary line, the scroll-range rule and the line steps,
// the bit view's clicks and highlight, messages shown as text, the end of
// the scroll range and the low end kept in view over a layout change.
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <memory>

#include "engine/command_ids.h"
#include "engine/start_up.h"
#include "tests/ui_harness.h"
#include "ui/bit_line_pane.h"
#include "ui/decimal_line_pane.h"
#include "ui/key_panel.h"
#include "ui/wrapped_pane.h"

using namespace quorvel;
using namespace quorvel::ui;
using namespace quorvel::uitest;

namespace {

// Where the bit view puts its row, worked out here from the fonts and the
// client width rather than asked of the pane.
struct BitViewGeometry {
  double w;       // column width of the bit font
  int n;          // bit columns
  int rowTop, rowHeight;

  explicit BitViewGeometry(const MainWindow& window) {
    const PaneFonts& fonts = window.paneFonts();
    const QString probe = QStringLiteral("0123456789ABCDEF0123456789ABCDEF");
    w = QFontMetricsF(fonts.small).horizontalAdvance(probe) / 32.0;
    n = static_cast<int>((window.upperHorizontalPane()->viewport()->width() - 5) / w);
    const int hL = QFontMetrics(fonts.large).height(), hS = QFontMetrics(fonts.small).height();
    rowTop = (2 * hL + 2 * hS) / 3 + 6;
    rowHeight = hS;
  }
  // The centre of the column that shows bit `bit` of a value that fits.
  QPoint bitCentre(int bit) const {
    const int column = n - 1 - bit;
    return QPoint(static_cast<int>(1 + (column + 0.5) * w), rowTop + rowHeight / 2);
  }
};

void sendMouseMove(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

}  // namespace

class PanesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    prepareNumberCore();
    useTemporaryHome();
  }
  void init();
  void cleanup() { window_.reset(); }

  void wrappedPanesRightAlignTheShortRow();
  void decimalLineAndSummary();
  void scrollRangeRule();
  void newLengthScrollsBackToTheStart();
  void lineSteps();
  void bitClickFlipsThatBit();
  void clickOutsideTheBitRowDoesNothing();
  void hoverHighlightsTheBit();
  void scrolledBitViewShowsItsOwnBits();
  void messagesAreShownAsText();
  void largeValuePaintsOnlyWhatIsVisible();
  void thumbAtTheEndShowsTheEnd();
  void layoutChangesKeepTheLowEndInView();

 private:
  MainWindow& w() { return *window_; }
  bool paste(const QString& text);
  std::unique_ptr<MainWindow> window_;
};

void PanesTest::init() {
  window_ = freshWindow();
  QVERIFY(window_);
}

bool PanesTest::paste(const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  return clickControl(w(), CONTROL_PASTE);
}

void PanesTest::wrappedPanesRightAlignTheShortRow() {
  QVERIFY(clickControl(w(), CONTROL_VERT));
  const QString digits = QStringLiteral("1234567890").repeated(13);  // 130 digits
  QVERIFY(paste(digits));
  WrappedPane* dec = w().lowerVerticalPane();
  paintNow(dec->viewport());
  const double cw = characterWidth(w().paneFonts().large);
  const int c = static_cast<int>((dec->viewport()->width() - 5) / cw);
  QVERIFY(c > 10 && c < 130);
  const QStringList rows = dec->shownRows();
  const int full = 130 / c, rest = 130 % c;
  QVERIFY(rows.size() >= 2);
  QCOMPARE(rows[0], digits.left(c));
  QCOMPARE(rows[1], digits.mid(c, rows[1].size()));
  if (rows.size() == full + 1 && rest > 0) {
    QCOMPARE(rows.last(), digits.right(rest));
    QCOMPARE(dec->shortRowX(), 1.0 + static_cast<int>((c - rest) * cw));
  }

  // The hexadecimal pane drops "+0x"; 0 is one short row of 15 digits,
  // ending in the last column.
  QVERIFY(clickKeys(w(), "C"));
  WrappedPane* hex = w().upperVerticalPane();
  paintNow(hex->viewport());
  QCOMPARE(hex->shownRows(), QStringList{QString(15, QLatin1Char('0'))});
  QCOMPARE(hex->shortRowX(), 1.0 + static_cast<int>((c - 15) * cw));
  QVERIFY(!hex->scrollActive());
  QVERIFY(!hex->bar()->isEnabled());
  // On screen: blank at the left of the row, ink at its right end.
  const QImage image = hex->viewport()->grab().toImage();
  const int midRow = 1 + QFontMetrics(w().paneFonts().large).height() / 2;
  bool inkLeft = false, inkRight = false;
  for (int x = 0; x < hex->shortRowX() - 1; ++x) inkLeft |= image.pixelColor(x, midRow).lightness() < 128;
  for (int x = static_cast<int>(hex->shortRowX()); x < 1 + c * cw; ++x)
    inkRight |= image.pixelColor(x, midRow).lightness() < 128;
  QVERIFY(!inkLeft);
  QVERIFY(inkRight);
}

void PanesTest::decimalLineAndSummary() {
  DecimalLinePane* pane = w().lowerHorizontalPane();
  const double cw = characterWidth(w().paneFonts().large);
  const int n = static_cast<int>((pane->viewport()->width() - 5) / cw);

  QVERIFY(paste(QStringLiteral("12345678901234567")));
  paintNow(pane->viewport());
  QCOMPARE(pane->shownText(), QStringLiteral("12345678901234567"));
  QVERIFY(pane->shownSummary().isEmpty());
  QCOMPARE(pane->shownTextX(), 1.0 + static_cast<int>((n - 17) * cw));

  QVERIFY(clickKeys(w(), "8"));
  paintNow(pane->viewport());
  QCOMPARE(pane->shownSummary(), QStringLiteral("1.234567890123457 E+17"));
  QVERIFY(paste(QStringLiteral("999999999999999999")));
  paintNow(pane->viewport());
  QCOMPARE(pane->shownSummary(), QStringLiteral("1.000000000000000 E+18"));
  QVERIFY(paste(QStringLiteral("-12345678901234567")));
  paintNow(pane->viewport());
  QCOMPARE(pane->shownText(), QStringLiteral("-12345678901234567"));
  QCOMPARE(pane->shownSummary(), QStringLiteral("-1.234567890123457 E+16"));
}

void PanesTest::scrollRangeRule() {
  DecimalLinePane* pane = w().lowerHorizontalPane();
  const QString digits = QStringLiteral("9876543210").repeated(10);
  QVERIFY(paste(digits));
  paintNow(pane->viewport());
  const int n = pane->scrollPage();
  QVERIFY(n > 0 && n < 100);
  QVERIFY(pane->scrollActive());
  QVERIFY(pane->bar()->isEnabled());
  // Characters: the range runs to the length itself.
  QCOMPARE(pane->scrollMaximum(), 100);
  QCOMPARE(pane->firstVisible(), 0);
  QCOMPARE(pane->shownText(), digits.left(n));

  pane->scroll(ScrollRequest::LineForward);
  paintNow(pane->viewport());
  QCOMPARE(pane->shownText(), digits.mid(1, n));
  pane->scroll(ScrollRequest::PageForward);
  QCOMPARE(pane->firstVisible(), 1 + n);
  pane->scroll(ScrollRequest::PageBack);
  pane->scroll(ScrollRequest::PageBack);
  QCOMPARE(pane->firstVisible(), 0);
  pane->scroll(ScrollRequest::Track, 7);
  QCOMPARE(pane->firstVisible(), 7);
  // Past the end the position stops at maximum - 1 and the last n
  // characters show.
  pane->scroll(ScrollRequest::Track, 5000);
  QCOMPARE(pane->firstVisible(), 99);
  paintNow(pane->viewport());
  QCOMPARE(pane->shownText(), digits.right(n));

  // A value that fits turns the bar off.
  QVERIFY(clickKeys(w(), "C 5"));
  paintNow(pane->viewport());
  QVERIFY(!pane->scrollActive());
  QVERIFY(!pane->bar()->isEnabled());
  QCOMPARE(pane->firstVisible(), 0);
  // Without a range, scroll requests are ignored.
  pane->scroll(ScrollRequest::LineForward);
  QCOMPARE(pane->firstVisible(), 0);
}

void PanesTest::newLengthScrollsBackToTheStart() {
  DecimalLinePane* pane = w().lowerHorizontalPane();
  QVERIFY(paste(QString(120, QLatin1Char('3'))));
  paintNow(pane->viewport());
  pane->scroll(ScrollRequest::Track, 20);
  paintNow(pane->viewport());
  QCOMPARE(pane->firstVisible(), 20);

  // Same length: the pane stays where it is.
  QVERIFY(paste(QString(120, QLatin1Char('4'))));
  paintNow(pane->viewport());
  QCOMPARE(pane->firstVisible(), 20);
  // A new length: back to the start, bar included.
  QVERIFY(clickKeys(w(), "5"));
  paintNow(pane->viewport());
  QCOMPARE(pane->firstVisible(), 0);
  QCOMPARE(pane->bar()->value(), 0);
  QCOMPARE(pane->shownText(), QString(pane->scrollPage(), QLatin1Char('4')));

  // So does a resize of the window.
  pane->scroll(ScrollRequest::Track, 30);
  w().resize(660, 680);
  QTRY_COMPARE(w().width(), 660);
  paintNow(pane->viewport());
  QCOMPARE(pane->firstVisible(), 0);
}

void PanesTest::lineSteps() {
  // 40 hexadecimal digits are 160 bits, more than the bit view's columns.
  QVERIFY(paste(QStringLiteral("0x") + QStringLiteral("0123456789").repeated(4)));
  BitLinePane* bits = w().upperHorizontalPane();
  paintNow(bits->viewport());
  QVERIFY(bits->scrollActive());
  // Bits: the range runs to the bit count of the text after "+0x".
  QCOMPARE(bits->scrollMaximum(), 4 * static_cast<int>(hexText(w()).size() - 3));
  bits->bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(bits->firstVisible(), 4);
  QCOMPARE(bits->bar()->value(), 4);
  bits->bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bits->bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  QCOMPARE(bits->firstVisible(), 4);

  DecimalLinePane* dec = w().lowerHorizontalPane();
  QVERIFY(paste(QString(150, QLatin1Char('1'))));
  paintNow(dec->viewport());
  dec->bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(dec->firstVisible(), 1);

  QVERIFY(clickControl(w(), CONTROL_VERT));
  WrappedPane* rows = w().lowerVerticalPane();
  QVERIFY(paste(QString(2000, QLatin1Char('2'))));
  paintNow(rows->viewport());
  QVERIFY(rows->scrollActive());
  const int columns = rows->shownRows().first().size();
  // Rows: the range is the row count less one.
  QCOMPARE(rows->scrollMaximum(), (2000 + columns - 1) / columns - 1);
  rows->bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(rows->firstVisible(), 1);
  rows->bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  QCOMPARE(rows->firstVisible(), 1 + rows->scrollPage());
}

void PanesTest::bitClickFlipsThatBit() {
  BitLinePane* pane = w().upperHorizontalPane();
  paintNow(pane->viewport());
  const BitViewGeometry view(w());
  QCOMPARE(pane->rowGeometry().top, view.rowTop);

  QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, view.bitCentre(0));
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("1"));
  paintNow(pane->viewport());
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, view.bitCentre(5));
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("33"));
  QCOMPARE(hexText(w()), std::string("+0x000000000000021"));
  paintNow(pane->viewport());
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, view.bitCentre(5));
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("1"));

  // The row's left edge stands for the bit above the 60 shown.
  paintNow(pane->viewport());
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(pane->rowGeometry().left(), view.rowTop + 2));
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("1152921504606846977"));  // 2^60 + 1
}

void PanesTest::clickOutsideTheBitRowDoesNothing() {
  QVERIFY(clickKeys(w(), "6"));
  BitLinePane* pane = w().upperHorizontalPane();
  paintNow(pane->viewport());
  const BitViewGeometry view(w());
  const QPoint onBit = view.bitCentre(0);
  const QPoint misses[] = {QPoint(onBit.x(), view.rowTop - 3),                   // the ruler above
                           QPoint(onBit.x(), view.rowTop + view.rowHeight + 2),  // the numbers below
                           QPoint(onBit.x(), 5),                                  // the digits
                           QPoint(2, view.rowTop + 2)};                           // left of the row
  for (const QPoint& at : misses) {
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QVERIFY(!w().worker().busy());
    QVERIFY(settle(w()));
    QCOMPARE(decText(w()), std::string("6"));
  }
  // Nor does the right button on a bit.
  QTest::mouseClick(pane->viewport(), Qt::RightButton, Qt::NoModifier, onBit);
  QVERIFY(settle(w()));
  QCOMPARE(decText(w()), std::string("6"));
}

void PanesTest::hoverHighlightsTheBit() {
  BitLinePane* pane = w().upperHorizontalPane();
  paintNow(pane->viewport());
  const BitViewGeometry view(w());
  QCOMPARE(pane->hoverBit(), -1LL);

  const QPoint at = view.bitCentre(3);
  sendMouseMove(pane->viewport(), at);
  paintNow(pane->viewport());
  QCOMPARE(pane->hoverBit(), 3LL);
  // The highlighted cell is black where the glyph is not.
  const QImage image = pane->viewport()->grab().toImage();
  const int cellLeft = static_cast<int>(pane->rowGeometry().left() + (pane->rowGeometry().count - 4) * view.w);
  QCOMPARE(image.pixelColor(cellLeft + 1, view.rowTop + 1), QColor(Qt::black));
  // The neighbours stay white.
  QCOMPARE(image.pixelColor(cellLeft - 2, view.rowTop + 1), QColor(Qt::white));

  sendMouseMove(pane->viewport(), QPoint(at.x(), view.rowTop + view.rowHeight + 4));
  paintNow(pane->viewport());
  QCOMPARE(pane->hoverBit(), -1LL);
}

void PanesTest::scrolledBitViewShowsItsOwnBits() {
  // 0x8 followed by 39 zero digits: bit 159 set, 160 bits in all.
  QVERIFY(paste(QStringLiteral("0x8") + QString(39, QLatin1Char('0'))));
  BitLinePane* pane = w().upperHorizontalPane();
  paintNow(pane->viewport());
  const QString hex = QString::fromStdString(hexText(w())).mid(3);
  const BitRowGeometry& row = pane->rowGeometry();
  QCOMPARE(row.count % 4, 0);
  QCOMPARE(pane->shownDigits(), hex.left(row.count / 4));
  QCOMPARE(row.lsbIndex, 4LL * hex.size() - row.count);

  // One line on: one digit further, and the digits stay over their bits.
  pane->scroll(ScrollRequest::LineForward);
  paintNow(pane->viewport());
  QCOMPARE(pane->shownDigits(), hex.mid(1, row.count / 4));
  // A click on the last column flips the value's own bit there, not bit 0.
  const long long flipped = row.lsbIndex;
  QVERIFY(flipped > 0);
  const BitViewGeometry view(w());
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, view.bitCentre(0));
  QVERIFY(settle(w()));
  // 2^159 + 2^flipped, shown in hexadecimal: the digit of bit `flipped`.
  const QString now = QString::fromStdString(hexText(w())).mid(3);
  const int digitIndex = static_cast<int>(now.size() - 1 - flipped / 4);
  QCOMPARE(now.at(digitIndex), QChar(QLatin1Char("1248"[flipped % 4])));
}

void PanesTest::messagesAreShownAsText() {
  QVERIFY(clickKeys(w(), "3 +/- Modulo"));
  QCOMPARE(decText(w()), std::string("negative value."));
  DecimalLinePane* line = w().lowerHorizontalPane();
  BitLinePane* bits = w().upperHorizontalPane();
  paintNow(line->viewport());
  paintNow(bits->viewport());
  QCOMPARE(line->shownText(), QStringLiteral("negative value."));
  QVERIFY(line->shownSummary().isEmpty());
  // After "neg", only the "a" of "ative" is a hexadecimal digit.
  QCOMPARE(bits->shownDigits(), QStringLiteral("a"));
  QCOMPARE(bits->shownBits(), QStringLiteral("1010"));

  QVERIFY(clickKeys(w(), "C 1 / 0 ="));
  paintNow(bits->viewport());
  QCOMPARE(bits->shownBits(), QString());
  QVERIFY(clickControl(w(), CONTROL_VERT));
  paintNow(w().upperVerticalPane()->viewport());
  QCOMPARE(w().upperVerticalPane()->shownRows(), QStringList{QStringLiteral("ide by zero.")});
}

void PanesTest::largeValuePaintsOnlyWhatIsVisible() {
  QVERIFY(clickKeys(w(), "10000 n!"));
  const std::string dec = decText(w());
  QCOMPARE(dec.size(), size_t(35660));
  DecimalLinePane* line = w().lowerHorizontalPane();
  BitLinePane* bits = w().upperHorizontalPane();
  paintNow(line->viewport());
  paintNow(bits->viewport());
  QCOMPARE(line->shownText().toStdString(), dec.substr(0, line->scrollPage()));
  QCOMPARE(line->shownSummary(), QStringLiteral("2.846259680917055 E+35659"));
  QVERIFY(bits->shownBits().size() <= bits->scrollPage());
  QCOMPARE(bits->shownBits().size(), 4 * bits->shownDigits().size());

  QVERIFY(clickControl(w(), CONTROL_VERT));
  WrappedPane* rows = w().lowerVerticalPane();
  paintNow(rows->viewport());
  const int c = rows->shownRows().first().size();
  QVERIFY(rows->shownRows().size() <= rows->scrollPage());
  rows->scroll(ScrollRequest::Track, 100);
  paintNow(rows->viewport());
  QCOMPARE(rows->shownRows().first().toStdString(), dec.substr(100 * static_cast<size_t>(c), c));
}


void PanesTest::thumbAtTheEndShowsTheEnd() {
  // 128 digits, 512 bits. The bit view draws whole digits, so its last
  // position depends on the columns modulo 4: try widths over all four.
  QVERIFY(paste(QStringLiteral("0x") + QStringLiteral("F123456789ABCDE0").repeated(64)));
  const QString hex = QString::fromStdString(hexText(w())).mid(3);
  BitLinePane* bits = w().upperHorizontalPane();
  const auto dragToTheEnd = [](ValuePane* pane) {
    paintNow(pane->viewport());
    pane->scroll(ScrollRequest::Track, 0);
    pane->bar()->setSliderPosition(pane->bar()->maximum());
    paintNow(pane->viewport());
  };
  QSet<int> remainders;
  for (int width = 640; width < 700; width += 3) {
    w().resize(width, 680);
    QTRY_COMPARE(w().width(), width);
    dragToTheEnd(bits);
    remainders.insert(bits->scrollPage() % 4);
    QCOMPARE(bits->rowGeometry().lsbIndex, 0LL);
    QVERIFY(hex.endsWith(bits->shownDigits()));
    QVERIFY(bits->shownNumbers().endsWith(QLatin1Char('0')));
  }
  QCOMPARE(remainders.size(), 4);

  const QString dec = QString::fromStdString(decText(w()));
  DecimalLinePane* line = w().lowerHorizontalPane();
  dragToTheEnd(line);
  QVERIFY(dec.endsWith(line->shownText()));
  QVERIFY(clickControl(w(), CONTROL_VERT));
  for (WrappedPane* rows : {w().upperVerticalPane(), w().lowerVerticalPane()}) {
    dragToTheEnd(rows);
    QVERIFY(rows->scrollActive());
    QVERIFY((rows == w().upperVerticalPane() ? hex : dec).endsWith(rows->shownRows().last()));
  }
}

void PanesTest::layoutChangesKeepTheLowEndInView() {
  // Shown in 29 digits, 116 bits: they fit a wide window, not the
  // narrowest one.
  QVERIFY(paste(QStringLiteral("0xF123456789ABCDE12345")));
  BitLinePane* bits = w().upperHorizontalPane();
  w().resize(1200, 680);
  QTRY_COMPARE(w().width(), 1200);
  paintNow(bits->viewport());
  QVERIFY(!bits->scrollActive());
  w().resize(640, 680);
  QTRY_COMPARE(w().width(), 640);
  paintNow(bits->viewport());
  QVERIFY(bits->scrollActive());
  QCOMPARE(bits->rowGeometry().lsbIndex, 0LL);
  QVERIFY(bits->shownDigits().endsWith(QStringLiteral("12345")));
  // So does a font change; a value scrolled to its start stays at its start.
  QVERIFY(clickControl(w(), CONTROL_FONT_LARGER));
  paintNow(bits->viewport());
  QCOMPARE(bits->rowGeometry().lsbIndex, 0LL);
  bits->scroll(ScrollRequest::Track, 0);
  QVERIFY(clickControl(w(), CONTROL_FONT_LARGER));
  paintNow(bits->viewport());
  QCOMPARE(bits->firstVisible(), 0);
  QVERIFY(bits->rowGeometry().lsbIndex > 0);
}

QTEST_MAIN(PanesTest)
#include "ui_panes_test.moc"
