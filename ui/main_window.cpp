#include "ui/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

#include "engine/command_ids.h"
#include "ui/bit_line_pane.h"
#include "ui/command_for_key.h"
#include "ui/decimal_line_pane.h"
#include "ui/help_dialogs.h"
#include "ui/history_window.h"
#include "ui/key_panel.h"
#include "ui/limits.h"
#include "ui/main_window_layout.h"
#include "ui/program_icon.h"
#include "ui/status_strip.h"
#include "ui/wrapped_pane.h"

namespace quorvel::ui {

namespace {

constexpr int RADIO_SIZE[2] = {70, 20};
constexpr int BUTTON_SIZE[2] = {70, 22};
constexpr int VERT_X = 0, HORZ_X = 72, FONT_LARGER_X = 280, FONT_SMALLER_X = 355;

QAbstractButton* makeButton(QWidget* parent, bool radio, const char* label, const QFont& font, int x, int y) {
  QAbstractButton* button = radio ? static_cast<QAbstractButton*>(new QRadioButton(QString::fromLatin1(label), parent))
                                  : new QPushButton(QString::fromLatin1(label), parent);
  button->setFont(font);
  // Keys reach the calculator only through its own shortcuts: a button
  // with the focus would take Space (and Return) as a click of itself.
  button->setFocusPolicy(Qt::NoFocus);
  const int* size = radio ? RADIO_SIZE : BUTTON_SIZE;
  button->setGeometry(x, y, size[0], size[1]);
  return button;
}

}  // namespace

MainWindow::MainWindow()
    : display_(*this),
      clipboard_(*this),
      observer_(*this, history_),
      engine_(texts_, display_, clipboard_),
      worker_(engine_, display_),
      buttonFont_(buttonFont()),
      paneFonts_(ui::paneFonts(PANE_FONT_START_HEIGHT)) {
  setWindowTitle(QString::fromLatin1(WINDOW_TITLE));
  setWindowIcon(programIcon());
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor(BACKGROUND_RGB[0], BACKGROUND_RGB[1], BACKGROUND_RGB[2]));
  setPalette(background);
  setAutoFillBackground(true);
  setMinimumSize(MIN_CLIENT_WIDTH, MIN_CLIENT_HEIGHT);
  resize(START_CLIENT_WIDTH, START_CLIENT_HEIGHT);
  setAcceptDrops(true);
  engine_.setObserver(&observer_);

  // The window's own controls.
  vert_ = makeButton(this, true, "Vert", buttonFont_, VERT_X, 0);
  horz_ = makeButton(this, true, "Horz", buttonFont_, HORZ_X, 0);
  horz_->setChecked(true);
  // Their own exclusive group: auto-exclusion would take in every radio
  // button below this window, the key panel's "Hex" and "Dec" included, and
  // a press on the checked one would then uncheck it (another member, "Dec",
  // being checked).
  auto* layoutPair = new QButtonGroup(this);
  layoutPair->addButton(vert_);
  layoutPair->addButton(horz_);
  fontLarger_ = makeButton(this, false, "Font++", buttonFont_, FONT_LARGER_X, 0);
  fontSmaller_ = makeButton(this, false, "Font--", buttonFont_, FONT_SMALLER_X, 0);
  copyHex_ = makeButton(this, false, "Copy", buttonFont_, COPY_BUTTON_X, HORIZONTAL_HEX_COPY_Y);
  copyDec_ = makeButton(this, false, "Copy", buttonFont_, COPY_BUTTON_X, HORIZONTAL_DEC_COPY_Y);
  paste_ = makeButton(this, false, "Paste", buttonFont_, PASTE_BUTTON_X, HORIZONTAL_DEC_COPY_Y);
  for (int id = CONTROL_COPY_HEX; id <= CONTROL_FONT_SMALLER; ++id)
    connect(control(id), &QAbstractButton::clicked, this, [this, id] { command(id); });
  statusStrip_ = new StatusStrip(this, worker_, texts_, engine_.progress);
  statusStrip_->setFont(QApplication::font());

  // The key panel writes the first texts and starts the worker.
  keyPanel_ = new KeyPanel(this, buttonFont_, engine_, texts_, worker_, [this](bool fresh, int keysWaiting) {
    statusStrip_->commandHandedOff(fresh, keysWaiting);
  });
  keyPanel_->move(KEY_PANEL_START_X, KEY_PANEL_START_Y);

  upperVertical_ = new WrappedPane(this, texts_, paneFonts_, WrappedPane::Source::Hexadecimal);
  upperVertical_->setGeometry(PANE_X, UPPER_PANE_Y, START_CLIENT_WIDTH - PANE_WIDTH_MARGIN, VERTICAL_PANE_START_HEIGHT);
  lowerVertical_ = new WrappedPane(this, texts_, paneFonts_, WrappedPane::Source::Decimal);
  lowerVertical_->setGeometry(PANE_X, LOWER_VERTICAL_PANE_START_Y, START_CLIENT_WIDTH - PANE_WIDTH_MARGIN,
                              VERTICAL_PANE_START_HEIGHT);
  // A click on a bit flips it through the worker, like a key.
  upperHorizontal_ = new BitLinePane(this, texts_, paneFonts_, [this](int bit) { keyPanel_->toggleBit(bit); });
  upperHorizontal_->setGeometry(PANE_X, UPPER_PANE_Y, START_CLIENT_WIDTH - PANE_WIDTH_MARGIN,
                                UPPER_HORIZONTAL_PANE_HEIGHT);
  lowerHorizontal_ = new DecimalLinePane(this, texts_, paneFonts_);
  lowerHorizontal_->setGeometry(PANE_X, LOWER_HORIZONTAL_PANE_Y, START_CLIENT_WIDTH - PANE_WIDTH_MARGIN,
                                LOWER_HORIZONTAL_PANE_HEIGHT);
  upperVertical_->hide();
  lowerVertical_->hide();

  applyLayout();
  createActions();
  applySettings();
  // Keys reach the key panel whichever widget of this window has the focus.
  qApp->installEventFilter(this);
  qApp->installNativeEventFilter(&goneFilter_);
}

void MainWindow::applySettings() {
  settings_ = loadWindowSettings();
  if (!settings_.geometry.isEmpty()) restoreGeometry(settings_.geometry);
  if (settings_.verticalLayout) showPanePair(true);
  if (settings_.paneFontHeight != paneFonts_.height) changePaneFont(settings_.paneFontHeight);
  if (settings_.hexadecimalEntry) {
    keyPanel_->button(CMD_HEX)->setChecked(true);
    keyPanel_->command(CMD_HEX);
  }
  // From now on each change is written as it happens.
  connect(keyPanel_->button(CMD_HEX), &QAbstractButton::toggled, this, [this](bool hex) {
    settings_.hexadecimalEntry = hex;
    saveWindowSettings(settings_);
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  settings_.geometry = saveGeometry();
  saveWindowSettings(settings_);
  if (historyWindow_) historyWindow_->close();
  if (shortcutsWindow_) shortcutsWindow_->close();
  event->accept();
}

// A search thread still running is stopped and joined before anything it
// reports to goes.
MainWindow::~MainWindow() {
  cancelSearch();
  qApp->removeNativeEventFilter(&goneFilter_);
}

QAbstractButton* MainWindow::control(int id) const {
  switch (id) {
    case CONTROL_COPY_HEX: return copyHex_;
    case CONTROL_COPY_DEC: return copyDec_;
    case CONTROL_PASTE: return paste_;
    case CONTROL_VERT: return vert_;
    case CONTROL_HORZ: return horz_;
    case CONTROL_FONT_LARGER: return fontLarger_;
    case CONTROL_FONT_SMALLER: return fontSmaller_;
    default: return nullptr;
  }
}

void MainWindow::command(int id) {
  switch (id) {
    // The copy buttons read the published texts here on the window thread.
    case CONTROL_COPY_HEX: setSystemClipboardText(texts_.hexText()); break;
    case CONTROL_COPY_DEC: setSystemClipboardText(texts_.decText()); break;
    // Paste goes through the worker like the keyboard's Ctrl+V.
    case CONTROL_PASTE: keyPanel_->command(CMD_PASTE); break;
    case CONTROL_VERT:
      if (!verticalLayout_) showPanePair(true);
      break;
    case CONTROL_HORZ:
      if (verticalLayout_) showPanePair(false);
      break;
    case CONTROL_FONT_LARGER:
      if (paneFonts_.height > PANE_FONT_LARGEST_HEIGHT) changePaneFont(paneFonts_.height - PANE_FONT_STEP);
      break;
    case CONTROL_FONT_SMALLER:
      if (paneFonts_.height < PANE_FONT_SMALLEST_HEIGHT) changePaneFont(paneFonts_.height + PANE_FONT_STEP);
      break;
    default: break;
  }
}

void MainWindow::showPanePair(bool vertical) {
  verticalLayout_ = vertical;
  upperVertical_->setVisible(vertical);
  lowerVertical_->setVisible(vertical);
  upperHorizontal_->setVisible(!vertical);
  lowerHorizontal_->setVisible(!vertical);
  vert_->setChecked(vertical);
  horz_->setChecked(!vertical);
  placeCopyButtons(mainWindowLayout(size(), vertical));
  update();
  settings_.verticalLayout = vertical;
  saveWindowSettings(settings_);
}

void MainWindow::changePaneFont(int newHeight) {
  paneFonts_ = ui::paneFonts(newHeight);
  settings_.paneFontHeight = newHeight;
  saveWindowSettings(settings_);
  flipPaneLayoutFlags();
  repaintPanes();
  update();
}

std::array<ValuePane*, 4> MainWindow::panes() const {
  return {upperVertical_, lowerVertical_, upperHorizontal_, lowerHorizontal_};
}

void MainWindow::flipPaneLayoutFlags() {
  for (ValuePane* pane : panes()) pane->flipLayoutFlag();
}

void MainWindow::placeCopyButtons(const MainWindowLayout& layout) {
  copyHex_->move(layout.hexCopy);
  copyDec_->move(layout.decCopy);
  paste_->move(layout.paste);
}

void MainWindow::applyLayout() {
  const MainWindowLayout layout = mainWindowLayout(size(), verticalLayout_);
  placeCopyButtons(layout);
  upperVertical_->setGeometry(layout.upperVertical);
  lowerVertical_->setGeometry(layout.lowerVertical);
  upperHorizontal_->setGeometry(layout.upperHorizontal);
  lowerHorizontal_->setGeometry(layout.lowerHorizontal);
  keyPanel_->move(layout.keyPanel);
  statusStrip_->setGeometry(BUSY_STRIP_X, BUSY_STRIP_Y, width() - BUSY_STRIP_X - BUSY_STRIP_RIGHT_MARGIN,
                            BUSY_STRIP_HEIGHT);
  flipPaneLayoutFlags();
  update();
}

void MainWindow::resizeEvent(QResizeEvent*) { applyLayout(); }

void MainWindow::repaintPanes() {
  for (ValuePane* pane : panes())
    if (pane) pane->viewport()->update();
}

void MainWindow::repaintKeyPanel(const QRect& area) {
  if (keyPanel_) keyPanel_->update(area);
}

void MainWindow::enableHexDigitKeys(bool enabled) {
  if (keyPanel_) keyPanel_->enableHexDigitKeys(enabled);
}

void MainWindow::commandEnded() {
  if (keyPanel_) keyPanel_->commandEnded();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::KeyPress;
  if ((!press && event->type() != QEvent::ShortcutOverride) || !watched->isWidgetType()) return false;
  if (static_cast<QWidget*>(watched)->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  // Escape stops a running search rather than clearing the value.
  if (searching_ && key->key() == Qt::Key_Escape) {
    if (press) cancelSearch();
    key->accept();
    return true;
  }
  const std::optional<int> id = commandForKey(key->key(), key->modifiers(), key->text());
  if (!id) return false;
  // A calculator key wins over a window shortcut on the same keys (Ctrl+C
  // copies through the worker, as it always has): taking the override
  // makes Qt deliver the key press, which comes back here.
  if (!press) {
    key->accept();
    return true;
  }
  keyPanel_->command(*id);
  return true;
}

}  // namespace quorvel::ui
