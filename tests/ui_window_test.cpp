// The main window and the key panel, driven through their widgets: the
// state at start, keys and keyboard, the layout on resize, the pane-pair
// switch, the font limits, copy and paste, the indicators and the busy
// strip with its cancel, keyboard focus, the minimum size, Backspace and
// Escape, and the keys' tooltips.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "engine/command_ids.h"
#include "engine/start_up.h"
#include "tests/ui_harness.h"
#include "ui/bit_line_pane.h"
#include "ui/command_for_key.h"
#include "ui/decimal_line_pane.h"
#include "ui/key_panel.h"
#include "ui/status_strip.h"
#include "ui/window_gone_filter.h"
#include "ui/wrapped_pane.h"

using namespace quorvel;
using namespace quorvel::ui;
using namespace quorvel::uitest;

namespace {

const QString BACKGROUND = QStringLiteral("120,160,160");
const QString LIT = QStringLiteral("0,255,80");
// A pixel inside each indicator's strip, clear of the letters.
const QPoint MODULO_PIXEL(211, 11);
const QPoint MEMORY_PIXEL(211, 31);

// The seconds in the busy strip's text, -1 when there are none.
double secondsShown(const QString& text) {
  static const QRegularExpression seconds(QStringLiteral(R"(^Computing\.\.\. (\d+\.\d) s)"));
  const QRegularExpressionMatch match = seconds.match(text);
  return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    prepareNumberCore();
    useTemporaryHome();
  }
  void init();
  void cleanup() { window_.reset(); }

  void startUpState();
  void keysGiveTexts_data();
  void keysGiveTexts();
  void hexAndDecSwitchTheLetterKeys();
  void keyboardCharacters_data();
  void keyboardCharacters();
  void keyboardNamedKeys();
  void keysReachThePanelFromAnyWidget();
  void layoutFollowsTheWindowHeight();
  void vertAndHorzTwice();
  void fontLimits();
  void copyButtonsAndPaste();
  void indicatorsShowState();
  void busyStripAndDeleteCancels();
  void keysTypedAheadRunInOrder();
  void closingDuringAComputationStopsTheWorker();
  void windowDestroyedFromOutsideCloses();
  void noButtonTakesTheKeyboardFocus();
  void minimumSizeKeepsEveryControlReachable();
  void backspaceAndEscape();
  void keyTooltipsNameTheirShortcuts();

 private:
  MainWindow& w() { return *window_; }
  std::unique_ptr<MainWindow> window_;
};

void WindowTest::init() {
  window_ = freshWindow();
  QVERIFY(window_);
}

void WindowTest::startUpState() {
  QCOMPARE(w().windowTitle(), QStringLiteral("Quorvel Ver.0.927 - Tarnwell"));
  QCOMPARE(w().size(), QSize(640, 680));
  QVERIFY(w().control(CONTROL_HORZ)->isChecked());
  QVERIFY(!w().control(CONTROL_VERT)->isChecked());
  QVERIFY(!w().verticalLayout());
  QVERIFY(w().upperHorizontalPane()->isVisible() && w().lowerHorizontalPane()->isVisible());
  QVERIFY(!w().upperVerticalPane()->isVisible() && !w().lowerVerticalPane()->isVisible());

  KeyPanel* panel = w().keyPanel();
  QVERIFY(panel->button(CMD_DEC)->isChecked());
  QVERIFY(!panel->button(CMD_HEX)->isChecked());
  for (int id = CMD_DIGIT_A; id <= CMD_DIGIT_F; ++id) QVERIFY(!panel->button(id)->isEnabled());
  for (int id = CMD_DIGIT_1; id <= CMD_DIGIT_0; ++id) QVERIFY(panel->button(id)->isEnabled());
  // The key panel sits where the first layout put it, 335 above the bottom.
  QCOMPARE(panel->geometry(), QRect(140, 345, 490, 340));

  QCOMPARE(hexText(w()), std::string("+0x000000000000000"));
  QCOMPARE(decText(w()), std::string("0"));
  paintNow(w().lowerHorizontalPane()->viewport());
  paintNow(w().upperHorizontalPane()->viewport());
  QCOMPARE(w().lowerHorizontalPane()->shownText(), QStringLiteral("0"));
  QVERIFY(w().lowerHorizontalPane()->shownSummary().isEmpty());
  QCOMPARE(w().upperHorizontalPane()->shownBits(), QString(60, QLatin1Char('0')));

  QCOMPARE(rgbAt(&w(), QPoint(200, 10)), BACKGROUND);
  QCOMPARE(rgbAt(panel, MODULO_PIXEL), BACKGROUND);
  QCOMPARE(rgbAt(panel, MEMORY_PIXEL), BACKGROUND);
  QCOMPARE(w().statusStrip()->geometry(), QRect(430, 0, 200, 22));
  QVERIFY(w().statusStrip()->text().isEmpty());
}

void WindowTest::keysGiveTexts_data() {
  QTest::addColumn<QString>("keys");
  QTest::addColumn<QString>("hex");  // empty: not checked
  QTest::addColumn<QString>("dec");
  QTest::newRow("2 + 3 =") << "2 + 3 =" << "+0x000000000000005" << "5";
  QTest::newRow("no precedence") << "2 + 3 * 4 =" << "" << "20";
  QTest::newRow("parentheses") << "2 + ( 3 * 4 ) =" << "" << "14";
  QTest::newRow("negate") << "7 +/-" << "-0xFFFFFFFFFFFFFF9" << "-7";
  QTest::newRow("hex entry") << "Hex #FF" << "+0x0000000000000FF" << "255";
  QTest::newRow("repeat =") << "2 + 3 = =" << "" << "8";
  QTest::newRow("error") << "1 / 0 =" << "Divide by zero." << "Divide by zero.";
  QTest::newRow("CE after error") << "1 / 0 = CE 4" << "" << "4";
  QTest::newRow("n!") << "25 n!" << "" << "15511210043330985984000000";
}

void WindowTest::keysGiveTexts() {
  QFETCH(QString, keys);
  QFETCH(QString, hex);
  QFETCH(QString, dec);
  QVERIFY(clickKeys(w(), keys.toStdString()));
  if (!hex.isEmpty()) QCOMPARE(QString::fromStdString(hexText(w())), hex);
  QCOMPARE(QString::fromStdString(decText(w())), dec);
  // The pane shows what the buffer holds.
  paintNow(w().lowerHorizontalPane()->viewport());
  QCOMPARE(w().lowerHorizontalPane()->shownText(), dec);
}

void WindowTest::hexAndDecSwitchTheLetterKeys() {
  KeyPanel* panel = w().keyPanel();
  // Radio buttons take the click on their mark, at the left edge.
  QTest::mouseClick(panel->button(CMD_HEX), Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
  QVERIFY(settle(w()));
  QVERIFY(panel->button(CMD_HEX)->isChecked());
  QVERIFY(!panel->button(CMD_DEC)->isChecked());
  for (int id = CMD_DIGIT_A; id <= CMD_DIGIT_F; ++id) QVERIFY(panel->button(id)->isEnabled());
  QVERIFY(clickKeys(w(), "#1C"));
  QCOMPARE(decText(w()), std::string("28"));

  QTest::mouseClick(panel->button(CMD_DEC), Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
  QVERIFY(settle(w()));
  QVERIFY(panel->button(CMD_DEC)->isChecked());
  for (int id = CMD_DIGIT_A; id <= CMD_DIGIT_F; ++id) QVERIFY(!panel->button(id)->isEnabled());
  // The value on display stays; later digits are decimal.
  QCOMPARE(decText(w()), std::string("28"));
  QVERIFY(clickKeys(w(), "1"));
  QCOMPARE(decText(w()), std::string("281"));
}

void WindowTest::keyboardCharacters_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("dec");
  QTest::newRow("digits and *") << "12*3=" << "36";
  QTest::newRow("+ and -") << "9+4-2=" << "11";
  QTest::newRow("/") << "9/2=" << "4";
  QTest::newRow("% MOD") << "7%4=" << "3";
  QTest::newRow("& AND") << "6&3=" << "2";
  QTest::newRow("| OR") << "4|1=" << "5";
  QTest::newRow("^ XOR") << "6^3=" << "5";
  QTest::newRow("~ NOT") << "5~" << "-6";
  QTest::newRow("parentheses") << "2*(3+4)=" << "14";
  QTest::newRow("letters ignored in decimal mode") << "1a2b" << "12";
}

void WindowTest::keyboardCharacters() {
  QFETCH(QString, typed);
  QFETCH(QString, dec);
  QVERIFY(typeText(w(), typed.toStdString()));
  QCOMPARE(QString::fromStdString(decText(w())), dec);
}

void WindowTest::keyboardNamedKeys() {
  QVERIFY(typeText(w(), "20+1"));
  QVERIFY(typeKey(w(), &w(), Qt::Key_Return, QStringLiteral("\r")));
  QCOMPARE(decText(w()), std::string("21"));
  QVERIFY(typeText(w(), "+1"));
  QVERIFY(typeKey(w(), &w(), Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier));
  QCOMPARE(decText(w()), std::string("22"));
  QVERIFY(typeKey(w(), &w(), Qt::Key_Delete, QString()));
  QCOMPARE(decText(w()), std::string("0"));

  // Ctrl+C copies the decimal text through the worker; Ctrl+V pastes.
  QVERIFY(typeText(w(), "345"));
  QGuiApplication::clipboard()->clear();
  QVERIFY(typeKey(w(), &w(), Qt::Key_C, QStringLiteral("\x03"), Qt::ControlModifier));
  QTRY_COMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("345"));
  QGuiApplication::clipboard()->setText(QStringLiteral("-0x10"));
  QVERIFY(typeKey(w(), &w(), Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier));
  QCOMPARE(decText(w()), std::string("-16"));
  // Keypad digits with their keypad flag.
  QVERIFY(typeKey(w(), &w(), Qt::Key_Delete, QString()));
  QVERIFY(typeKey(w(), &w(), Qt::Key_8, QStringLiteral("8"), Qt::KeypadModifier));
  QCOMPARE(decText(w()), std::string("8"));
}

void WindowTest::keysReachThePanelFromAnyWidget() {
  // Whatever has the focus, a key is a key of the panel.
  QWidget* targets[] = {w().keyPanel()->button(CMD_ADD), w().lowerHorizontalPane()->viewport(),
                        w().control(CONTROL_FONT_LARGER)};
  int expected = 0;
  for (QWidget* target : targets) {
    QVERIFY(typeKey(w(), target, Qt::Key_3, QStringLiteral("3")));
    expected = expected * 10 + 3;
    QCOMPARE(decText(w()), std::to_string(expected));
  }
}

void WindowTest::layoutFollowsTheWindowHeight() {
  QVERIFY(clickControl(w(), CONTROL_VERT));
  w().resize(640, 700);
  QTRY_COMPARE(w().size(), QSize(640, 700));
  QCOMPARE(w().upperVerticalPane()->geometry(), QRect(10, 30, 618, 140));
  QCOMPARE(w().lowerVerticalPane()->geometry(), QRect(10, 200, 618, 140));
  QCOMPARE(w().keyPanel()->pos(), QPoint(140, 365));
  QCOMPARE(w().control(CONTROL_COPY_HEX)->pos(), QPoint(20, 173));
  QCOMPARE(w().control(CONTROL_COPY_DEC)->pos(), QPoint(20, 343));
  QCOMPARE(w().control(CONTROL_PASTE)->pos(), QPoint(100, 343));

  // Short, but no shorter than the window's minimum.
  w().resize(700, 635);
  QTRY_COMPARE(w().size(), QSize(700, 635));
  QCOMPARE(w().keyPanel()->pos(), QPoint(200, 305));
  QCOMPARE(w().upperVerticalPane()->geometry(), QRect(10, 30, 678, 110));
  QCOMPARE(w().lowerVerticalPane()->size(), QSize(678, 110));
  QCOMPARE(w().control(CONTROL_COPY_HEX)->pos(), QPoint(20, 143));
  QCOMPARE(w().control(CONTROL_COPY_DEC)->pos(), QPoint(20, 283));

  QVERIFY(clickControl(w(), CONTROL_HORZ));
  QCOMPARE(w().upperHorizontalPane()->geometry(), QRect(10, 30, 678, 120));
  QCOMPARE(w().lowerHorizontalPane()->geometry(), QRect(10, 193, 678, 80));
  QCOMPARE(w().control(CONTROL_COPY_HEX)->pos(), QPoint(20, 153));
  QCOMPARE(w().control(CONTROL_PASTE)->pos(), QPoint(100, 276));
}

void WindowTest::vertAndHorzTwice() {
  // A long value, scrolled: a real switch or layout change would put the
  // pane back at its start, a repeated press must not.
  QGuiApplication::clipboard()->setText(QString(300, QLatin1Char('7')));
  QVERIFY(clickControl(w(), CONTROL_PASTE));

  QVERIFY(clickControl(w(), CONTROL_VERT));
  QVERIFY(w().verticalLayout());
  QVERIFY(w().control(CONTROL_VERT)->isChecked() && !w().control(CONTROL_HORZ)->isChecked());
  QVERIFY(w().upperVerticalPane()->isVisible() && w().lowerVerticalPane()->isVisible());
  QVERIFY(!w().upperHorizontalPane()->isVisible() && !w().lowerHorizontalPane()->isVisible());
  WrappedPane* lower = w().lowerVerticalPane();
  paintNow(lower->viewport());
  QVERIFY(lower->scrollActive());
  lower->scroll(ScrollRequest::LineForward);
  QCOMPARE(lower->firstVisible(), 1);

  QVERIFY(clickControl(w(), CONTROL_VERT));
  paintNow(lower->viewport());
  QVERIFY(w().verticalLayout());
  QCOMPARE(lower->firstVisible(), 1);
  // The same press leaves its button checked.
  QVERIFY(w().control(CONTROL_VERT)->isChecked() && !w().control(CONTROL_HORZ)->isChecked());

  QVERIFY(clickControl(w(), CONTROL_HORZ));
  QVERIFY(!w().verticalLayout());
  QVERIFY(w().upperHorizontalPane()->isVisible() && !w().upperVerticalPane()->isVisible());
  DecimalLinePane* line = w().lowerHorizontalPane();
  paintNow(line->viewport());
  line->scroll(ScrollRequest::LineForward);
  QVERIFY(clickControl(w(), CONTROL_HORZ));
  paintNow(line->viewport());
  QVERIFY(!w().verticalLayout());
  QCOMPARE(line->firstVisible(), 1);
  QVERIFY(w().control(CONTROL_HORZ)->isChecked() && !w().control(CONTROL_VERT)->isChecked());
}

void WindowTest::fontLimits() {
  QGuiApplication::clipboard()->setText(QString(200, QLatin1Char('1')));
  QVERIFY(clickControl(w(), CONTROL_PASTE));
  DecimalLinePane* pane = w().lowerHorizontalPane();
  paintNow(pane->viewport());
  const int columnsAt20 = pane->scrollPage();
  QCOMPARE(w().paneFonts().height, -20);
  for (int press = 1; press <= 5; ++press) {
    QVERIFY(clickControl(w(), CONTROL_FONT_LARGER));
    QCOMPARE(w().paneFonts().height, -20 - 2 * press);
  }
  QVERIFY(clickControl(w(), CONTROL_FONT_LARGER));
  QCOMPARE(w().paneFonts().height, -30);
  QCOMPARE(w().paneFonts().large.pixelSize(), 30);
  QCOMPARE(w().paneFonts().small.pixelSize(), 25);

  for (int press = 1; press <= 8; ++press) QVERIFY(clickControl(w(), CONTROL_FONT_SMALLER));
  QCOMPARE(w().paneFonts().height, -14);
  QVERIFY(clickControl(w(), CONTROL_FONT_SMALLER));
  QCOMPARE(w().paneFonts().height, -14);
  QCOMPARE(w().paneFonts().small.pixelSize(), 9);

  // The panes lay out with the new font: more, narrower columns.
  paintNow(pane->viewport());
  QVERIFY(pane->scrollPage() > columnsAt20);
}

void WindowTest::copyButtonsAndPaste() {
  QVERIFY(clickKeys(w(), "1234 +/-"));
  QGuiApplication::clipboard()->clear();
  QVERIFY(clickControl(w(), CONTROL_COPY_HEX));
  QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), hexText(w()));
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("-0xFFFFFFFFFFFFB2E"));
  QVERIFY(clickControl(w(), CONTROL_COPY_DEC));
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("-1234"));

  QGuiApplication::clipboard()->setText(QStringLiteral("0x1F"));
  QVERIFY(clickControl(w(), CONTROL_PASTE));
  QCOMPARE(decText(w()), std::string("31"));
  // A pasted number takes further digits.
  QVERIFY(clickKeys(w(), "5"));
  QCOMPARE(decText(w()), std::string("315"));
  // Nothing on the clipboard: nothing changes.
  QGuiApplication::clipboard()->clear();
  QVERIFY(clickControl(w(), CONTROL_PASTE));
  QCOMPARE(decText(w()), std::string("315"));
}

void WindowTest::indicatorsShowState() {
  KeyPanel* panel = w().keyPanel();
  QVERIFY(clickKeys(w(), "5 MS"));
  QCOMPARE(rgbAt(panel, MEMORY_PIXEL), LIT);
  QCOMPARE(rgbAt(panel, MODULO_PIXEL), BACKGROUND);
  QVERIFY(clickKeys(w(), "0 MS"));
  QCOMPARE(rgbAt(panel, MEMORY_PIXEL), BACKGROUND);

  QVERIFY(clickKeys(w(), "8 MS 7 Modulo"));
  QCOMPARE(rgbAt(panel, MODULO_PIXEL), LIT);
  QCOMPARE(rgbAt(panel, MEMORY_PIXEL), LIT);
  // An even modulus is refused and leaves the indicator as it was.
  QVERIFY(clickKeys(w(), "C 4 Modulo"));
  QCOMPARE(decText(w()), std::string("even value."));
  QCOMPARE(rgbAt(panel, MODULO_PIXEL), LIT);
  QVERIFY(clickKeys(w(), "MC"));
  QCOMPARE(rgbAt(panel, MODULO_PIXEL), BACKGROUND);
  QCOMPARE(rgbAt(panel, MEMORY_PIXEL), BACKGROUND);
}

void WindowTest::busyStripAndDeleteCancels() {
  StatusStrip* strip = w().statusStrip();
  QVERIFY(startLongComputation(w()));
  QVERIFY(w().worker().busy());
  QTRY_VERIFY_WITH_TIMEOUT(!strip->text().isEmpty(), 30000);
  QVERIFY(w().worker().busy());
  static const QRegularExpression busy(QStringLiteral(R"(^Computing\.\.\. \d+\.\d s - Delete cancels$)"));
  QVERIFY2(busy.match(strip->text()).hasMatch(), qPrintable(strip->text()));
  QVERIFY(strip->fontMetrics().horizontalAdvance(strip->text()) <= 200);
  // A key pressed meanwhile waits, the strip says so, and the clock goes on.
  const double shown = secondsShown(strip->text());
  QAbstractButton* five = w().keyPanel()->button(CMD_DIGIT_1 + 4);
  QTest::mouseClick(five, Qt::LeftButton, Qt::NoModifier, five->rect().center());
  strip->refresh();
  QVERIFY2(secondsShown(strip->text()) >= shown, qPrintable(strip->text()));
  QVERIFY2(strip->toolTip().contains(QStringLiteral("\u00b7 1 key waiting - Delete cancels")),
           qPrintable(strip->toolTip()));

  // Delete is "C": it cancels, drops the waiting key, and the display shows 0.
  QVERIFY(typeKey(w(), &w(), Qt::Key_Delete, QString()));
  QCOMPARE(w().keyPanel()->keysWaiting(), 0);
  QCOMPARE(decText(w()), std::string("0"));
  QTRY_VERIFY(strip->text().isEmpty());
  // A fresh worker computes on.
  QVERIFY(clickKeys(w(), "2 + 2 ="));
  QCOMPARE(decText(w()), std::string("4"));
  QVERIFY(strip->text().isEmpty());
}

void WindowTest::keysTypedAheadRunInOrder() {
  // "+" is held on the worker until released: a slow key, however fast the
  // machine. The hold ends by itself after a while, so a failing test
  // cannot leave the worker stuck in it.
  struct Hold {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::atomic<bool> holding{false};
    void free() {
      const std::lock_guard lock(mutex);
      release = true;
      released.notify_all();
    }
  };
  auto hold = std::make_shared<Hold>();
  struct FreeOnExit {
    Hold& hold;
    ~FreeOnExit() { hold.free(); }
  } freeOnExit{*hold};
  QVERIFY(typeText(w(), "7"));
  w().worker().beforeCommandForTesting = [hold](int id) {
    if (id != CMD_ADD) return;
    hold->holding = true;
    std::unique_lock lock(hold->mutex);
    hold->released.wait_for(lock, std::chrono::seconds(30), [&] { return hold->release; });
  };
  typeAhead(w(), "+");
  QTRY_VERIFY2(hold->holding, "the worker holding \"+\"");
  // Typed right behind it: they wait, in order, and the strip says so.
  typeAhead(w(), "12=");
  QCOMPARE(w().keyPanel()->keysWaiting(), 3);
  QTRY_VERIFY2(w().statusStrip()->toolTip().contains(QStringLiteral("3 keys waiting")),
               qPrintable(w().statusStrip()->toolTip()));
  hold->free();
  QVERIFY(settle(w()));
  w().worker().beforeCommandForTesting = nullptr;
  QCOMPARE(decText(w()), std::string("19"));
  QVERIFY(w().statusStrip()->text().isEmpty());
}

void WindowTest::closingDuringAComputationStopsTheWorker() {
  QVERIFY(startLongComputation(w()));
  QTest::qWait(100);
  QVERIFY(w().worker().busy());
  // The window stops its worker as it goes; this returns once the worker
  // has left the computation at its next poll.
  w().close();
  window_.reset();
  // A new window computes normally.
  init();
  QVERIFY(clickKeys(w(), "6 * 7 ="));
  QCOMPARE(decText(w()), std::string("42"));
}


void WindowTest::windowDestroyedFromOutsideCloses() {
  // The X11 report that a window is gone: another window's leaves this
  // one open, its own closes it (and with the last window the program ends).
  WindowGoneFilter filter(w());
  const auto id = static_cast<quint32>(w().winId());
  for (const quint32 gone : {id + 1, id}) {
    X11DestroyNotify event{X11DestroyNotify::CODE, 0, 1, gone, gone};
    QVERIFY(!filter.nativeEventFilter("xcb_generic_event_t", &event, nullptr));
    QCoreApplication::processEvents();
    QCOMPARE(w().isVisible(), gone != id);
  }
}

void WindowTest::noButtonTakesTheKeyboardFocus() {
  for (QAbstractButton* button : w().findChildren<QAbstractButton*>())
    QVERIFY2(button->focusPolicy() == Qt::NoFocus, qPrintable(button->text()));
  // Space and Tab go where the keyboard sends them: to the focus widget.
  QApplication::setActiveWindow(&w());
  const auto press = [this](Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &w(), key);
    return settle(w());
  };
  QVERIFY(clickKeys(w(), "7"));
  QVERIFY(press(Qt::Key_Space));
  QCOMPARE(decText(w()), std::string("7"));
  QVERIFY(press(Qt::Key_Tab));
  QVERIFY(press(Qt::Key_Space));
  QCOMPARE(decText(w()), std::string("7"));
  QVERIFY(!w().verticalLayout());
  QVERIFY(w().control(CONTROL_HORZ)->isChecked());
}

void WindowTest::minimumSizeKeepsEveryControlReachable() {
  w().resize(60, 40);
  QTRY_COMPARE(w().size(), QSize(640, 632));
  // Whole, and the widget under its centre: not cut off, not covered.
  const auto reachable = [this](QWidget* widget) {
    const QRect area(widget->mapTo(&w(), QPoint(0, 0)), widget->size());
    QWidget* hit = w().childAt(area.center());
    return w().rect().contains(area) && (hit == widget || widget->isAncestorOf(hit));
  };
  for (const int pair : {CONTROL_VERT, CONTROL_HORZ}) {
    QVERIFY(clickControl(w(), pair));
    for (QAbstractButton* button : w().findChildren<QAbstractButton*>())
      QVERIFY2(reachable(button), qPrintable(button->text()));
    const QWidget* panes[] = {w().upperVerticalPane(), w().lowerVerticalPane(), w().upperHorizontalPane(),
                              w().lowerHorizontalPane()};
    for (const QWidget* pane : panes)
      if (pane->isVisible()) QVERIFY(reachable(const_cast<QWidget*>(pane)));
  }
}

void WindowTest::backspaceAndEscape() {
  const auto backspace = [this] { return typeKey(w(), &w(), Qt::Key_Backspace, QStringLiteral("\b")); };
  QVERIFY(typeText(w(), "123"));
  QVERIFY(backspace());
  QCOMPARE(decText(w()), std::string("12"));
  // A result was not typed: Backspace leaves it.
  QVERIFY(typeText(w(), "+4="));
  QVERIFY(backspace());
  QCOMPARE(decText(w()), std::string("16"));

  // Escape is "C", a cancel included.
  QVERIFY(startLongComputation(w()));
  QVERIFY(w().worker().busy());
  QVERIFY(typeKey(w(), &w(), Qt::Key_Escape, QStringLiteral("\x1b")));
  QCOMPARE(decText(w()), std::string("0"));
  QVERIFY(clickKeys(w(), "2 + 2 ="));
  QCOMPARE(decText(w()), std::string("4"));
}

void WindowTest::keyTooltipsNameTheirShortcuts() {
  // Every key of the panel, by id; the keys its tooltip names must send it.
  int keys = 0;
  for (int id = CMD_DIGIT_1; id <= CMD_BIT_TOGGLE; ++id) {
    QAbstractButton* key = w().keyPanel()->button(id);
    if (!key) continue;
    ++keys;
    const QString tip = key->toolTip();
    const QString prefix = QStringLiteral("Keyboard: ");
    if (!tip.startsWith(prefix)) {
      QCOMPARE(tip, QStringLiteral("No keyboard shortcut"));
      for (char c = ' '; c < 0x7f; ++c)
        QVERIFY2(commandForKey(0, Qt::NoModifier, QString(QChar::fromLatin1(c))) != id, qPrintable(key->text()));
      continue;
    }
    for (const QString& name : tip.mid(prefix.size()).split(QStringLiteral(" or "))) {
      const std::optional<int> sent =
          name.size() == 1 ? commandForKey(0, Qt::NoModifier, name)
                           : commandForKey(QKeySequence::fromString(name)[0].key(), Qt::NoModifier, QString());
      QVERIFY2(sent == id, qPrintable(key->text() + QStringLiteral(": ") + tip));
    }
  }
  QCOMPARE(keys, 49);
}

QTEST_MAIN(WindowTest)
#include "ui_window_test.moc"
