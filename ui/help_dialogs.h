// Help: the "Keyboard shortcuts" window (F1), which lists every shortcut
// and stays open beside the calculator, and the About box.
#pragma once

#include <QDialog>
#include <QString>

class QMessageBox;
class QTableWidget;

namespace quorvel::ui {

class ShortcutsWindow : public QDialog {
 public:
  explicit ShortcutsWindow(QWidget* parent);
  QTableWidget* table() const { return table_; }

 private:
  QTableWidget* table_;
};

// The About box's text: the program's name, version and what it is.
QString aboutText();
// Sets up `box` as the About box: the title, aboutText() and the
// program's icon.
void setUpAboutBox(QMessageBox& box);

}  // namespace quorvel::ui
