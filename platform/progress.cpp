#include "platform/progress.h"

#include <algorithm>

#include "platform/abort_flags.h"

namespace quorvel {

namespace {

// Open tasks on this thread; the first one opened is the one that reports.
thread_local int openTasks = 0;

}  // namespace

thread_local constinit ProgressMeter* progressMeter = nullptr;

void ProgressMeter::raiseTo(double fraction) {
  const auto units = static_cast<int32_t>(std::clamp(fraction, 0.0, 1.0) * PROGRESS_UNITS);
  if (units > units_.load(std::memory_order_relaxed)) units_.store(units, std::memory_order_relaxed);
}

double ProgressMeter::fraction() const {
  const int32_t units = units_.load(std::memory_order_relaxed);
  return units < 0 ? -1.0 : static_cast<double>(units) / PROGRESS_UNITS;
}

ProgressTask::ProgressTask() : outermost_(openTasks++ == 0) {}

ProgressTask::~ProgressTask() { --openTasks; }

void ProgressTask::report(double fraction) const {
  if (!outermost_ || !progressMeter || isAborted()) return;
  progressMeter->raiseTo(fraction);
}

}  // namespace quorvel
