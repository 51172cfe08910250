// How far the running command has come, for the busy strip of the window and
// the progress line of quorvel-cli.
//
// Work that can know its fraction done (a primality test by exponent bits,
// the next-prime search by candidates passed, the reading of a long decimal
// text by tree levels, a long GCD by bits removed) opens a ProgressTask and
// reports through it. The reports go to the meter the calling thread points
// at (the engine's, set by the worker as each command starts); a thread with
// no meter reports nowhere. Only the outermost task on a thread reports, so
// the primality tests inside the next-prime search leave the search's own
// fraction alone.
//
// A meter only ever grows within a command: a report below the last is
// dropped, so a reader sees the fraction rise or stand still. A cancelled
// worker reports nothing (the report polls the abort flag first), so the
// meter of its successor is never written by it.
#pragma once

#include <atomic>
#include <cstdint>

namespace quorvel {

// Reports come in as a fraction; they are kept in millionths.
inline constexpr int32_t PROGRESS_UNITS = 1000000;

class ProgressMeter {
 public:
  // No fraction known: a new command has started.
  void clear() { units_.store(-1, std::memory_order_relaxed); }
  // Raises the fraction to `fraction` (clamped to [0, 1]); a lower one is
  // dropped. One writer: the thread running the command.
  void raiseTo(double fraction);
  // The fraction done in [0, 1], or a negative value when the running
  // command has reported none.
  double fraction() const;

 private:
  std::atomic<int32_t> units_{-1};
};

// The meter the calling thread reports to; null reports nowhere.
extern thread_local constinit ProgressMeter* progressMeter;

// One piece of work that reports its fraction done, for its lifetime.
class ProgressTask {
 public:
  ProgressTask();
  ~ProgressTask();
  ProgressTask(const ProgressTask&) = delete;
  ProgressTask& operator=(const ProgressTask&) = delete;

  // The work is `fraction` done; written only by the outermost task of the
  // thread, and only while the thread has not been told to stop.
  void report(double fraction) const;

 private:
  bool outermost_;
};

}  // namespace quorvel
