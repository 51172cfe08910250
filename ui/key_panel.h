// The key panel: every calculator key, the Hex/Dec pair, the "Modulo" and
// "Memory" indicators, and the one door to the worker. Keys, keyboard
// shortcuts, the main window's "Paste" and a click in the bit view all end
// in command() or toggleBit(), which hand the id over.
//
// Type-ahead: a key pressed while a command runs waits here, and the keys
// that wait are handed over in the order they were pressed, each when the
// one before has ended (the worker says so through commandEnded()), so that
// "+1=" typed behind a long key stays "+1=". Digits that wait side by side
// go over as one run (CMD_TYPE_DIGITS), their texts written once. "C" (and
// Delete, Escape) never waits: it drops the waiting keys and cancels the
// running command.
#pragma once

#include <QWidget>
#include <deque>
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
  // is told of every key pressed and every waiting key handed over: true
  // when a new command started (on an idle worker, or "C" cancelling one),
  // false when the key waits; and how many keys wait now.
  KeyPanel(QWidget* parent, const QFont& buttonFont, CommandEngine& engine, TextBuffers& texts,
           CommandWorker& worker, std::function<void(bool fresh, int keysWaiting)> afterHandOff);

  // Hands command `id` to the worker (the key panel's command handler), or
  // keeps it waiting while a command runs.
  void command(int id);
  // The same for a click on bit `bit` of the bit view.
  void toggleBit(int bit);
  // The worker has finished a command: hands over what waits next.
  void commandEnded();
  // Keys waiting for the running command to end.
  int keysWaiting() const { return static_cast<int>(waiting_.size()); }

  // The key that sends `id` (a push button or the Hex/Dec radio button).
  QAbstractButton* button(int id) const;

  // Enables (hexadecimal entry) or disables the keys "A".."F".
  void enableHexDigitKeys(bool enabled);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct WaitingKey {
    int id;
    int bit;  // CMD_BIT_TOGGLE: the bit clicked
  };
  void press(WaitingKey key);
  void handOff(WaitingKey key);

  const QFont buttonFont_;
  CommandEngine& engine_;
  CommandWorker& worker_;
  std::function<void(bool, int)> afterHandOff_;
  std::map<int, QAbstractButton*> buttons_;
  std::deque<WaitingKey> waiting_;
};

}  // namespace quorvel::ui
