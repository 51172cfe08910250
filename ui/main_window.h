// The main window: the frame that owns the calculator (text buffers,
// engine, worker, the history of values), the key panel, the two pairs of
// display panes and the window's own controls: "Vert"/"Horz",
// "Font++"/"Font--", the two "Copy" buttons, "Paste", and the status strip.
// Around them: the window's actions (context menu and shortcuts, in
// main_window_menu.cpp), files and drops (main_window_files.cpp), Find and
// Go to (main_window_find.cpp), and the settings it restores at start and
// writes as they change.
#pragma once

#include <QMessageBox>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/command_engine.h"
#include "engine/command_worker.h"
#include "engine/text_buffers.h"
#include "engine/value_history.h"
#include "ui/fonts.h"
#include "ui/keyboard_shortcuts.h"
#include "ui/modal_windows.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_display.h"
#include "ui/qt_engine_observer.h"
#include "ui/value_files.h"
#include "ui/window_gone_filter.h"
#include "ui/window_settings.h"

class QAbstractButton;
class QAction;

namespace quorvel::ui {

class BitLinePane;
class StatusStrip;
class DecimalLinePane;
class HistoryWindow;
class KeyPanel;
class ShortcutsWindow;
class ValuePane;
class WrappedPane;
struct MainWindowLayout;

// Ids of the main window's own controls.
enum MainWindowControl : int {
  CONTROL_COPY_HEX = 2001,
  CONTROL_COPY_DEC = 2002,
  CONTROL_PASTE = 2003,
  CONTROL_VERT = 2004,
  CONTROL_HORZ = 2005,
  CONTROL_FONT_LARGER = 2006,
  CONTROL_FONT_SMALLER = 2007,
};

class MainWindow : public QWidget {
 public:
  // Creates every window, restores the remembered settings and starts the
  // first worker; call prepareNumberCore() once before.
  MainWindow();
  ~MainWindow() override;

  // The main window's controls, by id (2001..2007).
  void command(int id);

  // Targets of the worker's queued repaint requests (window thread).
  void repaintPanes();
  void repaintKeyPanel(const QRect& area);
  void enableHexDigitKeys(bool enabled);
  void commandEnded();
  // Targets of the engine observer's queued reports (window thread).
  void historyChanged();
  void pasteIgnored();
  void primeVerdictShown(const QString& verdict);

  // The window's actions, as the context menu and their shortcuts run them.
  void trigger(WindowAction action);
  QAction* action(WindowAction action) const { return actions_[static_cast<size_t>(action)]; }

  // Save and Open without their file dialogs: false, after a message box
  // that says why, when the value or the file could not be written or read.
  bool saveValueTo(const QString& path, SaveFormat format);
  bool openFile(const QString& path);

  // What shows the file dialogs, message boxes and the context menu; tests
  // replace its members (modal_windows.h).
  ModalWindows& modalWindows() { return modals_; }

  KeyPanel* keyPanel() const { return keyPanel_; }
  WrappedPane* upperVerticalPane() const { return upperVertical_; }
  WrappedPane* lowerVerticalPane() const { return lowerVertical_; }
  BitLinePane* upperHorizontalPane() const { return upperHorizontal_; }
  DecimalLinePane* lowerHorizontalPane() const { return lowerHorizontal_; }
  QAbstractButton* control(int id) const;
  StatusStrip* statusStrip() const { return statusStrip_; }
  HistoryWindow* historyWindow() const { return historyWindow_; }
  ShortcutsWindow* shortcutsWindow() const { return shortcutsWindow_; }

  const TextBuffers& texts() const { return texts_; }
  const CommandEngine& engine() const { return engine_; }
  const CommandWorker& worker() const { return worker_; }
  CommandWorker& worker() { return worker_; }
  bool verticalLayout() const { return verticalLayout_; }
  const PaneFonts& paneFonts() const { return paneFonts_; }
  const ValueHistory& history() const { return history_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The keyboard shortcuts, for every widget of this window whatever has
  // the focus.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyLayout();
  void placeCopyButtons(const MainWindowLayout& layout);
  void showPanePair(bool vertical);
  void changePaneFont(int newHeight);
  void flipPaneLayoutFlags();
  std::array<ValuePane*, 4> panes() const;

  void applySettings();
  void createActions();
  void askAndSave();
  void askAndOpen();
  void showHistory();
  void showShortcuts();
  void recall(std::shared_ptr<const HistoryEntry> entry);
  // Asks for a file and writes the tape's text there (main_window_files.cpp).
  void saveTape(const QString& tape);
  // Find and Go to (main_window_find.cpp).
  void askAndFind();
  void stepToMatch(int step);
  void askAndGoTo();
  void startSearch();
  void searchFinished(uint64_t ticket, std::vector<int64_t> matches);
  void showMatch();
  // Stops a search running on its thread and waits for it.
  void cancelSearch();
  // Marks `count` digits from `first` (0-based, in the decimal digits or the
  // hexadecimal text after its prefix) in both panes of that text, scrolled
  // into view; clears the marks of the other text.
  void markDigits(bool hexadecimal, int64_t first, int64_t count, uint64_t generation, int64_t signOffset);
  bool hexadecimalEntry() const;
  // Shows a message box through modals_.
  void tell(QMessageBox::Icon icon, const QString& title, const QString& text);
  // Hands `text` to the engine to be read as a paste.
  void readAsPaste(std::string text);
  // True when the worker is idle; else explains in a dialog that `what`
  // waits for the running command (which Delete cancels).
  bool idleOrExplain(const QString& what);

  // Members are destroyed in reverse order: the worker stops before the
  // engine, observer, history, display, clipboard and texts it uses, and
  // before the child windows, which the QWidget base deletes after all
  // members.
  TextBuffers texts_;
  QtDisplay display_;
  QtClipboard clipboard_;
  ValueHistory history_;
  QtEngineObserver observer_;
  CommandEngine engine_;
  CommandWorker worker_;

  WindowSettings settings_;
  ModalWindows modals_;
  WindowGoneFilter goneFilter_{*this};
  std::array<QAction*, WINDOW_ACTION_COUNT> actions_{};

  QFont buttonFont_;
  PaneFonts paneFonts_;
  bool verticalLayout_ = false;

  // The last Find: what was searched, in which text, and where it matched.
  struct FoundDigits {
    std::string needle;
    bool hexadecimal = false;
    uint64_t generation = 0;  // of the texts searched
    int64_t signOffset = 0;   // 1 when the decimal text starts with "-"
    std::vector<int64_t> matches;
    size_t current = 0;
  } found_;
  std::thread searchThread_;
  std::shared_ptr<std::atomic<bool>> searchStop_;
  uint64_t searchTicket_ = 0;
  bool searching_ = false;

  QAbstractButton* vert_ = nullptr;
  QAbstractButton* horz_ = nullptr;
  QAbstractButton* fontLarger_ = nullptr;
  QAbstractButton* fontSmaller_ = nullptr;
  QAbstractButton* copyHex_ = nullptr;
  QAbstractButton* copyDec_ = nullptr;
  QAbstractButton* paste_ = nullptr;
  StatusStrip* statusStrip_ = nullptr;
  HistoryWindow* historyWindow_ = nullptr;
  ShortcutsWindow* shortcutsWindow_ = nullptr;
  KeyPanel* keyPanel_ = nullptr;
  WrappedPane* upperVertical_ = nullptr;
  WrappedPane* lowerVertical_ = nullptr;
  BitLinePane* upperHorizontal_ = nullptr;
  DecimalLinePane* lowerHorizontal_ = nullptr;
};

}  // namespace quorvel::ui
