// The worker thread and the hand-off of commands to it.
//
// Each worker thread is one generation: its own command slot (`commandId`),
// its own wake-up (`commandEvent`) and its own abort slot. The window thread
// stores a command id in the current generation's slot and signals its
// event; the worker wakes, runs the command on the engine, asks for a
// repaint, clears its slot and waits again. Commands that arrive while one
// runs are not queued: a later id overwrites the slot. Only "C" acts then:
// it sets the running generation's abort flag and wakes it (a worker that
// has just finished then leaves instead of waiting), abandons it, sleeps
// 500 ms, starts a fresh generation and hands "C" to it. Since no two
// generations share a slot or an event, a worker can neither take a command
// meant for its successor nor be left waiting for a wake-up that went
// elsewhere.
//
// The abandoned worker leaves its computation at its next poll and stores
// nothing from then on. Its successor runs its first command only once the
// abandoned worker has left the engine, so the two never drive it at once:
// "C" takes effect within the pause plus the time to the old worker's next
// poll.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/command_runner.h"
#include "platform/display.h"

namespace quorvel {

// How long the window thread waits after abandoning a cancelled worker.
inline constexpr int CANCEL_PAUSE_MS = 500;

class CommandWorker {
 public:
  CommandWorker(CommandRunner& engine, Display& display);
  // Stops every worker it started (tests and orderly program exit).
  ~CommandWorker();
  CommandWorker(const CommandWorker&) = delete;
  CommandWorker& operator=(const CommandWorker&) = delete;

  // Starts the first worker (when the key panel is created).
  void start();
  // The key panel's command handler, on the window thread. Only the low 16
  // bits of wParam name the command.
  void handOff(int wParam);
  // True while a command is being run (from hand-off to completion). Like
  // every member, called on the window thread only.
  bool busy() const;
  // True when the current worker waits for a command and none is pending.
  bool idle() const;
  // Blocks until idle(): the worker wakes the waiting thread when it goes
  // back to its wait, so a key costs two wake-ups, not a polling interval.
  void waitUntilIdle() const;
  // The same, for at most `timeout`; false when the worker was still busy
  // then.
  bool waitUntilIdleFor(std::chrono::milliseconds timeout) const;

  // Called by handOff between its busy check and the cancel, so that a test
  // can make the running command end exactly there.
  std::function<void()> beforeCancelForTesting;
  // Called on the worker thread with each command id just before the
  // command runs, so that a test can make a key slow. Set or cleared only
  // while the worker is idle.
  std::function<void(int)> beforeCommandForTesting;

 private:
  struct Generation;

  void startWorkerThread();
  void commandWorker(Generation& own);
  // Wakes the threads in waitUntilIdle(For).
  void notifyIdle();

  CommandRunner& engine_;
  Display& display_;
  // Held by a worker while it runs a command: an abandoned worker still
  // inside the engine keeps its successor out.
  std::mutex engineTurn_;
  std::shared_ptr<Generation> current_;
  std::atomic<int> liveWorkers_{0};
  // What waitUntilIdle sleeps on. The state it waits for lives in atomics;
  // a worker takes the mutex between changing it and notifying, so a waiter
  // that has just found the worker busy cannot miss the wake-up.
  mutable std::mutex idleMutex_;
  mutable std::condition_variable idleChanged_;
};

}  // namespace quorvel
