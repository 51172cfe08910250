#include "ui/history_window.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "engine/key_labels.h"
#include "engine/value_history.h"
#include "ui/fonts.h"
#include "ui/value_size.h"

namespace quorvel::ui {

namespace {

// Wide enough for the longest key label ("Paste") and a blank.
constexpr int LABEL_COLUMN_CHARS = 7;
constexpr int LIST_FONT_PIXELS = 14;
constexpr int START_WIDTH = 560, START_HEIGHT = 420;

}  // namespace

QString historyLine(const HistoryEntry& entry) {
  QString line = QString::fromLatin1(labelOfCommand(entry.commandId)).leftJustified(LABEL_COLUMN_CHARS);
  line += QString::fromStdString(entry.head);
  if (!entry.tail.empty()) {
    line += QChar(0x2026) + QString::fromStdString(entry.tail);
    line += QStringLiteral(" (") + QString::fromStdString(digitCountText(entry.digits)) + ')';
  }
  return line;
}

HistoryWindow::HistoryWindow(QWidget* parent, const ValueHistory& history,
                             std::function<void(std::shared_ptr<const HistoryEntry>)> recall)
    : QDialog(parent), history_(history), recall_(std::move(recall)), list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("History - Quorvel"));
  list_->setFont(courierNew(LIST_FONT_PIXELS));
  auto* layout = new QVBoxLayout(this);
  auto* help = new QLabel(QStringLiteral("Newest first. Double-click or Enter puts a value on display."), this);
  layout->addWidget(help);
  layout->addWidget(list_);
  resize(START_WIDTH, START_HEIGHT);
  // Double-click, or Enter on the current line.
  connect(list_, &QListWidget::activated, this, [this](const QModelIndex& index) {
    const size_t row = static_cast<size_t>(index.row());
    if (row < shown_.size() && recall_) recall_(shown_[row]);
  });
}

void HistoryWindow::refresh() {
  shown_ = history_.entries();
  list_->clear();
  for (const auto& entry : shown_) list_->addItem(historyLine(*entry));
  // The newest value is the one Enter takes unless another is picked.
  list_->setCurrentRow(0);
}

void HistoryWindow::showEvent(QShowEvent* event) {
  refresh();
  QDialog::showEvent(event);
}

}  // namespace quorvel::ui
