// quorvel-bench --crossover [binary] [decimal] [mul] [sqr] [shapes]
// [unbalanced] [--min=M] [--max=M] (combined limbs):
// times every product method on the same operands across sizes and prints
// the crossover table from which the method limits (vnum/limits.h,
// decimal/limits.h) are set.
//
// Each method is called once at the top and its sub-products go through the
// dispatcher with the limits compiled in, so a row answers "is one level of
// this method, with the best below it, faster than the other methods here?".
// After changing a limit, build and run again until the limits stay put.
// Times are the best of several batches (the least disturbed by other load
// on the machine); a method is no longer timed once it has been more than
// three times slower than the best at two sizes in a row.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "decimal/mul_spans.h"
#include "platform/task_pool.h"
#include "vnum/mul_karatsuba.h"
#include "vnum/mul_schoolbook.h"
#include "vnum/mul_spans.h"
#include "vnum/mul_toom25.h"
#include "vnum/mul_toom3.h"
#include "vnum/mul_unbalanced.h"

namespace quorvel::bench {

namespace {

using Limbs = std::vector<int32_t>;
using Call = std::function<void(int32_t*, const int32_t*, int32_t, const int32_t*, int32_t, int32_t*)>;

// CPU seconds of the calling thread per call: the least over batches of at
// least 2 ms, at least 4 and up to 12 of them (or 0.1 s in all). Thread CPU
// time leaves out the time the thread waits while other programs run; the
// least of many short batches is the one least disturbed by them (their
// code evicting ours from the caches between two time slices).
double bestSeconds(const std::function<void()>& fn) {
  auto now = [] {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
  };
  // Reading that clock costs about a microsecond, so it is read once per
  // batch of calls, the batch doubled until it lasts 2 ms.
  long calls = 1;
  for (;;) {
    const double start = now();
    for (long k = 0; k < calls; ++k) fn();
    if (now() - start >= 0.002) break;
    calls *= 2;
  }
  double best = 1e300, total = 0;
  for (int batch = 0; batch < 12 && (batch < 4 || total < 0.1); ++batch) {
    const double start = now();
    for (long k = 0; k < calls; ++k) fn();
    const double elapsed = now() - start;
    total += elapsed;
    best = std::min(best, elapsed / static_cast<double>(calls));
  }
  return best;
}

struct Binary {
  static constexpr const char* NAME = "binary (vnum, 30-bit limbs)";
  static BinarySpans spans() { return {}; }
  static bool fft(int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode) {
    return mulFftSpans(o, a, an, b, bn, mode);
  }
  // The transforms' limits on normalised vnum lengths.
  static int64_t fftLength(int32_t an, int32_t bn) { return an / 2 * 2 + 2 + bn / 2 * 2 + 2; }
  static constexpr int64_t MODE0_MAX = MUL_FFT_MODE0_MAX_LIMBS, MODE1_MAX = MUL_FFT_MODE1_MAX_LIMBS;
  static constexpr const char* MUL_NAMES[3] = {"MUL_SCHOOLBOOK_MAX_LIMBS", "MUL_KARATSUBA_MAX_LIMBS",
                                               "MUL_TOOM3_MAX_LIMBS"};
  static constexpr const char* SQR_NAMES[3] = {"SQR_SCHOOLBOOK_MAX_LIMBS", "SQR_KARATSUBA_MAX_LIMBS",
                                               "SQR_TOOM3_MAX_LIMBS"};
  static constexpr int64_t DEFAULT_MAX = 120000;
};

struct Decimal {
  static constexpr const char* NAME = "decimal (vnum10, base-10^8 limbs)";
  static DecimalSpans spans() { return {}; }
  static bool fft(int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode) {
    return mulDecFftSpans(o, a, an, b, bn, mode, FFT_TRUSTED_ROUNDING_ERROR);
  }
  static int64_t fftLength(int32_t an, int32_t bn) { return int64_t{an} + bn; }
  static constexpr int64_t MODE0_MAX = DEC_FFT_MODE0_MAX_LIMBS, MODE1_MAX = DEC_FFT_MODE1_MAX_LIMBS;
  static constexpr const char* MUL_NAMES[3] = {"DEC_SCHOOLBOOK_MAX_LIMBS", "DEC_KARATSUBA_MAX_LIMBS",
                                               "DEC_TOOM3_MAX_LIMBS"};
  static constexpr const char* SQR_NAMES[3] = {"DEC_SQR_SCHOOLBOOK_MAX_LIMBS", "DEC_SQR_KARATSUBA_MAX_LIMBS",
                                               "DEC_SQR_TOOM3_MAX_LIMBS"};
  static constexpr int64_t DEFAULT_MAX = 200000;
};

template <class Base>
Limbs randomLimbs(std::mt19937_64& g, int32_t n) {
  Limbs x(static_cast<size_t>(n));
  for (int32_t& limb : x) limb = static_cast<int32_t>(g() % decltype(Base::spans())::BASE);
  x.back() |= 1;
  return x;
}

struct Column {
  const char* name;
  std::function<bool(int32_t an, int32_t bn, int64_t fftLength)> accepts;
  Call call;
};

// The methods, in order from the quadratic one to the transforms; squares
// call the squaring kernels.
template <class Base>
std::vector<Column> columns(bool square) {
  const auto s = Base::spans();
  std::vector<Column> c;
  if (square) {
    c.push_back({"schoolbook", [](int32_t an, int32_t, int64_t) { return an <= MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS; },
                 [s](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t*) {
                   sqrSchoolbook(s, o, a, an);
                 }});
    c.push_back({"Karatsuba", [](int32_t an, int32_t, int64_t) { return an >= 2; },
                 [s](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t* w) {
                   sqrKaratsuba(s, o, a, an, w);
                 }});
    c.push_back({"Toom-3", [](int32_t an, int32_t, int64_t) { return an >= 5; },
                 [s](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t* w) {
                   mulToom3(s, o, a, an, a, an, w);
                 }});
  } else {
    c.push_back({"schoolbook", [](int32_t, int32_t bn, int64_t) { return bn <= MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS; },
                 [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t*) {
                   mulSchoolbook(s, o, a, an, b, bn);
                 }});
    c.push_back({"Karatsuba", [](int32_t an, int32_t bn, int64_t) { return bn > (an + 1) / 2; },
                 [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* w) {
                   mulKaratsuba(s, o, a, an, b, bn, w);
                 }});
    c.push_back({"Toom-3", [](int32_t an, int32_t bn, int64_t) { return an >= 5 && bn > 2 * ((an + 2) / 3); },
                 [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* w) {
                   mulToom3(s, o, a, an, b, bn, w);
                 }});
  }
  c.push_back({"FFT mode 0", [](int32_t, int32_t, int64_t f) { return f <= Base::MODE0_MAX; },
               [](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t*) {
                 Base::fft(o, a, an, b, bn, 0);
               }});
  c.push_back({"FFT mode 1", [](int32_t, int32_t, int64_t f) { return f <= Base::MODE1_MAX; },
               [](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t*) {
                 Base::fft(o, a, an, b, bn, 1);
               }});
  return c;
}

// Combined lengths from minCombined up, about four to an octave, even.
std::vector<int64_t> ladder(int64_t minCombined, int64_t maxCombined) {
  std::vector<int64_t> sizes;
  for (double m = static_cast<double>(minCombined); m <= static_cast<double>(maxCombined); m *= 1.1892) {
    const int64_t even = static_cast<int64_t>(m) / 2 * 2;
    if (sizes.empty() || even != sizes.back()) sizes.push_back(even);
  }
  return sizes;
}

// Prints the table of one base and operation, then the limits it suggests.
template <class Base>
void crossoverTable(bool square, int64_t minCombined, int64_t maxCombined) {
  std::vector<Column> cols = columns<Base>(square);
  std::printf("\n%s, %s (balanced operands, times in microseconds)\n", Base::NAME, square ? "squares" : "products");
  std::printf("%10s", "combined");
  for (const Column& c : cols) std::printf(" %12s", c.name);
  std::printf("   fastest\n");
  std::fflush(stdout);

  std::mt19937_64 g(12345);
  std::vector<int> slowStreak(cols.size(), 0);
  std::vector<bool> retired(cols.size(), false);
  // times[size][method], negative when not measured.
  std::vector<int64_t> sizes = ladder(minCombined, maxCombined);
  std::vector<std::vector<double>> times;
  for (int64_t m : sizes) {
    const int32_t bn = static_cast<int32_t>(m / 2), an = static_cast<int32_t>(m - bn);
    const Limbs a = randomLimbs<Base>(g, an);
    const Limbs b = square ? a : randomLimbs<Base>(g, bn);
    const int32_t* bp = square ? a.data() : b.data();
    Limbs out(static_cast<size_t>(an + bn));
    Limbs scratch(static_cast<size_t>(mulScratchLimbs(an)));
    // Three rounds over the methods, each cell the least of its rounds: a
    // burst of load elsewhere then slows one round of every method rather
    // than all of one method.
    std::vector<double> row(cols.size(), -1);
    for (int round = 0; round < 3; ++round) {
      for (size_t k = 0; k < cols.size(); ++k) {
        if (retired[k] || !cols[k].accepts(an, bn, Base::fftLength(an, bn))) continue;
        const double t = bestSeconds([&] { cols[k].call(out.data(), a.data(), an, bp, bn, scratch.data()); });
        row[k] = row[k] < 0 ? t : std::min(row[k], t);
      }
    }
    double best = 1e300;
    size_t fastest = 0;
    for (size_t k = 0; k < cols.size(); ++k)
      if (row[k] >= 0 && row[k] < best) best = row[k], fastest = k;
    std::printf("%10lld", static_cast<long long>(m));
    for (size_t k = 0; k < cols.size(); ++k) {
      if (row[k] < 0)
        std::printf(" %12s", "-");
      else
        std::printf(" %12.2f", row[k] * 1e6);
      // Past its range: slow while a later method is the fastest.
      slowStreak[k] = row[k] >= 0 && row[k] > 3 * best && fastest > k ? slowStreak[k] + 1 : 0;
      if (slowStreak[k] >= 2) retired[k] = true;
    }
    std::printf("   %s\n", cols[fastest].name);
    std::fflush(stdout);
    times.push_back(row);
  }

  // A limit is the last measured size at which the lower method was at
  // least as fast as the next one before the next one won at three sizes in
  // a row (one size alone may be noise), looking only from the size where
  // the lower method took over (below that neither matters). The transforms
  // count as one method (the faster mode).
  const char* const* names = square ? Base::SQR_NAMES : Base::MUL_NAMES;
  auto timeOf = [&](size_t i, size_t method) {
    if (method < 3) return times[i][method];
    const double f0 = times[i][3], f1 = times[i][4];
    if (f0 < 0) return f1;
    return f1 < 0 ? f0 : std::min(f0, f1);
  };
  std::printf("suggested limits (combined limbs):\n");
  size_t from = 0;
  for (size_t lower = 0; lower < 3; ++lower) {
    int64_t limit = -1;
    int wins = 0;
    bool decided = false;
    size_t i = from;
    for (; i < sizes.size() && !decided; ++i) {
      const double lo = timeOf(i, lower), hi = timeOf(i, lower + 1);
      if (hi < 0) continue;
      if (lo >= 0 && lo <= hi) {
        limit = sizes[i];
        wins = 0;
      } else if (++wins == 3) {
        decided = true;
      }
    }
    // The next limit is looked for from where this one was decided.
    from = i >= 3 ? i - 3 : 0;
    if (!decided)
      std::printf("  %-30s not reached below %lld\n", names[lower], static_cast<long long>(sizes.back()));
    else if (limit < 0)
      std::printf("  %-30s below the first size measured\n", names[lower]);
    else
      std::printf("  %-30s %lld\n", names[lower], static_cast<long long>(limit));
  }
}

// A long operand times shorter ones: in pieces of the short length (each a
// balanced product for the dispatcher) against one transform for the whole.
template <class Base>
void unbalancedTable(int32_t longLimbs) {
  const auto s = Base::spans();
  std::printf("\n%s, %d limbs times shorter operands (times in milliseconds)\n", Base::NAME, longLimbs);
  std::printf("%10s %12s %12s %12s\n", "shorter", "pieces", "FFT whole", "dispatcher");
  std::mt19937_64 g(777);
  const Limbs a = randomLimbs<Base>(g, longLimbs);
  Limbs scratch(static_cast<size_t>(mulScratchLimbs(longLimbs)));
  for (int32_t bn = 250; bn <= longLimbs / 2; bn *= 2) {
    const Limbs b = randomLimbs<Base>(g, bn);
    Limbs out(static_cast<size_t>(longLimbs + bn));
    const double pieces = bestSeconds(
        [&] { mulUnbalanced(s, out.data(), a.data(), longLimbs, b.data(), bn, scratch.data()); });
    const int64_t f = Base::fftLength(longLimbs, bn);
    const int mode = f <= Base::MODE0_MAX ? 0 : 1;
    const double whole = f <= Base::MODE1_MAX ? bestSeconds([&] {
      Base::fft(out.data(), a.data(), longLimbs, b.data(), bn, mode);
    })
                                               : -1e-3;
    const double dispatched =
        bestSeconds([&] { s.mul(out.data(), a.data(), longLimbs, b.data(), bn, scratch.data()); });
    std::printf("%10d %12.2f %12.2f %12.2f\n", bn, pieces * 1e3, whole * 1e3, dispatched * 1e3);
    std::fflush(stdout);
  }
}

// Unbalanced shapes of one size class: the shorter operand fixed, the
// longer from 1 to 2 times as long in eighths; Toom-3 against Toom-2.5,
// with Karatsuba and pieces for reference (the rule in vnum/limits.h).
template <class Base>
void shapeTable(int32_t bn) {
  const auto s = Base::spans();
  std::printf("\n%s, %d-limb operand times longer ones (times in microseconds)\n", Base::NAME, bn);
  std::printf("%10s %12s %12s %12s %12s\n", "longer/8", "Toom-3", "Toom-2.5", "Karatsuba", "pieces");
  std::mt19937_64 g(555);
  const Limbs b = randomLimbs<Base>(g, bn);
  for (int eighths = 8; eighths <= 16; ++eighths) {
    const int32_t an = bn * eighths / 8;
    const Limbs a = randomLimbs<Base>(g, an);
    Limbs out(static_cast<size_t>(an + bn));
    Limbs scratch(static_cast<size_t>(mulScratchLimbs(an)));
    auto time = [&](auto kernel, bool ok) {
      if (!ok) return -1.0;
      double best = 1e300;
      for (int round = 0; round < 3; ++round)
        best = std::min(best, bestSeconds([&] { kernel(s, out.data(), a.data(), an, b.data(), bn, scratch.data()); }));
      return best * 1e6;
    };
    const int32_t n25 = std::max((an + 2) / 3, (bn + 1) / 2);
    const double t3 = time(mulToom3<decltype(s)>, bn > 2 * ((an + 2) / 3));
    const double t25 = time(mulToom25<decltype(s)>, an - 2 * n25 >= 1 && bn - n25 >= 1);
    const double k = time(mulKaratsuba<decltype(s)>, bn > (an + 1) / 2);
    const double p = time(mulUnbalanced<decltype(s)>, bn <= (an + 1) / 2);
    std::printf("%10d %12.1f %12.1f %12.1f %12.1f\n", eighths, t3, t25, k, p);
    std::fflush(stdout);
  }
}

bool wanted(const std::vector<std::string>& args, const char* word, const std::vector<std::string>& group) {
  const bool anyOfGroup =
      std::any_of(args.begin(), args.end(), [&](const std::string& a) {
        return std::find(group.begin(), group.end(), a) != group.end();
      });
  return !anyOfGroup || std::find(args.begin(), args.end(), word) != args.end();
}

}  // namespace

void runCrossover(const std::vector<std::string>& args) {
  // The method limits compare one thread's work, and the clock above counts
  // only the calling thread: pieces run on the pool would go unmeasured.
  setTaskPoolThreadsForTesting(1);
  int64_t minCombined = 8, maxCombined = -1;
  for (const std::string& a : args) {
    if (a.rfind("--min=", 0) == 0) minCombined = std::max<int64_t>(8, std::stoll(a.substr(6)));
    if (a.rfind("--max=", 0) == 0) maxCombined = std::stoll(a.substr(6));
  }
  const std::vector<std::string> bases{"binary", "decimal"}, ops{"mul", "sqr", "unbalanced", "shapes"};
  for (const char* base : {"binary", "decimal"}) {
    if (!wanted(args, base, bases)) continue;
    const bool binary = std::string(base) == "binary";
    for (const char* op : {"mul", "sqr"}) {
      if (!wanted(args, op, ops)) continue;
      const bool square = std::string(op) == "sqr";
      if (binary)
        crossoverTable<Binary>(square, minCombined, maxCombined > 0 ? maxCombined : Binary::DEFAULT_MAX);
      else
        crossoverTable<Decimal>(square, minCombined, maxCombined > 0 ? maxCombined : Decimal::DEFAULT_MAX);
    }
    if (wanted(args, "shapes", ops)) {
      // Shorter operands in the Toom-3 range of each base.
      if (binary)
        shapeTable<Binary>(3000);
      else
        shapeTable<Decimal>(6000);
    }
    if (wanted(args, "unbalanced", ops)) {
      // 5,000,000 bits: 166,667 limbs of 30 bits, 188,144 of 8 digits.
      if (binary)
        unbalancedTable<Binary>(166667);
      else
        unbalancedTable<Decimal>(188144);
    }
  }
}

}  // namespace quorvel::bench
