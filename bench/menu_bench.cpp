// The tray menu's window lists, and the owner tree alone.
#include <benchmark/benchmark.h>

#include "bench/bench_scene.h"
#include "bench/bench_sizes.h"
#include "bench/bench_steps.h"
#include "engine/menu_model.h"
#include "engine/win2tree.h"

namespace mirel::bench {
namespace {

void BM_TrayMenuFill(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)));
  TMenuItem moveHere;
  TMenuItem switchTo;
  for (auto _ : state) {
    FillTrayMenu(scene, moveHere, switchTo);
    benchmark::DoNotOptimize(switchTo.Items.data());
  }
  ReportWindows(state);
}
BENCHMARK(BM_TrayMenuFill)->Apply(WindowCounts);

// The tree alone, to tell its share from the menus'.
void BM_BuildWindowTree(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto tree = BuildWindowTree(scene.ws, {});
    benchmark::DoNotOptimize(tree.get());
  }
  ReportWindows(state);
}
BENCHMARK(BM_BuildWindowTree)->Apply(WindowCounts);

}  // namespace
}  // namespace mirel::bench
