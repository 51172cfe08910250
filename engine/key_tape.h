// The tape: the keys pressed since the last value the history kept, as the
// key labels read ("2 x^y 127 -"), so that each history entry can show how
// its value came about from the one before.
//
// Digits typed in a row make one word ("127"); a backspace takes the last
// one back. Keys without a label of their own are named by what they did:
// "paste" for the clipboard, the word the window gave for an opened or
// dropped text ("open f.txt"), "MR" for a value put back from the history,
// "bit:12" for a bit flipped in the bit view. Keys that change neither the
// value nor the state (copy, the verdict, a repaint) leave no word.
//
// Runs on the worker thread, except noteNextText(), which the window thread
// calls while the worker is idle; the note is kept under a lock.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace quorvel {

class KeyTape {
 public:
  // Records command `id` (after the engine accepted it); `bit` is the bit
  // index of a bit toggle.
  void press(int id, int bit);
  // Records a run of digit keys typed at once (CMD_TYPE_DIGITS), as press()
  // would record them one by one.
  void typeDigits(std::string_view digits);
  // The word for the next CMD_PASTE_TEXT ("open f.txt"); without one it
  // reads "paste".
  void noteNextText(std::string word);
  // The keys since the last take, and a fresh tape.
  std::string take();

 private:
  void append(const std::string& word);
  void keepLatest();

  std::string keys_;
  bool lastWasDigit_ = false;
  std::mutex noteMutex_;
  std::string note_;
};

}  // namespace quorvel
