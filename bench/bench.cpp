#include "bench/bench.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/abort_flags.h"
#include "platform/task_pool.h"

namespace quorvel::bench {

namespace {

// Each batch repeats the call until it has run for BATCH_SECONDS (so that
// a call of a microsecond is timed over thousands of repeats), and the least
// of BATCHES batches is reported: on a shared machine the least disturbed
// batch is the one closest to the operation's own cost. The one-thread
// and GMP columns count the process's CPU time, which time slices lost to
// other programs on a shared machine do not inflate; the every-thread
// column counts wall time, the only measure of work spread over threads.
constexpr int BATCHES = 5;
constexpr double BATCH_SECONDS = 0.02;

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Wall and CPU seconds (every thread of the process) per call over one
// batch of calls.
struct BatchTime {
  double wall;
  double cpu;
};

BatchTime batchTime(const std::function<void()>& fn) {
  using clock = std::chrono::steady_clock;
  long calls = 0;
  const auto start = clock::now();
  const double cpuStart = processCpuSeconds();
  double elapsed = 0;
  do {
    fn();
    ++calls;
    elapsed = std::chrono::duration<double>(clock::now() - start).count();
  } while (elapsed < BATCH_SECONDS);
  const double n = static_cast<double>(calls);
  return {elapsed / n, (processCpuSeconds() - cpuStart) / n};
}

double batchCpuSeconds(const std::function<void()>& fn) { return batchTime(fn).cpu; }

// The task pool's size at start: "every thread".
int allThreads() {
  static const int threads = taskPoolThreads();
  return threads;
}

}  // namespace

double secondsPerCall(const std::function<void()>& fn) {
  double best = 1e300;
  for (int b = 0; b < BATCHES; ++b) best = std::min(best, batchCpuSeconds(fn));
  return best;
}

OurSeconds ourSecondsPerCall(const std::function<void()>& fn) {
  OurSeconds best{1e300, 1e300, 0};
  const int threads = allThreads();
  for (int b = 0; b < BATCHES; ++b) {
    const BatchTime all = batchTime(fn);
    if (all.wall < best.allThreads) {
      best.allThreads = all.wall;
      best.cores = all.cpu / all.wall;
    }
    setTaskPoolThreadsForTesting(1);
    best.oneThread = std::min(best.oneThread, batchCpuSeconds(fn));
    setTaskPoolThreadsForTesting(threads);
  }
  return best;
}

// Times in seconds with four significant digits whatever their size (a
// product of a few microseconds and a GCD of seconds on the same scale);
// the ratio is our one-thread time over GMP's, GMP being single-threaded.
void report(const std::string& name, OurSeconds ours, double gmp) {
  std::printf("%-44s %12.3e %12.3e %12.3e %8.3f %8.2f %6.2f\n", name.c_str(), ours.allThreads, ours.oneThread, gmp,
              ours.oneThread / gmp, ours.oneThread / ours.allThreads, ours.cores);
  std::fflush(stdout);
}

namespace {
std::vector<std::string> caseFilters;
}

bool selected(const std::string& name) {
  if (caseFilters.empty()) return true;
  return std::any_of(caseFilters.begin(), caseFilters.end(),
                     [&](const std::string& f) { return name.find(f) != std::string::npos; });
}

void compare(const std::string& name, const std::function<void()>& ours, const std::function<void()>& gmp) {
  if (!selected(name)) return;
  const OurSeconds oursSeconds = ourSecondsPerCall(ours);
  report(name, oursSeconds, secondsPerCall(gmp));
}

void randomOperand(long bits, unsigned long seed, vnum& ours, mpz_t theirs) {
  gmp_randstate_t state;
  gmp_randinit_default(state);
  gmp_randseed_ui(state, seed);
  mpz_urandomb(theirs, state, static_cast<mp_bitcnt_t>(bits));
  mpz_setbit(theirs, static_cast<mp_bitcnt_t>(bits - 1));
  gmp_randclear(state);
  // Room for the magnitude and a sign limb, then the normal form.
  int32_t n = static_cast<int32_t>(bits / LIMB_BITS + 2);
  n += n & 1;
  ours = vnum();
  ours.extendTo(n);
  std::fill(ours.limbs, ours.limbs + n, 0);
  size_t count = 0;
  mpz_export(ours.limbs, &count, -1, sizeof(int32_t), 0, 2, theirs);
  ours.normalize();
}

}  // namespace quorvel::bench

// quorvel-bench [FILTER...]: only the cases whose name contains a filter.
// quorvel-bench --crossover [...]: the method crossover table instead.
int main(int argc, char** argv) {
  quorvel::claimAbortSlot();
  if (argc > 1 && std::strcmp(argv[1], "--crossover") == 0) {
    quorvel::bench::runCrossover(std::vector<std::string>(argv + 2, argv + argc));
    return 0;
  }
  for (int i = 1; i < argc; ++i) quorvel::bench::caseFilters.emplace_back(argv[i]);
  std::printf("%-44s %12s %12s %12s %8s %8s %6s\n", "case",
              ("ours s, " + std::to_string(quorvel::bench::allThreads()) + " thr").c_str(), "ours s, 1 thr", "GMP s",
              "1thr/GMP", "speed-up", "cores");
  quorvel::bench::runVnumCases();
  quorvel::bench::runMulCases();
  quorvel::bench::runNumtheoryCases();
  quorvel::bench::runDecimalCases();
  quorvel::bench::runFunctionsCases();
  quorvel::bench::runFftCases();
  quorvel::bench::runPrimesCases();
  quorvel::bench::runEngineCases();
  return 0;
}
