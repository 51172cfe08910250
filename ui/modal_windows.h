// How the main window shows its modal windows: the file dialogs of Save and
// Open, the message boxes that explain a refusal or a failure, the About box,
// the boxes of Find and Go to, and the context menu. The window builds and sets up each one, then hands
// it to one of these function objects, which shows it and waits for the
// answer; the defaults run it modally (exec()).
//
// Tests put functions in their place that read the set-up and answer at
// once: a modal loop waits for whoever answers it, and what a file dialog
// does after accept() depends on its folder model, which another thread
// fills, so driving a real one tests the machine rather than the window.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>

class QDialog;
class QFileDialog;
class QMenu;
class QMessageBox;

namespace quorvel::ui {

// The answer of a file dialog: the file chosen, empty when the dialog was
// cancelled, and the name filter it was chosen under.
struct FileChoice {
  QString path;
  QString filter;
};

FileChoice runFileDialog(QFileDialog& dialog);
void runMessageBox(QMessageBox& box);
void runMenu(QMenu& menu, QPoint globalPosition);
// True when the dialog was accepted.
bool runDialog(QDialog& dialog);

struct ModalWindows {
  std::function<FileChoice(QFileDialog&)> askFileName = runFileDialog;
  std::function<void(QMessageBox&)> tell = runMessageBox;
  std::function<void(QMenu&, QPoint)> popUpMenu = runMenu;
  std::function<bool(QDialog&)> ask = runDialog;
};

}  // namespace quorvel::ui
