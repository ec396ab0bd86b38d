// The control panel's pages: the windows tree page's grouping and the visual manager's picture and
// hit test.
#include <benchmark/benchmark.h>

#include "app/visual_manager.h"
#include "app/windows_tree.h"
#include "bench/bench_scene.h"
#include "bench/bench_sizes.h"
#include "bench/bench_steps.h"

namespace mirel::bench {
namespace {

void BM_WindowsTreeGrouping(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)));
  scene.engine.RefreshWindowList();
  for (auto _ : state) {
    auto groups =
        BuildWindowsTree(scene.ws, scene.engine.ManagedWindows(), scene.engine.CurrentDesktop(),
                         scene.engine.Layout());
    benchmark::DoNotOptimize(groups.data());
  }
  ReportWindows(state);
}
BENCHMARK(BM_WindowsTreeGrouping)->Apply(WindowCounts);

// The picture the paint handler draws, window list refresh included.
void BM_VisualManagerPaint(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)));
  QuietVisualHost host;
  TVisualManager visual(scene.engine, host);
  for (auto _ : state) {
    TVisualPicture picture = visual.Compose(kPaintBox);
    benchmark::DoNotOptimize(picture.Windows.data());
  }
  ReportWindows(state);
}
BENCHMARK(BM_VisualManagerPaint)->Apply(WindowCounts);

// A press in the empty strip of the first cell: the hit test walks every window and finds none,
// its worst case. The press refreshes the window list first, as the page does.
void BM_VisualManagerHitTest(benchmark::State& state) {
  BenchScene scene(static_cast<int>(state.range(0)));
  QuietVisualHost host;
  TVisualManager visual(scene.engine, host);
  visual.Compose(kPaintBox);
  const Point press = MissPress();
  for (auto _ : state) {
    visual.MouseDown(TMouseButton::mbLeft, press);
    benchmark::DoNotOptimize(visual.DragWindow());
  }
  if (visual.DragWindow() != 0) state.SkipWithError("the press hit a window");
  ReportWindows(state);
}
BENCHMARK(BM_VisualManagerHitTest)->Apply(WindowCounts);

}  // namespace
}  // namespace mirel::bench
