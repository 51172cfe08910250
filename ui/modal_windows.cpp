#include "ui/modal_windows.h"

#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

namespace quorvel::ui {

FileChoice runFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  // selectedFiles() has the default suffix added to a name typed without one.
  return {dialog.selectedFiles().first(), dialog.selectedNameFilter()};
}

void runMessageBox(QMessageBox& box) { box.exec(); }

void runMenu(QMenu& menu, QPoint globalPosition) { menu.exec(globalPosition); }

bool runDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

}  // namespace quorvel::ui
