// Find (Ctrl+F, F3, Shift+F3) and Go to (Ctrl+G).
//
// Find looks for a digit string in the decimal text, or in the hexadecimal
// text in Hex entry. A long text is copied out under the lock and searched
// on a thread of its own, which Escape stops; its result comes back to the
// window thread tagged with the search it belongs to, so a stopped or
// superseded search never shows. The matches are positions in the texts of
// one publication: once a new value is shown the marks vanish (the panes
// compare the generation), and F3 searches the new value again.
#include <QLineEdit>
#include <QMetaObject>
#include <QRadioButton>

#include "engine/command_ids.h"
#include "ui/bit_line_pane.h"
#include "ui/decimal_line_pane.h"
#include "ui/digit_search.h"
#include "ui/find_boxes.h"
#include "ui/key_panel.h"
#include "ui/limits.h"
#include "ui/main_window.h"
#include "ui/status_strip.h"
#include "ui/value_size.h"
#include "ui/wrapped_pane.h"

namespace quorvel::ui {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

// What was typed, less the group separators and blanks a user may copy
// along; empty when something else is left.
std::string typedDigits(QString text, bool hexadecimal) {
  text.remove(u',').remove(u' ').remove(u'.');
  if (hexadecimal) text = text.toUpper();
  for (QChar c : text) {
    const bool digit = c.isDigit() && c.unicode() < 0x80;
    const bool hexLetter = hexadecimal && c >= u'A' && c <= u'F';
    if (!digit && !hexLetter) return {};
  }
  return text.toStdString();
}

}  // namespace

bool MainWindow::hexadecimalEntry() const { return keyPanel_->button(CMD_HEX)->isChecked(); }

void MainWindow::askAndFind() {
  const bool hexadecimal = hexadecimalEntry();
  FindBox box(this, fromUtf8(found_.needle), hexadecimal);
  if (!modals_.ask(box)) return;
  const std::string needle = typedDigits(box.digits()->text(), hexadecimal);
  if (needle.empty()) {
    statusStrip_->showNote(hexadecimal ? QStringLiteral("Find takes hexadecimal digits")
                                       : QStringLiteral("Find takes decimal digits"));
    return;
  }
  found_.needle = needle;
  found_.hexadecimal = hexadecimal;
  startSearch();
}

void MainWindow::startSearch() {
  cancelSearch();
  std::string text;
  bool value = false;
  texts_.read([&](const char* hex, const char* dec) {
    value = valueSizeOf(hex, dec).has_value();
    found_.generation = texts_.generationLocked();
    found_.signOffset = dec[0] == '-' ? 1 : 0;
    text = found_.hexadecimal ? std::string(hex + HEX_PREFIX_LENGTH) : std::string(dec + found_.signOffset);
  });
  found_.matches.clear();
  found_.current = 0;
  const uint64_t ticket = ++searchTicket_;
  if (!value) {
    statusStrip_->showNote(QStringLiteral("Find needs a value on display"));
    return;
  }
  if (text.size() < SEARCH_THREAD_MIN_CHARS) {
    const std::atomic<bool> never{false};
    searchFinished(ticket, findAll(text, found_.needle, never));
    return;
  }
  searching_ = true;
  statusStrip_->showNote(QStringLiteral("Searching... Escape stops"));
  auto stop = std::make_shared<std::atomic<bool>>(false);
  searchStop_ = stop;
  searchThread_ = std::thread([this, stop, ticket, text = std::move(text), needle = found_.needle] {
    std::vector<int64_t> matches = findAll(text, needle, *stop);
    if (stop->load()) return;
    // Queued to the window, which joins this thread before it goes.
    QMetaObject::invokeMethod(
        this, [this, ticket, matches = std::move(matches)]() mutable { searchFinished(ticket, std::move(matches)); },
        Qt::QueuedConnection);
  });
}

void MainWindow::cancelSearch() {
  if (searchStop_) searchStop_->store(true);
  if (searchThread_.joinable()) searchThread_.join();
  searchStop_.reset();
  if (searching_) {
    searching_ = false;
    ++searchTicket_;  // a result already queued is dropped
    statusStrip_->showNote(QStringLiteral("Search stopped"));
  }
}

void MainWindow::searchFinished(uint64_t ticket, std::vector<int64_t> matches) {
  if (ticket != searchTicket_) return;
  searching_ = false;
  if (searchThread_.joinable()) searchThread_.join();
  found_.matches = std::move(matches);
  found_.current = 0;
  if (found_.matches.empty()) {
    for (ValuePane* pane : panes()) pane->clearMark();
    statusStrip_->showNote(QStringLiteral("No match for ") + fromUtf8(found_.needle));
    return;
  }
  showMatch();
}

void MainWindow::stepToMatch(int step) {
  if (found_.needle.empty()) {
    askAndFind();
    return;
  }
  if (searching_) return;
  uint64_t generation = 0;
  texts_.read([&](const char*, const char*) { generation = texts_.generationLocked(); });
  // Another value is on display: search it afresh.
  if (generation != found_.generation || found_.hexadecimal != hexadecimalEntry()) {
    found_.hexadecimal = hexadecimalEntry();
    startSearch();
    return;
  }
  if (found_.matches.empty()) return;
  const size_t count = found_.matches.size();
  found_.current = (found_.current + count + (step > 0 ? 1 : count - 1)) % count;
  showMatch();
}

void MainWindow::showMatch() {
  const int64_t at = found_.matches[found_.current];
  markDigits(found_.hexadecimal, at, static_cast<int64_t>(found_.needle.size()), found_.generation,
             found_.signOffset);
  statusStrip_->showNote(fromUtf8("match " + groupedNumber(static_cast<int64_t>(found_.current) + 1) + " of " +
                                  groupedNumber(static_cast<int64_t>(found_.matches.size())) + " \u00b7 digit " +
                                  groupedNumber(at + 1)));
}

void MainWindow::markDigits(bool hexadecimal, int64_t first, int64_t count, uint64_t generation,
                            int64_t signOffset) {
  if (hexadecimal) {
    upperVertical_->setMark(first, count, generation, true);
    upperHorizontal_->setMark(first * BITS_PER_HEX_DIGIT, count * BITS_PER_HEX_DIGIT, generation, true);
    lowerVertical_->clearMark();
    lowerHorizontal_->clearMark();
  } else {
    lowerVertical_->setMark(first + signOffset, count, generation, true);
    lowerHorizontal_->setMark(first + signOffset, count, generation, true);
    upperVertical_->clearMark();
    upperHorizontal_->clearMark();
  }
}

void MainWindow::askAndGoTo() {
  const bool hexadecimal = hexadecimalEntry();
  GoToBox box(this, hexadecimal);
  if (!modals_.ask(box)) return;
  const std::string typed = typedDigits(box.position()->text(), false);
  bool ok = !typed.empty() && typed.size() < 16;
  const int64_t n = ok ? std::stoll(typed) : 0;
  std::optional<ValueSize> size;
  uint64_t generation = 0;
  int64_t hexDigits = 0, signOffset = 0;
  texts_.read([&](const char* hex, const char* dec) {
    size = valueSizeOf(hex, dec);
    generation = texts_.generationLocked();
    hexDigits = static_cast<int64_t>(std::strlen(hex)) - HEX_PREFIX_LENGTH;
    signOffset = dec[0] == '-' ? 1 : 0;
  });
  if (!size) {
    statusStrip_->showNote(QStringLiteral("Go to needs a value on display"));
    return;
  }
  if (box.kind() == GoToBox::Kind::Bit) {
    // The bits of the bit view: four per hexadecimal digit, leading zeros
    // included.
    const int64_t bits = BITS_PER_HEX_DIGIT * hexDigits;
    if (!ok || n >= bits) {
      statusStrip_->showNote(fromUtf8("No such bit: the bit view shows bits 0 to " + groupedNumber(bits - 1)));
      return;
    }
    upperHorizontal_->setMark(bits - 1 - n, 1, generation, true);
    upperVertical_->setMark(hexDigits - 1 - n / BITS_PER_HEX_DIGIT, 1, generation, true);
    lowerVertical_->clearMark();
    lowerHorizontal_->clearMark();
    statusStrip_->showNote(fromUtf8("bit " + groupedNumber(n)));
    return;
  }
  const int64_t digits = hexadecimal ? hexDigits : size->digits;
  if (!ok || n < 1 || n > digits) {
    statusStrip_->showNote(fromUtf8("No such digit: the text has " + groupedNumber(digits) + " digits"));
    return;
  }
  const bool fromRight = box.kind() == GoToBox::Kind::DigitFromRight;
  const int64_t first = fromRight ? digits - n : n - 1;
  markDigits(hexadecimal, first, 1, generation, signOffset);
  statusStrip_->showNote(fromUtf8("digit " + groupedNumber(n) + (fromRight ? " from the right" : "")));
}

}  // namespace quorvel::ui
