// A calculator with a worker thread, driven by key sequences written as the
// command-line calculator takes them ("2 + 3 =", "#FF", "paste:12", "bit:7",
// "copy"), and "open:TEXT" (a text read as a paste through the engine's
// inbox), "backspace" and "isprime" (the verdict). A digit token is typed as
// one run, as the command-line calculator types it, or key by key.
#pragma once

#include <chrono>
#include <string>

#include "engine/command_engine.h"
#include "engine/command_worker.h"
#include "platform/clipboard.h"
#include "platform/display.h"

namespace quorvel::test {

// Counts the repaint requests the engine makes.
class RecordingDisplay : public Display {
 public:
  void invalidatePanes() override { ++paneRepaints; }
  void invalidatePanelRect(PanelRect) override { ++panelRepaints; }
  void enableHexDigitKeys(bool enabled) override { hexKeysEnabled = enabled; }
  std::atomic<int> paneRepaints{0};
  std::atomic<int> panelRepaints{0};
  std::atomic<bool> hexKeysEnabled{false};
};

class EngineHarness {
 public:
  // The longest a key may take before a test gives up on it: the heaviest
  // keys at the cap take seconds, five times that under the sanitizers.
  static constexpr std::chrono::seconds KEY_TIMEOUT{120};

  EngineHarness();
  // Presses the keys of `sequence` one after the other, each after the
  // previous one has finished.
  void keys(const std::string& sequence);
  // Hands one command over without waiting for it.
  void handOff(int id) { worker.handOff(id); }
  // Waits up to KEY_TIMEOUT for the worker to be idle; a test failure that
  // names `what` it waited for when it is not.
  bool waitUntilIdle(const std::string& what);

  // Digit tokens are typed as one run (true) or key by key.
  bool digitsAsRuns = true;
  std::string hex() const { return texts.hexText(); }
  std::string dec() const { return texts.decText(); }

  TextBuffers texts;
  RecordingDisplay display;
  InProcessClipboard clipboard;
  CommandEngine engine;
  CommandWorker worker;
};

}  // namespace quorvel::test
