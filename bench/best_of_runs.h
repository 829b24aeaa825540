#pragma once
// Wall-clock timing shared by the benchmarks that time a run several times and keep the fastest: the best run is
// the one least disturbed by the rest of a busy machine, so ratios of best runs hold from one run to the next.
#include <algorithm>
#include <chrono>
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

}  // namespace bench
