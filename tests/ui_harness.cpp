#include "tests/ui_harness.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

#include "engine/command_ids.h"
#include "engine/key_labels.h"
#include "ui/key_panel.h"

namespace quorvel::uitest {

void useTemporaryHome() {
  static QTemporaryDir folder;
  // The documents folder is then HOME/Documents: no user-dirs.dirs applies.
  qputenv("HOME", QFile::encodeName(folder.path()));
  qunsetenv("XDG_CONFIG_HOME");
  QCoreApplication::setOrganizationName(QStringLiteral("quorvel-test"));
  QCoreApplication::setApplicationName(QStringLiteral("quorvel-test"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
  clearSettings();
}

void clearSettings() {
  QSettings settings;
  settings.clear();
  settings.sync();
}

ModalAnswers& modalAnswers() {
  static ModalAnswers answers;
  return answers;
}

QString takeMessage() {
  QStringList& messages = modalAnswers().messages;
  return messages.isEmpty() ? QStringLiteral("(no message box)") : messages.takeLast();
}

namespace {

QString fileDialogSetUp(const QFileDialog& dialog) {
  const bool save = dialog.acceptMode() == QFileDialog::AcceptSave;
  const bool existing = dialog.fileMode() == QFileDialog::ExistingFile;
  return QStringList{save       ? QStringLiteral("save")
                     : existing ? QStringLiteral("open")
                                : QStringLiteral("open any"),
                     dialog.directory().path(), dialog.selectedNameFilter(), dialog.nameFilters().join(u';'),
                     dialog.defaultSuffix()}
      .join(u'|');
}

}  // namespace

std::unique_ptr<ui::MainWindow> newWindow() {
  auto window = std::make_unique<ui::MainWindow>();
  ui::ModalWindows& modals = window->modalWindows();
  modals.tell = [](QMessageBox& box) { modalAnswers().messages << box.text(); };
  modals.popUpMenu = [](QMenu& menu, QPoint) {
    QStringList& entries = modalAnswers().menuEntries;
    entries.clear();
    for (const QAction* action : menu.actions())
      if (!action->isSeparator())
        entries << action->text() + u'|' + action->shortcut().toString(QKeySequence::PortableText);
  };
  modals.askFileName = [](QFileDialog& dialog) {
    modalAnswers().fileDialogs << fileDialogSetUp(dialog);
    return modalAnswers().file;
  };
  window->show();
  if (!QTest::qWaitForWindowExposed(window.get())) qWarning("newWindow: the window was not exposed");
  else if (settle(*window)) return window;
  return nullptr;
}

std::unique_ptr<ui::MainWindow> freshWindow() {
  clearSettings();
  modalAnswers() = ModalAnswers{};
  return newWindow();
}

bool settle(const ui::MainWindow& window, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!window.worker().idle() || window.keyPanel()->keysWaiting() > 0) {
    if (clock.elapsed() > timeoutMs) {
      qWarning("settle: the worker was still busy after %d ms, %d keys waiting", timeoutMs,
               window.keyPanel()->keysWaiting());
      return false;
    }
    QTest::qWait(2);
  }
  QCoreApplication::processEvents();
  return true;
}

bool clickKey(ui::MainWindow& window, int id) {
  QAbstractButton* key = window.keyPanel()->button(id);
  if (!key || !key->isEnabled()) return false;
  QTest::mouseClick(key, Qt::LeftButton, Qt::NoModifier, QPoint(key->width() / 2, key->height() / 2));
  return settle(window);
}

bool clickKeys(ui::MainWindow& window, const std::string& labels) {
  std::istringstream words(labels);
  std::string word;
  while (words >> word) {
    if (const auto id = commandIdOfLabel(word)) {
      if (!clickKey(window, *id)) return false;
      continue;
    }
    const bool hex = word[0] == '#';
    for (size_t i = hex ? 1 : 0; i < word.size(); ++i) {
      const char c = word[i];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0 || !clickKey(window, commandIdOfDigit(digit))) return false;
    }
  }
  return true;
}

bool startLongComputation(ui::MainWindow& window) {
  if (!clickKeys(window, "1 << 100000 + 1 = Modulo 3 Power ( 1 << 100000")) return false;
  QAbstractButton* equals = window.keyPanel()->button(CMD_EQUALS);
  QTest::mouseClick(equals, Qt::LeftButton, Qt::NoModifier, equals->rect().center());
  return true;
}

bool clickControl(ui::MainWindow& window, int id) {
  QAbstractButton* control = window.control(id);
  if (!control) return false;
  const bool radio = id == ui::CONTROL_VERT || id == ui::CONTROL_HORZ;
  const QPoint at = radio ? QPoint(6, control->height() / 2) : control->rect().center();
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
  return settle(window);
}

bool typeKey(ui::MainWindow& window, QWidget* target, int key, const QString& text,
             Qt::KeyboardModifiers modifiers) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(target, &press);
  QCoreApplication::sendEvent(target, &release);
  return settle(window);
}

namespace {

// Sends the key press and release of one character, as a layout would
// report its key code; the window goes by the text.
void sendCharacter(ui::MainWindow& window, char c) {
  const QString text(QChar::fromLatin1(c));
  const int key = QKeySequence(text).isEmpty() ? 0 : QKeySequence(text)[0].key();
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(&window, &press);
  QCoreApplication::sendEvent(&window, &release);
}

}  // namespace

bool typeText(ui::MainWindow& window, const std::string& characters) {
  for (char c : characters) {
    sendCharacter(window, c);
    if (!settle(window)) return false;
  }
  return true;
}

void typeAhead(ui::MainWindow& window, const std::string& characters) {
  for (char c : characters) sendCharacter(window, c);
}

void paintNow(QWidget* widget) { widget->repaint(); }

std::string hexText(const ui::MainWindow& window) { return window.texts().hexText(); }
std::string decText(const ui::MainWindow& window) { return window.texts().decText(); }

QString rgbAt(QWidget* widget, QPoint point) {
  const QColor c = widget->grab().toImage().pixelColor(point);
  return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

}  // namespace quorvel::uitest
