// The strip right of "Font--": one line about the calculator's state.
//   - While a command has run longer than BUSY_STRIP_DELAY_MS:
//     "Computing... 2.4 s - Delete cancels", with the keys typed meanwhile
//     that wait for it: "Computing... 2.4 s · 3 keys waiting - Delete
//     cancels"; past a second, for work that reports its fraction done
//     (progress.h), a progress bar at the strip's left and "42% · about
//     12 s left - Delete cancels".
//   - Else, after a note (a paste that held no digit, a refused recall):
//     the note, until the next command.
//   - Else, while a message shows: why, and how to go on (message_hints.h).
//   - Else, for a value of SIZE_TEXT_MIN_DIGITS digits or more, its size:
//     "1,505,150 digits · 5,000,000 bits".
// A timer on the window thread polls the worker a few times a second while
// a command is out and stops once the worker is idle; the idle text is
// worked out once per command, not per poll.
#pragma once

#include <QLabel>
#include <QTimer>
#include <chrono>

class QProgressBar;

namespace quorvel {
class CommandWorker;
class ProgressMeter;
class TextBuffers;
}  // namespace quorvel

namespace quorvel::ui {

class StatusStrip : public QLabel {
 public:
  StatusStrip(QWidget* parent, const CommandWorker& worker, const TextBuffers& texts, const ProgressMeter& progress);

  // Called just after a key was pressed or a waiting key handed over;
  // `fresh` when it started a new command (on an idle worker, or "C"
  // cancelling one) rather than waiting behind a running one, and how many
  // keys wait now. Ends any note.
  void commandHandedOff(bool fresh, int keysWaiting);

  // Shows `note` while the worker is idle, until the next command.
  void showNote(const QString& note);

  // Polls the worker once and updates the text (the timer calls this).
  void refresh();
  // The progress bar, shown only while a long command reports its fraction.
  QProgressBar* progressBar() const { return bar_; }

 private:
  QString idleText() const;
  // Sets `text`, in the largest font size that fits the strip; the whole
  // text is also the tooltip.
  void showText(const QString& text);

  // Shows or hides the bar, making room for it at the left.
  void showBar(bool shown, double fraction = 0);

  const CommandWorker& worker_;
  const TextBuffers& texts_;
  const ProgressMeter& progress_;
  QProgressBar* bar_;
  QTimer poll_;
  std::chrono::steady_clock::time_point started_;
  QString note_;
  int keysWaiting_ = 0;
  // The idle text needs working out again (a command ran since).
  bool idleStale_ = true;
  QString idleText_;
};

//     "Computing... 2.4 s - Delete cancels", with the keys typed meanwhile
//     that wait for it: "Computing... 2.4 s · 3 keys waiting - Delete
//     cancels"; past a second, for work that reports its fraction done
//     (progress.h), a progress bar at the strip's left and "42% · about
//     12 s left - Delete cancels".

}  // namespace quorvel::ui
