// The main window: the frame that owns the calculator (text buffers,
// engine, worker), the key panel, the two pairs of display panes and the
// window's own controls: "Vert"/"Horz", "Font++"/"Font--", the two "Copy"
// buttons, "Paste", and the busy strip.
#pragma once

#include <QWidget>
#include <array>

#include "engine/command_engine.h"
#include "engine/command_worker.h"
#include "engine/text_buffers.h"
#include "ui/fonts.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_display.h"

class QAbstractButton;

namespace quorvel::ui {

class BitLinePane;
class BusyStrip;
class DecimalLinePane;
class KeyPanel;
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
  // Creates every window and starts the first worker; call
  // prepareNumberCore() once before.
  MainWindow();
  ~MainWindow() override;

  // The main window's controls, by id (2001..2007).
  void command(int id);

  // Targets of the worker's queued repaint requests (window thread).
  void repaintPanes();
  void repaintKeyPanel(const QRect& area);
  void enableHexDigitKeys(bool enabled);

  KeyPanel* keyPanel() const { return keyPanel_; }
  WrappedPane* upperVerticalPane() const { return upperVertical_; }
  WrappedPane* lowerVerticalPane() const { return lowerVertical_; }
  BitLinePane* upperHorizontalPane() const { return upperHorizontal_; }
  DecimalLinePane* lowerHorizontalPane() const { return lowerHorizontal_; }
  QAbstractButton* control(int id) const;
  BusyStrip* busyStrip() const { return busyStrip_; }

  const TextBuffers& texts() const { return texts_; }
  const CommandEngine& engine() const { return engine_; }
  const CommandWorker& worker() const { return worker_; }
  bool verticalLayout() const { return verticalLayout_; }
  const PaneFonts& paneFonts() const { return paneFonts_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
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

  // Members are destroyed in reverse order: the worker stops before the
  // engine, display, clipboard and texts it uses, and before the child
  // windows, which the QWidget base deletes after all members.
  TextBuffers texts_;
  QtDisplay display_;
  QtClipboard clipboard_;
  CommandEngine engine_;
  CommandWorker worker_;

  QFont buttonFont_;
  PaneFonts paneFonts_;
  bool verticalLayout_ = false;

  QAbstractButton* vert_ = nullptr;
  QAbstractButton* horz_ = nullptr;
  QAbstractButton* fontLarger_ = nullptr;
  QAbstractButton* fontSmaller_ = nullptr;
  QAbstractButton* copyHex_ = nullptr;
  QAbstractButton* copyDec_ = nullptr;
  QAbstractButton* paste_ = nullptr;
  BusyStrip* busyStrip_ = nullptr;
  KeyPanel* keyPanel_ = nullptr;
  WrappedPane* upperVertical_ = nullptr;
  WrappedPane* lowerVertical_ = nullptr;
  BitLinePane* upperHorizontal_ = nullptr;
  DecimalLinePane* lowerHorizontal_ = nullptr;
};

}  // namespace quorvel::ui
