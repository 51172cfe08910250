#include "ui/help_dialogs.h"

#include <QHeaderView>
#include <QMessageBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/version.h"
#include "ui/keyboard_shortcuts.h"

namespace quorvel::ui {

ShortcutsWindow::ShortcutsWindow(QWidget* parent) : QDialog(parent), table_(new QTableWidget(this)) {
  setWindowTitle(QStringLiteral("Keyboard shortcuts - Quorvel"));
  const std::vector<ShortcutLine> lines = shortcutLines();
  table_->setColumnCount(2);
  table_->setRowCount(static_cast<int>(lines.size()));
  table_->setHorizontalHeaderLabels({QStringLiteral("Keys"), QStringLiteral("Does")});
  for (int row = 0; row < table_->rowCount(); ++row) {
    table_->setItem(row, 0, new QTableWidgetItem(lines[row].keys));
    table_->setItem(row, 1, new QTableWidgetItem(lines[row].action));
  }
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->resizeColumnsToContents();
  table_->resizeRowsToContents();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  // Tall enough to list every line without scrolling on most screens.
  const int height = table_->horizontalHeader()->height() + table_->verticalHeader()->length() + 4;
  resize(table_->horizontalHeader()->length() + 120, std::min(height + 24, 720));
}

QString aboutText() {
  return QStringLiteral(
             "<h3>Quorvel %1</h3>"
             "<p>A desktop calculator for integers of arbitrary length, up to 5,000,000 bits "
             "(about 1.5 million decimal digits).</p>"
             "<p>Every value is shown at once in hexadecimal, bit by bit, and in full decimal; "
             "long computations run beside the window and Delete cancels them.</p>")
      .arg(QString::fromLatin1(PROGRAM_VERSION));
}

void setUpAboutBox(QMessageBox& box) {
  box.setWindowTitle(QStringLiteral("About Quorvel"));
  box.setText(aboutText());
  // The program's icon (the parent window's) in place of a symbol.
  const QIcon icon = box.windowIcon();
  box.setIconPixmap(icon.pixmap(icon.actualSize(QSize(64, 64))));
  box.setStandardButtons(QMessageBox::Ok);
}

}  // namespace quorvel::ui
