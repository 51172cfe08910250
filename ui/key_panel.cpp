#include "ui/key_panel.h"

#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "engine/command_engine.h"
#include "engine/command_ids.h"
#include "engine/command_worker.h"
#include "engine/key_labels.h"
#include "engine/text_buffers.h"
#include "ui/keyboard_shortcuts.h"
#include "ui/limits.h"

namespace quorvel::ui {

namespace {

enum class Kind { PUSH, RADIO, GROUP };

struct Key {
  const char* label;
  int id;  // 0 for the group boxes
  Kind kind;
  int x, y, width, height;
  bool enabled = true;
  bool checked = false;
};

constexpr int W = KEY_PANEL_WIDTH;
constexpr int B = KEY_PANEL_HEIGHT;
constexpr int KW = 80, KH = 22;  // the size of almost every key

// In creation order, which is also the stacking order (later on top). The
// places are written as offsets from the panel's right and bottom edges.
const Key KEYS[] = {
    {"", 0, Kind::GROUP, W - 190, -4, 80, 55},
    {"Hex", CMD_HEX, Kind::RADIO, W - 185, 8, 70, 20},
    {"Dec", CMD_DEC, Kind::RADIO, W - 185, 29, 70, 20, true, true},
    {"0", CMD_DIGIT_0, Kind::PUSH, W - 280, B - 35, KW, KH},
    {"=", CMD_EQUALS, Kind::PUSH, W - 190, B - 35, 170, KH},
    {"1", CMD_DIGIT_1, Kind::PUSH, W - 280, B - 65, KW, KH},
    {"2", CMD_DIGIT_1 + 1, Kind::PUSH, W - 190, B - 65, KW, KH},
    {"3", CMD_DIGIT_1 + 2, Kind::PUSH, W - 100, B - 65, KW, KH},
    {"4", CMD_DIGIT_1 + 3, Kind::PUSH, W - 280, B - 95, KW, KH},
    {"5", CMD_DIGIT_1 + 4, Kind::PUSH, W - 190, B - 95, KW, KH},
    {"6", CMD_DIGIT_1 + 5, Kind::PUSH, W - 100, B - 95, KW, KH},
    {"7", CMD_DIGIT_1 + 6, Kind::PUSH, W - 280, B - 125, KW, KH},
    {"8", CMD_DIGIT_1 + 7, Kind::PUSH, W - 190, B - 125, KW, KH},
    {"9", CMD_DIGIT_9, Kind::PUSH, W - 100, B - 125, KW, KH},
    // The hexadecimal digits start disabled: the program starts in
    // decimal entry.
    {"A", CMD_DIGIT_A, Kind::PUSH, W - 280, B - 155, KW, KH, false},
    {"B", CMD_DIGIT_A + 1, Kind::PUSH, W - 190, B - 155, KW, KH, false},
    {"C", CMD_DIGIT_A + 2, Kind::PUSH, W - 100, B - 155, KW, KH, false},
    {"D", CMD_DIGIT_A + 3, Kind::PUSH, W - 280, B - 185, KW, KH, false},
    {"E", CMD_DIGIT_A + 4, Kind::PUSH, W - 190, B - 185, KW, KH, false},
    {"F", CMD_DIGIT_F, Kind::PUSH, W - 100, B - 185, KW, KH, false},
    {"+/-", CMD_NEGATE, Kind::PUSH, W - 280, B - 225, KW, KH},
    {"(", CMD_OPEN, Kind::PUSH, W - 190, B - 225, KW, KH},
    {")", CMD_CLOSE, Kind::PUSH, W - 100, B - 225, KW, KH},
    {"MS", CMD_MEMORY_STORE, Kind::PUSH, W - 280, B - 255, KW, KH},
    {"M+", CMD_MEMORY_ADD, Kind::PUSH, W - 190, B - 255, KW, KH},
    {"M-", CMD_MEMORY_SUBTRACT, Kind::PUSH, W - 100, B - 255, KW, KH},
    {"MR", CMD_MEMORY_RECALL, Kind::PUSH, W - 280, B - 285, KW, KH},
    {"MC", CMD_MEMORY_CLEAR, Kind::PUSH, W - 190, B - 285, KW, KH},
    {"CE", CMD_CLEAR_ENTRY, Kind::PUSH, W - 100, B - 285, KW, KH},
    {"C", CMD_CLEAR_ALL, Kind::PUSH, W - 100, B - 325, KW, KH},
    {"Modular exp.", 0, Kind::GROUP, W - 485, B - 343, 180, 48},
    {"Modulo", CMD_MODULO, Kind::PUSH, W - 479, B - 320, KW, KH},
    {"Power", CMD_MODULAR_POWER, Kind::PUSH, W - 392, B - 320, KW, KH},
    {"x^y", CMD_POWER, Kind::PUSH, W - 480, B - 285, KW, KH},
    {"nPr", CMD_PERMUTATIONS, Kind::PUSH, W - 390, B - 285, KW, KH},
    {"Sqrt", CMD_SQRT, Kind::PUSH, W - 480, B - 255, KW, KH},
    {"nCr", CMD_COMBINATIONS, Kind::PUSH, W - 390, B - 255, KW, KH},
    {"Exp", CMD_EXP, Kind::PUSH, W - 480, B - 225, KW, KH},
    {"n!", CMD_FACTORIAL, Kind::PUSH, W - 390, B - 225, KW, KH},
    {"<<", CMD_SHIFT_LEFT, Kind::PUSH, W - 480, B - 195, KW, KH},
    {"GCD", CMD_GCD, Kind::PUSH, W - 390, B - 195, KW, KH},
    {">>", CMD_SHIFT_RIGHT, Kind::PUSH, W - 480, B - 165, KW, KH},
    {"MOD", CMD_MOD, Kind::PUSH, W - 390, B - 165, KW, KH},
    {"NOT", CMD_NOT, Kind::PUSH, W - 480, B - 135, KW, KH},
    {"/", CMD_DIVIDE, Kind::PUSH, W - 390, B - 135, KW, KH},
    {"AND", CMD_AND, Kind::PUSH, W - 480, B - 105, KW, KH},
    {"*", CMD_MULTIPLY, Kind::PUSH, W - 390, B - 105, KW, KH},
    {"OR", CMD_OR, Kind::PUSH, W - 480, B - 75, KW, KH},
    {"-", CMD_SUBTRACT, Kind::PUSH, W - 390, B - 75, KW, KH},
    {"XOR", CMD_XOR, Kind::PUSH, W - 480, B - 45, KW, KH},
    {"+", CMD_ADD, Kind::PUSH, W - 390, B - 45, KW, KH},
};

QColor rgb(const int (&c)[3]) { return QColor(c[0], c[1], c[2]); }

}  // namespace

KeyPanel::KeyPanel(QWidget* parent, const QFont& buttonFont, CommandEngine& engine, TextBuffers& texts,
                   CommandWorker& worker, std::function<void(bool, int)> afterHandOff)
    : QWidget(parent),
      buttonFont_(buttonFont),
      engine_(engine),
      worker_(worker),
      afterHandOff_(std::move(afterHandOff)) {
  setFixedSize(KEY_PANEL_WIDTH, KEY_PANEL_HEIGHT);
  QPalette background = palette();
  background.setColor(QPalette::Window, rgb(BACKGROUND_RGB));
  setPalette(background);
  setAutoFillBackground(true);

  for (const Key& key : KEYS) {
    const QString label = QString::fromLatin1(key.label);
    QWidget* widget = nullptr;
    QAbstractButton* button = nullptr;
    switch (key.kind) {
      case Kind::GROUP: widget = new QGroupBox(label, this); break;
      case Kind::RADIO: widget = button = new QRadioButton(label, this); break;
      case Kind::PUSH: widget = button = new QPushButton(label, this); break;
    }
    widget->setFont(buttonFont_);
    widget->setGeometry(key.x, key.y, key.width, key.height);
    // Keys reach the calculator only through its own shortcuts: a key with
    // the focus would take Space as another click of itself.
    widget->setFocusPolicy(Qt::NoFocus);
    if (!button) continue;
    button->setToolTip(keyTooltip(key.id));
    button->setEnabled(key.enabled);
    button->setChecked(key.checked);
    // A click sends the id, also on an already checked radio button.
    const int id = key.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { command(id); });
    buttons_[id] = button;
  }

  texts.publishTexts("+0x000000000000000", "0");
  worker_.start();
}

void KeyPanel::command(int id) { press({id, 0}); }

void KeyPanel::toggleBit(int bit) { press({CMD_BIT_TOGGLE, bit}); }

void KeyPanel::press(WaitingKey key) {
  if ((key.id & 0xffff) == CMD_CLEAR_ALL) {
    // Cancels a running command: what was typed behind it goes with it.
    waiting_.clear();
    handOff(key);
    return;
  }
  // Behind a running command, or behind keys that still wait for their
  // turn (the worker may have ended before its report arrived here).
  if (worker_.busy() || !waiting_.empty()) {
    if (keysWaiting() < TYPE_AHEAD_MAX_KEYS) waiting_.push_back(key);
    if (afterHandOff_) afterHandOff_(false, keysWaiting());
    return;
  }
  handOff(key);
}

void KeyPanel::handOff(WaitingKey key) {
  // The bit is stored only now: a click that waited keeps its own bit.
  if (key.id == CMD_BIT_TOGGLE) engine_.bitToggleIndex.store(key.bit, std::memory_order_relaxed);
  worker_.handOff(key.id);
  if (afterHandOff_) afterHandOff_(true, keysWaiting());
}

void KeyPanel::commandEnded() {
  // A report may come late, after the next command already started; that
  // command's own report hands over what waits.
  if (waiting_.empty() || worker_.busy()) return;
  std::string digits;
  for (auto key = waiting_.begin(); key != waiting_.end() && digitOfCommand(key->id) >= 0; ++key)
    digits.push_back(characterOfDigit(digitOfCommand(key->id)));
  if (digits.size() < 2) {
    const WaitingKey next = waiting_.front();
    waiting_.pop_front();
    handOff(next);
    return;
  }
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(digits.size()));
  engine_.inbox.putDigits(std::move(digits));
  handOff({CMD_TYPE_DIGITS, 0});
}

QAbstractButton* KeyPanel::button(int id) const {
  const auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

void KeyPanel::enableHexDigitKeys(bool enabled) {
  for (int id = CMD_DIGIT_A; id <= CMD_DIGIT_F; ++id)
    if (QAbstractButton* key = button(id)) key->setEnabled(enabled);
}

void KeyPanel::paintEvent(QPaintEvent*) {
  // The indicators show state, read from the engine's flags; the worker
  // asks for this repaint whenever it changes them.
  const bool modulo = engine_.modulusIndicator();
  const bool memory = engine_.memoryIndicator();
  if (!modulo && !memory) return;
  QPainter painter(this);
  painter.setFont(buttonFont_);
  const QFontMetrics metrics(buttonFont_);
  const auto indicator = [&](int x, int y, const char* word) {
    const QString text = QString::fromLatin1(word);
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), rgb(INDICATOR_RGB));
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
  };
  if (modulo) indicator(MODULO_INDICATOR_X, MODULO_INDICATOR_Y, "Modulo");
  if (memory) indicator(MEMORY_INDICATOR_X, MEMORY_INDICATOR_Y, "Memory");
}

}  // namespace quorvel::ui
