// The task pool's queue, its threads and the waiting caller.
//
// One parallelFor call is a Batch on the caller's stack. While some of its
// pieces are unclaimed it sits in the queue; any thread claims the next
// index under the mutex and runs the piece outside it. The caller claims its
// own pieces first; when they are all claimed it waits, and while it waits
// it runs pieces of batches started by its own pieces (descendants: their
// parent chain reaches its batch), never unrelated ones, so that a waiter is
// not held up by foreign work after its own batch is done. A thread waits
// only when every piece it could run is already running elsewhere; those
// pieces wait only on their own descendants, so the chain of waits ends at
// a piece that computes, and every batch completes.
//
// A Batch is destroyed by its caller as soon as its last piece is reported
// finished; the finishing thread reports under the mutex and touches the
// batch no more afterwards.
#include "platform/task_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "platform/abort_flags.h"
#include "platform/limits.h"
#include "platform/spin_wait.h"

namespace quorvel {

namespace {

struct Batch {
  Batch(PieceFunction piece, int count) : piece(piece), count(count) {}

  PieceFunction piece;
  int count;
  int next = 0;        // first unclaimed index (under the pool's mutex)
  int unfinished = 0;  // pieces not yet finished (under the pool's mutex)
  std::atomic<int>* slot = nullptr;  // the starting thread's abort flag
  const Batch* parent = nullptr;     // the batch whose piece started this one
  std::exception_ptr error;          // the first exception (under the mutex)
};

// The batch whose piece the calling thread runs, or null.
thread_local const Batch* currentBatch = nullptr;

int threadsFromEnvironment() {
  if (const char* text = std::getenv("QUORVEL_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && n >= 1) return static_cast<int>(std::min<long>(n, TASK_POOL_MAX_THREADS));
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, TASK_POOL_MAX_THREADS));
}

// Runs one piece with the abort flag of the thread that started its batch;
// skipped when that flag is already set. Returns what the piece threw.
std::exception_ptr runPiece(const Batch& batch, int index) {
  std::atomic<int>* const ownSlot = abortSlot;
  const Batch* const ownBatch = currentBatch;
  abortSlot = batch.slot;
  currentBatch = &batch;
  std::exception_ptr error;
  if (!isAborted()) {
    try {
      batch.piece(index);
    } catch (...) {
      error = std::current_exception();
    }
  }
  abortSlot = ownSlot;
  currentBatch = ownBatch;
  return error;
}

class TaskPool {
 public:
  TaskPool() : threads_(threadsFromEnvironment()) {}

  int threads() const { return threads_.load(std::memory_order_relaxed); }

  void refuseThreadStarts(bool refuse) { refuseThreadStarts_.store(refuse, std::memory_order_relaxed); }

  void setThreads(int threads) {
    const std::lock_guard lock(mutex_);
    threads_.store(std::clamp(threads, 1, TASK_POOL_MAX_THREADS), std::memory_order_relaxed);
    wake_.notify_all();
  }

  void run(Batch& batch) {
    batch.slot = abortSlot;
    batch.parent = currentBatch;
    batch.unfinished = batch.count;
    std::unique_lock lock(mutex_);
    startHelpers();
    queue_.push_back(&batch);
    queued_.fetch_add(1, std::memory_order_release);
    changes_.fetch_add(1, std::memory_order_release);
    wake_.notify_all();
    while (batch.unfinished > 0) {
      Batch* next = batch.next < batch.count ? &batch : queuedDescendantOf(&batch);
      if (!next) {
        // The helpers' last pieces usually end within microseconds, sooner
        // than a wake-up (spin_wait.h). changes_ moves only under the
        // mutex, so the wait's check cannot miss a change made after the
        // spin gave up.
        const unsigned seen = changes_.load(std::memory_order_relaxed);
        const auto changed = [&] { return changes_.load(std::memory_order_acquire) != seen; };
        lock.unlock();
        spinUntil(changed);
        lock.lock();
        wake_.wait(lock, changed);
        continue;
      }
      runClaimed(lock, *next);
    }
    lock.unlock();
    if (batch.error) std::rethrow_exception(batch.error);
  }

 private:
  // Helper threads for threads() in all, the caller being one; the
  // mutex is held. Helpers are never stopped: beyond threads() they idle.
  // When the system refuses a thread (a limit on the process's threads,
  // memory for its stack), the batch runs on the threads there are, the
  // caller at least, and the next batch tries again.
  void startHelpers() {
    while (started_ < threads() - 1) {
      try {
        if (refuseThreadStarts_.load(std::memory_order_relaxed))
          throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        std::thread([this, index = started_] { helperLoop(index); }).detach();
      } catch (const std::system_error&) {
        return;
      } catch (const std::bad_alloc&) {
        return;
      }
      ++started_;
    }
  }

  Batch* queuedDescendantOf(const Batch* ancestor) {
    for (Batch* queued : queue_) {
      for (const Batch* b = queued->parent; b; b = b->parent) {
        if (b == ancestor) return queued;
      }
    }
    return nullptr;
  }

  // Claims the next piece of a queued batch, runs it with the mutex
  // released, and reports it finished; the mutex is held on entry and exit.
  void runClaimed(std::unique_lock<std::mutex>& lock, Batch& batch) {
    const int index = batch.next++;
    if (batch.next == batch.count) {
      queue_.erase(std::find(queue_.begin(), queue_.end(), &batch));
      queued_.fetch_sub(1, std::memory_order_release);
    }
    lock.unlock();
    std::exception_ptr error = runPiece(batch, index);
    lock.lock();
    if (error && !batch.error) batch.error = std::move(error);
    changes_.fetch_add(1, std::memory_order_release);
    if (--batch.unfinished == 0) wake_.notify_all();
  }

  void helperLoop(int index) {
    std::unique_lock lock(mutex_);
    const auto wanted = [&] { return index < threads() - 1 && !queue_.empty(); };
    for (;;) {
      if (!wanted()) {
        // A transform hands out a batch per pass, one after another: the
        // next is usually there before a sleep and wake-up would be over.
        lock.unlock();
        spinUntil([&] { return queued_.load(std::memory_order_acquire) != 0; });
        lock.lock();
      }
      wake_.wait(lock, wanted);
      runClaimed(lock, *queue_.front());
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Batch*> queue_;  // batches with unclaimed pieces, oldest first
  // Changed under the mutex, read without it by the spins: the size of
  // queue_, and a count of the batches queued and pieces finished.
  std::atomic<int> queued_{0};
  std::atomic<unsigned> changes_{0};
  std::atomic<int> threads_;
  int started_ = 0;  // helper threads started (under the mutex)
  std::atomic<bool> refuseThreadStarts_{false};
};

// Never destroyed: an abandoned worker may still hand it pieces while the
// process exits.
TaskPool& taskPool() {
  static TaskPool* const pool = new TaskPool;
  return *pool;
}

}  // namespace

int taskPoolThreads() { return taskPool().threads(); }

void setTaskPoolThreadsForTesting(int threads) { taskPool().setThreads(threads); }

void refuseThreadStartsForTesting(bool refuse) { taskPool().refuseThreadStarts(refuse); }

void parallelFor(int count, PieceFunction piece) {
  if (count <= 0) return;
  TaskPool& pool = taskPool();
  if (count == 1 || pool.threads() == 1) {
    for (int i = 0; i < count; ++i) {
      if (isAborted()) return;
      piece(i);
    }
    return;
  }
  Batch batch(piece, count);
  pool.run(batch);
}

}  // namespace quorvel
