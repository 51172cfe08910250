// The main window's actions: the context menu (a right-click anywhere on
// the window), their shortcuts, and the windows they open: the history,
// the keyboard shortcuts and the About box.
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

#include "engine/binary_text.h"
#include "engine/command_ids.h"
#include "ui/help_dialogs.h"
#include "ui/history_window.h"
#include "ui/key_panel.h"
#include "ui/main_window.h"
#include "ui/status_strip.h"

namespace quorvel::ui {

void MainWindow::createActions() {
  for (const WindowActionInfo& info : windowActions()) {
    auto* action = new QAction(QString::fromLatin1(info.text), this);
    if (info.keys.key() != Qt::Key_unknown) action->setShortcut(QKeySequence(info.keys));
    action->setShortcutVisibleInContextMenu(true);
    // Active whichever widget of this window has the focus.
    action->setShortcutContext(Qt::WindowShortcut);
    const WindowAction which = info.action;
    connect(action, &QAction::triggered, this, [this, which] { trigger(which); });
    addAction(action);
    actions_[static_cast<size_t>(info.action)] = action;
  }
}

void MainWindow::trigger(WindowAction action) {
  switch (action) {
    // The copies read the published texts here, like the "Copy" buttons;
    // Ctrl+C itself goes through the worker as a key (eventFilter).
    case WindowAction::CopyDecimal: setSystemClipboardText(texts_.decText()); break;
    case WindowAction::CopyHexadecimal: setSystemClipboardText(texts_.hexText()); break;
    case WindowAction::CopyBinary: {
      const std::string hex = texts_.hexText();
      const std::string binary = binaryTextOfHexText(hex);
      // A message has no binary form; it is copied as it shows.
      setSystemClipboardText(binary.empty() ? hex : binary);
      break;
    }
    case WindowAction::Paste: command(CONTROL_PASTE); break;
    case WindowAction::Save: askAndSave(); break;
    case WindowAction::Open: askAndOpen(); break;
    case WindowAction::Find: askAndFind(); break;
    case WindowAction::FindNext: stepToMatch(+1); break;
    case WindowAction::FindPrevious: stepToMatch(-1); break;
    case WindowAction::GoTo: askAndGoTo(); break;
    // Through the worker like keys: the verdict comes back as a note in
    // the strip, the next prime as the new value.
    case WindowAction::IsPrime: keyPanel_->command(CMD_IS_PRIME); break;
    case WindowAction::NextPrime: keyPanel_->command(CMD_NEXT_PRIME); break;
    case WindowAction::History: showHistory(); break;
    case WindowAction::KeyboardShortcuts: showShortcuts(); break;
    case WindowAction::About: {
      QMessageBox box(this);
      setUpAboutBox(box);
      modals_.tell(box);
      break;
    }
  }
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  for (QAction* action : actions_) {
    menu.addAction(action);
    if (action == this->action(WindowAction::Paste) || action == this->action(WindowAction::Open) ||
        action == this->action(WindowAction::GoTo) || action == this->action(WindowAction::NextPrime))
      menu.addSeparator();
  }
  modals_.popUpMenu(menu, event->globalPos());
}

void MainWindow::showHistory() {
  if (!historyWindow_)
    historyWindow_ = new HistoryWindow(
        this, history_, [this](std::shared_ptr<const HistoryEntry> entry) { recall(std::move(entry)); },
        [this](const QString& tape) { saveTape(tape); });
  historyWindow_->show();
  historyWindow_->raise();
  historyWindow_->activateWindow();
}

void MainWindow::historyChanged() {
  if (historyWindow_ && historyWindow_->isVisible()) historyWindow_->refresh();
}

void MainWindow::recall(std::shared_ptr<const HistoryEntry> entry) {
  if (!idleOrExplain(QStringLiteral("The value from the history"))) return;
  engine_.inbox.putEntry(std::move(entry));
  keyPanel_->command(CMD_PUT_ENTRY);
}

void MainWindow::showShortcuts() {
  if (!shortcutsWindow_) shortcutsWindow_ = new ShortcutsWindow(this);
  shortcutsWindow_->show();
  shortcutsWindow_->raise();
  shortcutsWindow_->activateWindow();
}

void MainWindow::primeVerdictShown(const QString& verdict) { statusStrip_->showNote(verdict); }

void MainWindow::pasteIgnored() { statusStrip_->showNote(QStringLiteral("Nothing pasted: the text holds no digit")); }

}  // namespace quorvel::ui
