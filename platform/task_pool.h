// The task pool: independent pieces of one computation, run on every core.
//
// A computation (one key on the worker thread) that has independent pieces
// of work, say the four quarters of a large transform, hands them to
// parallelFor or parallelInvoke and waits for all of them. The pool's threads
// take pieces from a queue; the waiting thread runs its own pieces first and
// then helps with the pieces its pieces started (nested calls), so a thread
// never sleeps while work it waits for is queued, and a pool busy with one
// key never deadlocks. The calling thread counts as one of the threads; the
// pool itself is started on the first call that has pieces to share.
//
// Cancellation: a piece runs with the abort flag of the thread that started
// it (its abortSlot is borrowed for the piece's duration), so "C" stops every
// piece of the key at its next poll, and a piece that would start after the
// flag was set is skipped. The flag only goes from clear to set while a
// computation runs, so a caller that finds it clear after a parallel call
// knows that every piece ran to the end; if it is set, results are
// meaningless and the caller stores nothing shared, as after any poll.
// Pieces of an abandoned worker still queued when its successor starts are
// skipped the same way.
//
// Each piece runs on whatever thread takes it: per-thread state it needs (the
// x87 control word of the FFT) it sets and restores itself. Results do not
// depend on which thread ran what, nor on how many threads there are.
//
// QUORVEL_THREADS=n in the environment sets the number of threads in all
// (the caller included); the default is std::thread::hardware_concurrency().
// With 1 every piece runs on the calling thread, in order, with no pool.
// When the system refuses to start a thread, the pieces run on the threads
// already there, and nothing is said: only the speed differs.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

namespace quorvel {

// A non-owning reference to a callable taking a piece index; the callable
// must outlive every call through it (as it does for parallelFor's call).
class PieceFunction {
 public:
  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, PieceFunction>)
  PieceFunction(F&& f)
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* o, int i) { (*static_cast<std::remove_reference_t<F>*>(o))(i); }) {}
  void operator()(int i) const { call_(object_, i); }

 private:
  void* object_;
  void (*call_)(void*, int);
};

// Threads that work on one computation, the calling one included (>= 1).
int taskPoolThreads();

// Sets the number of threads in all from now on (at least 1); threads of the
// pool beyond it stay idle. For tests and the benchmark, between
// computations: a call while pieces run changes nothing for them.
void setTaskPoolThreadsForTesting(int threads);

// For tests: while `refuse` holds, every start of a pool thread fails as it
// does when the system refuses one; threads already started go on working.
void refuseThreadStartsForTesting(bool refuse);

// Runs piece(0) .. piece(count - 1) and returns when every one has returned
// or been skipped; pieces may run in any order, at the same time, on any of
// the pool's threads and the calling one, and may themselves call
// parallelFor. With one thread in all (or one piece) they run on the
// calling thread in index order. The first exception a piece throws is
// thrown again here once every piece has finished.
void parallelFor(int count, PieceFunction piece);

// Runs each of the callables as one piece of parallelFor.
template <class... F>
void parallelInvoke(F&&... f) {
  auto piece = [&](int index) {
    int k = 0;
    ((k++ == index ? static_cast<void>(f()) : static_cast<void>(0)), ...);
  };
  parallelFor(static_cast<int>(sizeof...(F)), piece);
}

// Runs body(begin, end) over [0, total) cut into about `pieces` ranges of
// consecutive indices (none empty), as parallelFor pieces. The cut depends
// only on total and pieces.
template <class F>
void parallelRanges(int64_t total, int pieces, F&& body) {
  if (total <= 0) return;
  const int64_t count = pieces < 1 ? 1 : (pieces > total ? total : pieces);
  auto piece = [&](int index) {
    const int64_t begin = total * index / count, end = total * (index + 1) / count;
    body(begin, end);
  };
  parallelFor(static_cast<int>(count), piece);
}

}  // namespace quorvel
