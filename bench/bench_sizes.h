// The window counts every benchmark runs with, and the growth fit over them.
#pragma once

#include <benchmark/benchmark.h>

namespace mirel::bench {

// 10, 100, 1,000 and 5,000 simulated windows; the fitted growth (O(N), O(N lgN), O(N^2)...) is
// reported after the four runs. Each run also reports its time per window.
inline void WindowCounts(benchmark::internal::Benchmark* b) {
  for (int n : {10, 100, 1000, 5000}) b->Arg(n);
  b->Complexity()->Unit(benchmark::kMicrosecond);
}

inline void ReportWindows(benchmark::State& state) {
  const auto n = state.range(0);
  state.SetComplexityN(n);
  state.counters["per_window"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                  benchmark::Counter::kInvert);
}

}  // namespace mirel::bench
