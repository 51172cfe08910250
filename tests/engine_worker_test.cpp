// The worker thread: hand-off, lost commands while busy, cancellation by "C"
// and the reuse of abort slots.
#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/command_ids.h"
#include "engine/key_labels.h"
#include "platform/abort_flags.h"
#include "tests/support/engine_harness.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Polls done() for up to `limit`; false if it never held.
template <class F>
bool waitFor(F done, std::chrono::milliseconds limit = 10s) {
  const auto deadline = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Stands in for the engine: every command returns at once, except
// HELD_COMMAND, which runs until release().
class HeldCommandRunner final : public CommandRunner {
 public:
  static constexpr int HELD_COMMAND = CMD_EQUALS;

  bool runCommand(int id) override {
    std::unique_lock lock(mutex_);
    ran_.push_back(id);
    if (id == HELD_COMMAND) {
      holding_ = true;
      released_.wait_for(lock, 20s, [&] { return isReleased_; });
      holding_ = false;
    }
    return true;
  }
  void release() {
    std::lock_guard lock(mutex_);
    isReleased_ = true;
    released_.notify_all();
  }
  bool holding() const {
    std::lock_guard lock(mutex_);
    return holding_;
  }
  bool ran(int id) const {
    std::lock_guard lock(mutex_);
    return std::find(ran_.begin(), ran_.end(), id) != ran_.end();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  std::vector<int> ran_;
  bool holding_ = false, isReleased_ = false;
};

// Starts 3^(2^100,000) mod 2^100,000 + 1 (100,000 modular squarings of
// 100,001 bits, minutes of work) without waiting for it.
void startLongComputation(EngineHarness& calc) {
  calc.keys("1 << 100000 + 1 = Modulo 3 Power ( 1 << 100000 )");
  calc.handOff(CMD_EQUALS);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace

TEST(Worker, ClearWhileIdleStartsNoWorker) {
  EngineHarness calc;
  calc.keys("5");
  const int before = abortCounter.load();
  calc.keys("C");
  EXPECT_EQ(abortCounter.load(), before);
  EXPECT_EQ(calc.dec(), "0");
}

TEST(Worker, ClearCancelsALongComputation) {
  EngineHarness calc;
  const int before = abortCounter.load();
  startLongComputation(calc);
  ASSERT_TRUE(calc.worker.busy());
  const auto start = Clock::now();
  calc.handOff(CMD_CLEAR_ALL);
  calc.waitUntilIdle("\"C\" to cancel the computation");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_EQ(abortCounter.load(), before + 1);  // a fresh worker took over
  EXPECT_EQ(calc.dec(), "0");
  EXPECT_EQ(calc.hex(), "+0x000000000000000");
  // The pause of the hand-off plus one poll interval; the computation itself
  // would take many seconds.
  EXPECT_LT(seconds, 3.0);
  calc.keys("2 + 2 =");
  EXPECT_EQ(calc.dec(), "4");
}

// "C" pressed just as the running command ends: the busy check still saw it
// running, so the cancel path starts a fresh worker. The ended worker must
// leave, not take the fresh one's "C" away nor stay behind waiting.
TEST(Worker, ClearAsTheCommandEndsTakesEffect) {
  // On the heap and left there if a worker is stranded: its destructor would
  // wait for it, and the stranded thread still uses both.
  auto* runner = new HeldCommandRunner;
  auto* display = new RecordingDisplay;
  auto* worker = new CommandWorker(*runner, *display);
  worker->start();
  ASSERT_TRUE(worker->waitUntilIdleFor(10s)) << "the first worker waiting for a command";
  worker->handOff(HeldCommandRunner::HELD_COMMAND);
  ASSERT_TRUE(waitFor([&] { return runner->holding(); })) << "the held command running";

  worker->beforeCancelForTesting = [&] {
    runner->release();
    EXPECT_TRUE(worker->waitUntilIdleFor(10s)) << "the released command ending";
  };
  worker->handOff(CMD_CLEAR_ALL);
  worker->beforeCancelForTesting = nullptr;
  EXPECT_TRUE(waitFor([&] { return runner->ran(CMD_CLEAR_ALL) && !worker->busy(); }))
      << "\"C\" run by the fresh worker, which then waits";

  auto destroyed = std::make_shared<std::atomic<bool>>(false);
  std::thread([worker, destroyed] {
    delete worker;
    destroyed->store(true);
  }).detach();
  if (waitFor([&] { return destroyed->load(); })) {
    delete display;
    delete runner;
  } else {
    ADD_FAILURE() << "~CommandWorker still waits after 10 s: a worker is stranded";
  }
}

TEST(Worker, KeysPressedWhileBusyAreLost) {
  EngineHarness calc;
  calc.keys("3 x^y 20");
  // "=" is held on the worker until the digit has been handed over: busy
  // by construction, however fast the machine or slow the sanitizer.
  std::atomic<bool> holding{false};
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  calc.worker.beforeCommandForTesting = [&holding, released](int id) {
    if (id != CMD_EQUALS) return;
    holding = true;
    released.wait_for(std::chrono::seconds(30));
  };
  calc.handOff(CMD_EQUALS);
  ASSERT_TRUE(waitFor([&] { return holding.load(); })) << "the worker never took \"=\"";
  ASSERT_TRUE(calc.worker.busy());
  calc.handOff(commandIdOfDigit(5));
  release.set_value();
  calc.waitUntilIdle("3^20 to end");
  calc.worker.beforeCommandForTesting = nullptr;
  EXPECT_EQ(calc.dec(), "3486784401");
}

// The test's own thread holds an abort slot for as long as it runs. Flagged,
// it stands for an abandoned worker that has not yet reached its next poll:
// seventeen generations later its slot must still be passed over, not
// cleared and handed out again.
TEST(Worker, SeventeenCancelsReuseOnlyFreeSlots) {
  EngineHarness calc;
  const int before = abortCounter.load();
  abortSlot->store(1);
  for (int i = 0; i < 17; ++i) {
    startLongComputation(calc);
    EXPECT_EQ(abortSlot->load(), 1) << "held slot cleared for worker " << i;
    calc.handOff(CMD_CLEAR_ALL);
    if (!calc.waitUntilIdle("\"C\" to cancel computation " + std::to_string(i))) break;
  }
  abortSlot->store(0);
  // 17 slots handed out, the held one passed over at least once on the way.
  EXPECT_GE(abortCounter.load(), before + 18);
  // The current worker's slot was used (and flagged) before; it was
  // cleared, so commands run normally.
  calc.keys("6 * 7 =");
  EXPECT_EQ(calc.dec(), "42");
}
