#pragma once
// Timing and reporting shared by the benchmark programs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace cv::bench {

// The shortest of `runs` timings of `work`, in seconds.
inline double BestSeconds(int runs, const std::function<void()>& work) {
  double best = 1e9;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count());
  }
  return best;
}

// One line: what was done to how many megabytes, in how long, at what rate.
inline void ReportThroughput(const char* what, std::size_t bytes, double seconds) {
  std::printf("%-12s %6.2f MB in %7.4f s: %8.1f MB/s\n", what, bytes / 1e6, seconds,
              bytes / 1e6 / seconds);
}

}  // namespace cv::bench
