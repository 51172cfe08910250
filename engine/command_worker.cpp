#include "engine/command_worker.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <thread>

#include "engine/command_ids.h"
#include "platform/abort_flags.h"
#include "platform/auto_reset_event.h"
#include "platform/spin_wait.h"

namespace quorvel {

// Shared by the window thread (while it is the current generation) and its
// worker thread (until that thread ends); it lives as long as either holds it.
struct CommandWorker::Generation {
  // The wParam handed over (its low 16 bits name the command); 0 while the
  // worker is idle.
  std::atomic<int> commandId{0};
  AutoResetEvent commandEvent;
  std::atomic<bool> waiting{false};
  int abortIndex = -1;  // taken on the window thread before the worker starts
};

namespace {

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

CommandWorker::CommandWorker(CommandRunner& engine, Display& display) : engine_(engine), display_(display) {}

CommandWorker::~CommandWorker() {
  // The current worker may be waiting: flag it and wake it so it ends.
  // Abandoned workers were flagged and woken when they were abandoned and
  // end at their next poll.
  if (current_) {
    abortFlags[current_->abortIndex].store(1, std::memory_order_relaxed);
    current_->commandEvent.set();
  }
  while (liveWorkers_.load(std::memory_order_acquire) > 0) pause(1);
}

void CommandWorker::start() { startWorkerThread(); }

bool CommandWorker::busy() const { return current_ && current_->commandId.load(std::memory_order_acquire) != 0; }

bool CommandWorker::idle() const { return current_ && !busy() && current_->waiting.load(std::memory_order_acquire); }

void CommandWorker::startWorkerThread() {
  auto generation = std::make_shared<Generation>();
  // Taken here, not by the worker, so that a "C" right after this one finds
  // the flag of the generation it must cancel even before that thread runs.
  generation->abortIndex = takeAbortSlot();
  liveWorkers_.fetch_add(1);
  try {
    // Detached: a cancelled worker is abandoned, never joined.
    std::thread([this, generation] { commandWorker(*generation); }).detach();
  } catch (...) {
    liveWorkers_.fetch_sub(1);
    releaseAbortSlot(generation->abortIndex);
    throw;
  }
  current_ = std::move(generation);
}

void CommandWorker::commandWorker(Generation& own) {
  adoptAbortSlot(own.abortIndex);
  for (;;) {
    own.waiting.store(true, std::memory_order_release);
    notifyIdle();
    own.commandEvent.wait();
    own.waiting.store(false, std::memory_order_release);
    if (isAborted()) break;
    // Read once: the command taken in is the one that runs, and an id
    // handed over from here on is dropped like any other while busy.
    const int id = own.commandId.load(std::memory_order_acquire) & 0xffff;
    if (beforeCommandForTesting) beforeCommandForTesting(id);
    {
      const std::lock_guard turn(engineTurn_);
      if (isAborted()) break;
      const bool acted = engine_.runCommand(id);
      if (isAborted()) break;
      if (acted) {
        // The texts are published already; a repaint request that cannot
        // be allocated leaves the panes as they are until the next one.
        try {
          display_.invalidatePanes();
        } catch (const std::bad_alloc&) {
        }
      }
    }
    // Idle again. A command handed over while this one ran is dropped here;
    // its wake-up still comes and finds 0, which only repaints the panes.
    own.commandId.store(0, std::memory_order_release);
    try {
      display_.commandEnded();
    } catch (const std::bad_alloc&) {
    }
  }
  // Nothing of *this is touched after this line: ~CommandWorker may return
  // as soon as the count reaches 0.
  liveWorkers_.fetch_sub(1, std::memory_order_release);
}

void CommandWorker::handOff(int wParam) {
  if (busy() && (wParam & 0xffff) == CMD_CLEAR_ALL) {
    if (beforeCancelForTesting) beforeCancelForTesting();
    abortFlags[current_->abortIndex].store(1, std::memory_order_relaxed);
    // A worker that finished its command in the meantime is waiting (or
    // about to); the wake-up makes it see its flag and end.
    current_->commandEvent.set();
    pause(CANCEL_PAUSE_MS);
    startWorkerThread();
  }
  current_->commandId.store(wParam, std::memory_order_release);
  current_->commandEvent.set();
}

void CommandWorker::notifyIdle() {
  { const std::lock_guard lock(idleMutex_); }
  idleChanged_.notify_all();
}

void CommandWorker::waitUntilIdle() const {
  if (spinUntil([this] { return idle(); })) return;
  std::unique_lock lock(idleMutex_);
  idleChanged_.wait(lock, [this] { return idle(); });
}

bool CommandWorker::waitUntilIdleFor(std::chrono::milliseconds timeout) const {
  if (spinUntil([this] { return idle(); }, std::min<std::chrono::microseconds>(timeout, SPIN_BEFORE_BLOCKING))) return true;
  std::unique_lock lock(idleMutex_);
  return idleChanged_.wait_for(lock, timeout, [this] { return idle(); });
}

}  // namespace quorvel
