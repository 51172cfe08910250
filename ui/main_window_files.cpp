// Files and drops: Save writes the shown value, Open reads a text file, a
// dropped file or text is read the same way. A file is read here on the
// window thread (64 MB at most, a fraction of a second); the engine then
// reads its text exactly as a paste on the worker, so a long conversion
// shows the busy strip and Delete cancels it.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QStandardPaths>

#include "engine/command_ids.h"
#include "ui/key_panel.h"
#include "ui/main_window.h"

namespace quorvel::ui {

namespace {

QString fileName(const QString& path) { return QFileInfo(path).fileName(); }

// The local file among dropped URLs, or an empty string.
QString droppedFile(const QMimeData* data) {
  if (!data->hasUrls()) return {};
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return {};
}

// Where the file dialogs start: the folder of the last file saved or
// opened, else the user's documents folder, else the home folder (a fresh
// account may have no documents folder yet). Never the working folder, which
// is wherever the launcher or the shell happened to be.
QString startFolder(const QString& remembered) {
  for (const QString& folder : {remembered, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)})
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  return QDir::homePath();
}

}  // namespace

void MainWindow::tell(QMessageBox::Icon icon, const QString& title, const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, this);
  modals_.tell(box);
}

bool MainWindow::idleOrExplain(const QString& what) {
  if (!worker_.busy() && keyPanel_->keysWaiting() == 0) return true;
  tell(QMessageBox::Information, QStringLiteral("Quorvel"),
       what + QStringLiteral(" waits: a computation is still running. Wait for its result, or "
                             "press Delete to cancel it, then try again."));
  return false;
}

void MainWindow::askAndSave() {
  QFileDialog dialog(this, QStringLiteral("Save the value"), startFolder(settings_.fileFolder));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(saveFormatFilters());
  dialog.selectNameFilter(filterOfSaveFormat(settings_.saveFormat));
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  const FileChoice choice = modals_.askFileName(dialog);
  if (choice.path.isEmpty()) return;
  settings_.saveFormat = saveFormatOfFilter(choice.filter);
  saveWindowSettings(settings_);
  saveValueTo(choice.path, settings_.saveFormat);
}

bool MainWindow::saveValueTo(const QString& path, SaveFormat format) {
  const std::optional<std::string> text = valueFileText(texts_, format);
  if (!text) {
    tell(QMessageBox::Warning, QStringLiteral("Save - Quorvel"),
         QStringLiteral("There is no value to save: a message is on display. C clears it."));
    return false;
  }
  const QString error = writeTextFile(path, *text);
  if (!error.isEmpty()) {
    tell(QMessageBox::Warning, QStringLiteral("Save - Quorvel"),
         QStringLiteral("Could not save \u201c%1\u201d.\n\n%2").arg(fileName(path), error));
    return false;
  }
  settings_.fileFolder = QFileInfo(path).absolutePath();
  saveWindowSettings(settings_);
  return true;
}

void MainWindow::askAndOpen() {
  QFileDialog dialog(this, QStringLiteral("Open a number"), startFolder(settings_.fileFolder));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
  const FileChoice choice = modals_.askFileName(dialog);
  if (!choice.path.isEmpty()) openFile(choice.path);
}

bool MainWindow::openFile(const QString& path) {
  if (!idleOrExplain(QStringLiteral("Opening \u201c%1\u201d").arg(fileName(path)))) return false;
  FileText file = readTextFile(path);
  if (!file.error.isEmpty()) {
    tell(QMessageBox::Warning, QStringLiteral("Open - Quorvel"),
         QStringLiteral("Could not open \u201c%1\u201d.\n\n%2").arg(fileName(path), file.error));
    return false;
  }
  settings_.fileFolder = QFileInfo(path).absolutePath();
  saveWindowSettings(settings_);
  engine_.tape.noteNextText("open " + fileName(path).toStdString());
  readAsPaste(std::move(file.text));
  return true;
}

void MainWindow::readAsPaste(std::string text) {
  engine_.inbox.putText(std::move(text));
  keyPanel_->command(CMD_PASTE_TEXT);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedFile(event->mimeData()).isEmpty() || event->mimeData()->hasText()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  const QString path = droppedFile(data);
  if (!path.isEmpty()) {
    openFile(path);
  } else if (data->hasText()) {
    if (!idleOrExplain(QStringLiteral("The dropped text"))) return;
    readAsPaste(data->text().toStdString());
  } else {
    return;
  }
  event->acceptProposedAction();
}

void MainWindow::saveTape(const QString& tape) {
  QFileDialog dialog(this, QStringLiteral("Save the tape"), startFolder(settings_.fileFolder));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  const FileChoice choice = modals_.askFileName(dialog);
  if (choice.path.isEmpty()) return;
  const QString error = writeTextFile(choice.path, tape.toStdString());
  if (!error.isEmpty())
    tell(QMessageBox::Warning, QStringLiteral("Save tape - Quorvel"),
         QStringLiteral("Could not save \u201c%1\u201d.\n\n%2").arg(fileName(choice.path), error));
}

}  // namespace quorvel::ui
