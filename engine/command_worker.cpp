#include "engine/command_worker.h"

#include <chrono>
#include <thread>

#include "engine/command_ids.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

CommandWorker::CommandWorker(CommandEngine& engine, Display& display) : engine_(engine), display_(display) {}

CommandWorker::~CommandWorker() {
  // The current worker may be waiting: flag it and wake it so it ends.
  // Abandoned workers already carry their flags and end at their next poll.
  if (liveWorkers_.load() > 0) {
    abortCurrentWorker();
    commandEvent.set();
  }
  while (liveWorkers_.load(std::memory_order_acquire) > 0) pause(1);
}

void CommandWorker::start() { startWorkerThread(); }

void CommandWorker::startWorkerThread() {
  waiting_.store(false, std::memory_order_release);
  liveWorkers_.fetch_add(1);
  // Detached: a cancelled worker is abandoned, never joined.
  std::thread([this] { commandWorker(); }).detach();
}

void CommandWorker::commandWorker() {
  claimAbortSlot();
  for (;;) {
    if (isAborted()) break;
    commandId.store(0, std::memory_order_release);
    waiting_.store(true, std::memory_order_release);
    commandEvent.wait();
    waiting_.store(false, std::memory_order_release);
    if (isAborted()) break;
    const int id = commandId.load(std::memory_order_acquire) & 0xffff;
    const bool acted = engine_.runCommand(id);
    if (isAborted()) break;
    if (acted) display_.invalidatePanes();
  }
  liveWorkers_.fetch_sub(1, std::memory_order_release);
}

void CommandWorker::handOff(int wParam) {
  if (busy() && (wParam & 0xffff) == CMD_CLEAR_ALL) {
    abortCurrentWorker();
    pause(CANCEL_PAUSE_MS);
    startWorkerThread();
    // The fresh worker clears commandId when it first gets to its wait; a
    // "C" stored before that would be wiped out.
    while (!waiting_.load(std::memory_order_acquire)) pause(1);
  }
  commandId.store(wParam, std::memory_order_release);
  commandEvent.set();
}

void CommandWorker::waitUntilIdle() const {
  while (!idle()) std::this_thread::sleep_for(std::chrono::microseconds(200));
}

}  // namespace quorvel
