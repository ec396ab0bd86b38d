// The desktop engine's steps on the simulated window system: the window list, the batched move,
// the hiding pass and the whole switch.
#include <benchmark/benchmark.h>

#include "bench/bench_scene.h"
#include "bench/bench_sizes.h"

namespace mirel::bench {
namespace {

constexpr int kWidth = BenchScene::kScreenWidth;

void BM_RefreshWindowList(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.engine.RefreshWindowList();
    benchmark::DoNotOptimize(scene.engine.ManagedWindows().data());
  }
  ReportWindows(state);
}
BENCHMARK(BM_RefreshWindowList)->Apply(WindowCounts);

// Back and forth by one screen width, so that every iteration finds the same layout.
void BM_ShiftWindows(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)));
  int dx = -kWidth;
  for (auto _ : state) {
    scene.engine.ShiftWindows(dx, 0);
    dx = -dx;
  }
  ReportWindows(state);
}
BENCHMARK(BM_ShiftWindows)->Apply(WindowCounts);

// With the option on, passes for desktop 1 and desktop 2 in turn: seven eighths of the windows are
// on other desktops; each pass hides a new eighth, shows one again and hides the rest once more.
void BM_ApplyHiding(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)), true);
  scene.engine.RefreshWindowList();
  int desktop = 0;
  for (auto _ : state) {
    scene.engine.ApplyHiding(desktop);
    desktop ^= 1;
  }
  ReportWindows(state);
}
BENCHMARK(BM_ApplyHiding)->Apply(WindowCounts);

// A whole switch between desktops 1 and 2, as a hot key does it; with the hiding option, every
// switch shows all windows, moves them and hides those of the other desktops again.
void BM_SwitchToDesktop(benchmark::State& state, bool hideApps) {
  BenchScene scene(static_cast<int>(state.range(0)), hideApps);
  std::uint16_t target = 1;
  for (auto _ : state) {
    scene.engine.SwitchToDesktop(target);
    target ^= 1;
    scene.ws.ClearLog();
  }
  ReportWindows(state);
}
BENCHMARK_CAPTURE(BM_SwitchToDesktop, hiding_off, false)->Apply(WindowCounts);
BENCHMARK_CAPTURE(BM_SwitchToDesktop, hiding_on, true)->Apply(WindowCounts);

}  // namespace
}  // namespace mirel::bench
