// sharedPlan: the tables of recently used transform lengths, kept between
// products.
//
// Building the tables of a length costs about a tenth of a product of that
// length, most of it in first touches of fresh memory (about 3 us per 4 KiB
// page on the development machine). Products of one length come in runs:
// the merges of one level of the decimal conversion, the steps of a Newton
// iteration, a user repeating an operation. A plan is immutable once built,
// so a plan in the cache may be used by several threads at once (a
// cancelled worker still finishing beside its successor); the mutex guards
// only the list.
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "fft/avx2_plan.h"
#include "fft/fft_plan.h"
#include "fft/limits.h"
#include "platform/abort_flags.h"

namespace quorvel::detail {
namespace {

// One cache per kind of plan; a process normally uses one kind only.
template <class Plan>
struct PlanCache {
  std::mutex mutex;
  std::vector<std::shared_ptr<const Plan>> plans;  // most recently used last
};

template <class Plan>
size_t cachedBytes(const std::vector<std::shared_ptr<const Plan>>& plans) {
  size_t bytes = 0;
  for (const auto& plan : plans) bytes += plan->tableBytes();
  return bytes;
}

template <class Plan>
std::shared_ptr<const Plan> cachedPlan(int points) {
  static PlanCache<Plan> cache;
  {
    const std::lock_guard lock(cache.mutex);
    auto& plans = cache.plans;
    const auto found =
        std::find_if(plans.begin(), plans.end(), [points](const auto& plan) { return plan->points() == points; });
    if (found != plans.end()) {
      std::rotate(found, found + 1, plans.end());
      return plans.back();
    }
  }
  // Built outside the lock: another thread's product need not wait for it.
  // The AVX2 plan fills its tables in pieces on the task pool, which skips
  // pieces once the abort flag is set: a plan built while its computation
  // was cancelled may be incomplete. It serves that computation, whose
  // results are dropped anyway, and is never kept; a plan finished with the
  // flag still clear is complete (task_pool.h).
  auto plan = std::make_shared<const Plan>(points);
  if (isAborted() || plan->tableBytes() > FFT_PLAN_CACHE_BYTES / 2) return plan;
  const std::lock_guard lock(cache.mutex);
  auto& plans = cache.plans;
  for (const auto& other : plans) {
    if (other->points() == points) return other;  // built meanwhile by another thread
  }
  plans.push_back(plan);
  while (cachedBytes(plans) > FFT_PLAN_CACHE_BYTES) plans.erase(plans.begin());
  return plan;
}

}  // namespace

std::shared_ptr<const FftPlan> sharedPlan(int points) { return cachedPlan<FftPlan>(points); }

std::shared_ptr<const Avx2Plan> sharedAvx2Plan(int points) { return cachedPlan<Avx2Plan>(points); }

}  // namespace quorvel::detail
