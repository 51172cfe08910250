// quorvel-bench: our operations and GMP's on the same operands, one line per
// case: name, our seconds with every thread of the task pool, our seconds
// with one thread, GMP seconds, ratio (ours with one thread / GMP), our
// speed-up from the threads (one thread / all) and the cores kept busy with
// all.
// QUORVEL_THREADS sets "every thread".
//
// Each side is timed as the best of several runs, each run repeating the
// operation until it has taken a few milliseconds (bench.cpp); the operands are
// built once, outside the timed region. Our two columns are timed in
// alternating runs, so that a change in the machine's load meets both.
#pragma once

#include <gmp.h>

#include <functional>
#include <string>
#include <vector>

#include "vnum/vnum.h"

namespace quorvel::bench {

// CPU seconds per call of fn: the best of a few timed batches.
double secondsPerCall(const std::function<void()>& fn);

// Seconds per call of our side with every thread (wall) and with one (CPU),
// and the cores the process kept busy in the best run with every thread
// (its CPU time over wall time): on a shared machine a speed-up below the thread
// count with "cores" near 1 says the other cores were taken, not that the
// work was serial.
struct OurSeconds {
  double allThreads;
  double oneThread;
  double cores;
};
OurSeconds ourSecondsPerCall(const std::function<void()>& fn);

// Prints one aligned result line.
void report(const std::string& name, OurSeconds ours, double gmp);

// Whether the case `name` runs: every case when quorvel-bench was given no
// arguments, else those whose name contains one of them ("GCD", "product").
bool selected(const std::string& name);

// Times both sides of a selected case and reports it; skips the others.
void compare(const std::string& name, const std::function<void()>& ours, const std::function<void()>& gmp);

// A random value of exactly `bits` bits, the same in both representations.
void randomOperand(long bits, unsigned long seed, vnum& ours, mpz_t theirs);

// Case groups, one per subsystem; each prints its lines.
void runVnumCases();
void runMulCases();
void runNumtheoryCases();
void runDecimalCases();
void runFunctionsCases();
void runFftCases();
void runPrimesCases();
void runEngineCases();

// quorvel-bench --crossover [binary] [decimal] [mul] [sqr] [shapes]
// [unbalanced] [--min=COMBINED_LIMBS] [--max=COMBINED_LIMBS]: the timing of
// every product method across sizes and shapes, and the method limits it
// suggests (crossover.cpp).
void runCrossover(const std::vector<std::string>& args);

}  // namespace quorvel::bench
