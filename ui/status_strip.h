// The strip right of "Font--" that shows "Computing... 2.4 s - Delete
// cancels" while a command has run longer than BUSY_STRIP_DELAY_MS. A timer
// on the window thread polls the worker a few times a second while a
// command is out, and stops once the worker is idle again.
#pragma once

#include <QLabel>
#include <QTimer>
#include <chrono>

namespace quorvel {
class CommandWorker;
}

namespace quorvel::ui {

class BusyStrip : public QLabel {
 public:
  BusyStrip(QWidget* parent, const CommandWorker& worker);

  // Called just after a command was handed to the worker; `fresh` when it
  // started a new command (on an idle worker, or "C" cancelling one) rather
  // than being lost behind a running one.
  void commandHandedOff(bool fresh);

  // Polls the worker once and updates the text (the timer calls this).
  void refresh();

 private:
  const CommandWorker& worker_;
  QTimer poll_;
  std::chrono::steady_clock::time_point started_;
};

// The strip's text after `seconds` of computing.
QString busyText(double seconds);

}  // namespace quorvel::ui
