// The history window (Ctrl+H): the values keys produced in this session,
// newest first, each with its key and, for a long value, its first and last
// digits and the digit count. Double-click or Enter on a line puts that
// value on display as the entry, like "MR". The window stays open beside
// the calculator and follows new values while it is shown.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class QListWidget;

namespace quorvel {
struct HistoryEntry;
class ValueHistory;
}  // namespace quorvel

namespace quorvel::ui {

class HistoryWindow : public QDialog {
 public:
  // `recall` is called on the window thread with the entry picked.
  HistoryWindow(QWidget* parent, const ValueHistory& history, std::function<void(std::shared_ptr<const HistoryEntry>)> recall);

  // Lists the history's entries again.
  void refresh();
  QListWidget* list() const { return list_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const ValueHistory& history_;
  std::function<void(std::shared_ptr<const HistoryEntry>)> recall_;
  QListWidget* list_;
  // The entries as listed, row by row.
  std::vector<std::shared_ptr<const HistoryEntry>> shown_;
};

// One line of the list: the key's label, then the value or its short form
// "28462596809170545189…000000000000 (35,660 digits)".
QString historyLine(const HistoryEntry& entry);

}  // namespace quorvel::ui
