#pragma once
// What the benchmarks measure besides Google Benchmark's own loops: wall-clock time of a run, kept as the best of
// several (the run least disturbed by the rest of a busy machine, so ratios of best runs hold from one run to the
// next), and the process's resident memory.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace bench {

// The seconds one call of `run` takes.
inline double seconds(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of `rounds` runs.
inline double best(const std::function<void()>& run, int rounds) {
  double b = 1e9;
  for (int i = 0; i < rounds; ++i) b = std::min(b, seconds(run));
  return b;
}

// The process's resident memory in MB (Linux), 0 when unknown.
inline double residentMegabytes() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  long pages = 0, resident = 0;
  const int n = std::fscanf(f, "%ld %ld", &pages, &resident);
  std::fclose(f);
  return n == 2 ? double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

}  // namespace bench
