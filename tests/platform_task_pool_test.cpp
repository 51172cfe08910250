// The task pool on its own: every piece runs once, nested calls and the
// waiting caller's help cannot deadlock, and one cancel stops every piece.
// Each case runs with 1, 2 and 4 threads in all; a ctest timeout catches a
// deadlock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/abort_flags.h"
#include "platform/task_pool.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

constexpr int THREAD_COUNTS[] = {1, 2, 4};

// Spins until done() or the deadline; false on the deadline (a piece that
// should have run never did).
template <class F>
bool waitFor(F done) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

class TaskPoolTest : public testing::Test {
 protected:
  void TearDown() override {
    refuseThreadStartsForTesting(false);
    setTaskPoolThreadsForTesting(defaultThreads_);
  }

 private:
  int defaultThreads_ = taskPoolThreads();
};

// Sum of 0..n-1 by halves, each half a piece, down to single values: a deep
// tree of nested calls.
int64_t nestedSum(int64_t begin, int64_t end) {
  if (end - begin == 1) return begin;
  const int64_t middle = begin + (end - begin) / 2;
  int64_t low = 0, high = 0;
  parallelInvoke([&] { low = nestedSum(begin, middle); }, [&] { high = nestedSum(middle, end); });
  return low + high;
}

TEST_F(TaskPoolTest, EveryPieceRunsOnceAndNestedCallsFinish) {
  for (int threads : THREAD_COUNTS) {
    setTaskPoolThreadsForTesting(threads);
    std::vector<std::atomic<int>> runs(1000);
    parallelFor(1000, [&](int i) { runs[i].fetch_add(1); });
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(runs[i].load(), 1) << "piece " << i << ", threads " << threads;

    std::vector<int> covered(10007, 0);
    parallelRanges(10007, 7, [&](int64_t begin, int64_t end) {
      for (int64_t i = begin; i < end; ++i) ++covered[i];
    });
    for (int i = 0; i < 10007; ++i) ASSERT_EQ(covered[i], 1) << "index " << i << ", threads " << threads;

    EXPECT_EQ(nestedSum(0, 4096), 4096 * 4095 / 2) << "threads " << threads;
  }
}

// A system that refuses every new thread (a process limit, memory pressure):
// the pieces all still run, on the caller and the helpers started before
// (at most 3, by the cases with 4 threads in all).
TEST_F(TaskPoolTest, PiecesRunOnTheThreadsThereAreWhenNoneCanStart) {
  refuseThreadStartsForTesting(true);
  setTaskPoolThreadsForTesting(8);
  std::vector<std::atomic<int>> runs(1000);
  std::mutex mutex;
  std::set<std::thread::id> threads;
  parallelFor(1000, [&](int i) {
    runs[i].fetch_add(1);
    const std::lock_guard lock(mutex);
    threads.insert(std::this_thread::get_id());
  });
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(runs[i].load(), 1) << "piece " << i;
  EXPECT_LE(threads.size(), 4u);
  EXPECT_EQ(nestedSum(0, 4096), 4096 * 4095 / 2);
}

// With two threads in all, the caller runs piece 0 itself (it claims first);
// piece 1 therefore runs on the pool's one helper, which starts a nested
// batch and blocks in its first piece until the second has run. Only the
// caller, waiting for piece 1, can run that second piece: by helping.
TEST_F(TaskPoolTest, WaitingCallerRunsPiecesStartedByItsOwnPieces) {
  setTaskPoolThreadsForTesting(2);
  std::atomic<bool> outerStarted{false}, secondRan{false};
  std::atomic<std::thread::id> secondThread;
  bool firstSawSecond = false;
  parallelFor(2, [&](int index) {
    if (index == 0) {
      EXPECT_TRUE(waitFor([&] { return outerStarted.load(); }));
      return;
    }
    outerStarted = true;
    parallelFor(2, [&](int inner) {
      if (inner == 0) {
        firstSawSecond = waitFor([&] { return secondRan.load(); });
      } else {
        secondThread = std::this_thread::get_id();
        secondRan = true;
      }
    });
  });
  EXPECT_TRUE(firstSawSecond);
  EXPECT_EQ(secondThread.load(), std::this_thread::get_id());
}

TEST_F(TaskPoolTest, FirstExceptionIsThrownAfterEveryPieceFinished) {
  for (int threads : THREAD_COUNTS) {
    setTaskPoolThreadsForTesting(threads);
    std::atomic<int> finished{0};
    EXPECT_THROW(parallelFor(8,
                             [&](int i) {
                               if (i == 3) throw std::runtime_error("piece 3");
                               finished.fetch_add(1);
                             }),
                 std::runtime_error);
    // Inline, the throw ends the loop at piece 3; in the pool every other
    // piece still runs.
    EXPECT_EQ(finished.load(), threads == 1 ? 3 : 7) << "threads " << threads;
  }
}

TEST_F(TaskPoolTest, PiecesStartedAfterTheFlagDoNothing) {
  for (int threads : THREAD_COUNTS) {
    setTaskPoolThreadsForTesting(threads);
    std::atomic<int> ran{0};
    abortSlot->store(1);
    parallelFor(16, [&](int) { ran.fetch_add(1); });
    abortSlot->store(0);
    EXPECT_EQ(ran.load(), 0) << "threads " << threads;
  }
}

// Every piece can only end through the abort flag. One store to the
// caller's flag, made once as many pieces run as there are threads, must
// end them all, wherever they run, and the pieces not yet started must be
// skipped. Each piece also checks that it sees the caller's flag clear at
// its start: a pool thread without the caller's flag would read "stop".
TEST_F(TaskPoolTest, OneCancelStopsEveryRunningPiece) {
  for (int threads : THREAD_COUNTS) {
    setTaskPoolThreadsForTesting(threads);
    constexpr int PIECES = 12;
    std::atomic<int> started{0}, sawClear{0};
    std::atomic<int>* slot = abortSlot;
    std::thread canceller([&] {
      EXPECT_TRUE(waitFor([&] { return started.load() >= threads; }));
      slot->store(1);
    });
    parallelFor(PIECES, [&](int) {
      if (!isAborted()) sawClear.fetch_add(1);
      started.fetch_add(1);
      EXPECT_TRUE(waitFor([] { return isAborted() != 0; }));
    });
    canceller.join();
    slot->store(0);
    EXPECT_EQ(sawClear.load(), started.load()) << "threads " << threads;
    // No piece can end before the flag is set, so no thread starts a second.
    EXPECT_EQ(started.load(), threads);
  }
}

}  // namespace
}  // namespace quorvel
