// The history window (Ctrl+H): the values keys produced in this session,
// newest first, each with the keys that led to it from the value before
// (the tape) and the value or, for a long one, its first and last digits
// and the digit count. Double-click or Enter on a line puts that value on
// display as the entry, like "MR". "Copy tape" and "Save tape..." take the
// whole tape as text, oldest first. The window stays open beside the
// calculator and follows new values while it is shown.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class QAbstractButton;
class QListWidget;

namespace quorvel {
struct HistoryEntry;
class ValueHistory;
}  // namespace quorvel

namespace quorvel::ui {

class HistoryWindow : public QDialog {
 public:
  // `recall` is called on the window thread with the entry picked,
  // `saveTape` with the tape's text to be saved.
  HistoryWindow(QWidget* parent, const ValueHistory& history, std::function<void(std::shared_ptr<const HistoryEntry>)> recall,
                std::function<void(const QString&)> saveTape);

  // Lists the history's entries again.
  void refresh();
  QListWidget* list() const { return list_; }
  // The whole tape, oldest first, a line per entry.
  QString tapeText() const;
  QAbstractButton* copyTapeButton() const { return copyTape_; }
  QAbstractButton* saveTapeButton() const { return saveTape_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const ValueHistory& history_;
  std::function<void(std::shared_ptr<const HistoryEntry>)> recall_;
  QListWidget* list_;
  QAbstractButton* copyTape_;
  QAbstractButton* saveTape_;
  // The entries as listed, row by row.
  std::vector<std::shared_ptr<const HistoryEntry>> shown_;
};

// One line of the list and of the tape: the keys, an arrow, then the value
// or its short form: "10000 n!  → 2846259680917054…000000000000 (35,660
// digits)".
QString historyLine(const HistoryEntry& entry);

}  // namespace quorvel::ui
