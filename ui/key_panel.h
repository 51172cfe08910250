// The key panel: every calculator key, the Hex/Dec pair, the "Modulo" and
// "Memory" indicators, and the one door to the worker. Keys, keyboard
// shortcuts, the main window's "Paste" and a click in the bit view all end
// in command(), which hands the id over; "C" while a command runs cancels
// it first.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

class QAbstractButton;

namespace quorvel {
class CommandEngine;
class CommandWorker;
class TextBuffers;
}  // namespace quorvel

namespace quorvel::ui {

class KeyPanel : public QWidget {
 public:
  // Writes the initial texts and starts the first worker. `afterHandOff`
  // is told of every command handed over: true when it started a new
  // command, false when it was lost behind a running one.
  KeyPanel(QWidget* parent, const QFont& buttonFont, const CommandEngine& engine, TextBuffers& texts,
           CommandWorker& worker, std::function<void(bool)> afterHandOff);

  // Hands command `id` to the worker (the key panel's command handler).
  void command(int id);

  // The key that sends `id` (a push button or the Hex/Dec radio button).
  QAbstractButton* button(int id) const;

  // Enables (hexadecimal entry) or disables the keys "A".."F".
  void enableHexDigitKeys(bool enabled);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const QFont buttonFont_;
  const CommandEngine& engine_;
  CommandWorker& worker_;
  std::function<void(bool)> afterHandOff_;
  std::map<int, QAbstractButton*> buttons_;
};

}  // namespace quorvel::ui
