// The worker thread and the hand-off of commands to it.
//
// The window thread stores a command id in `commandId` and signals
// `commandEvent`; the worker wakes, runs the command on the engine, asks for
// a repaint, clears `commandId` and waits again. Commands that arrive while
// one runs are not queued: a later id overwrites the slot. Only "C" acts
// then: it sets the running worker's abort flag, abandons that thread, sleeps
// 500 ms, starts a fresh worker and hands "C" to it. The abandoned worker
// leaves its computation at its next poll and ends without storing anything.
#pragma once

#include <atomic>

#include "engine/command_engine.h"
#include "platform/auto_reset_event.h"

namespace quorvel {

// How long the window thread waits after abandoning a cancelled worker.
inline constexpr int CANCEL_PAUSE_MS = 500;

class CommandWorker {
 public:
  CommandWorker(CommandEngine& engine, Display& display);
  // Stops every worker it started (tests and orderly program exit).
  ~CommandWorker();
  CommandWorker(const CommandWorker&) = delete;
  CommandWorker& operator=(const CommandWorker&) = delete;

  // Starts the first worker (when the key panel is created).
  void start();
  // The key panel's command handler, on the window thread. Only the low 16
  // bits of wParam name the command.
  void handOff(int wParam);
  // True while a command is being run (from hand-off to completion).
  bool busy() const { return commandId.load(std::memory_order_acquire) != 0; }
  // True when the current worker waits for a command and none is pending.
  bool idle() const { return !busy() && waiting_.load(std::memory_order_acquire); }
  // Blocks (polling) until idle().
  void waitUntilIdle() const;

  std::atomic<int> commandId{0};
  AutoResetEvent commandEvent;

 private:
  void startWorkerThread();
  void commandWorker();

  CommandEngine& engine_;
  Display& display_;
  std::atomic<bool> waiting_{false};
  std::atomic<int> liveWorkers_{0};
};

}  // namespace quorvel
