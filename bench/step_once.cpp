// One step of the benchmarks, once, for counting instructions: sets up the simulated desktop, runs
// the step once unmeasured (so that lists and tables have their working size), then once more
// inside MeasuredStep, the one function a profiler is told to collect in.
//
//   mirel_step_once STEP [WINDOWS]
//
// STEP: refresh, shift, hiding, switch, switch-hide, traymenu, tree, grouping, paint, hittest.
// WINDOWS defaults to 1000.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/visual_manager.h"
#include "app/windows_tree.h"
#include "bench/bench_scene.h"
#include "bench/bench_steps.h"
#include "engine/win2tree.h"

namespace mirel::bench {

// Kept out of line: the profiler starts and stops collecting at its entry and exit.
[[gnu::noinline]] void MeasuredStep(const std::function<void()>& step) { step(); }

namespace {

// The step as a callable that alternates its direction from call to call, like the benchmark.
std::function<void()> MakeStep(const std::string& name, BenchScene& scene, TVisualManager& visual) {
  auto& engine = scene.engine;
  if (name == "refresh") return [&engine] { engine.RefreshWindowList(); };
  if (name == "shift") {
    return [&engine, dx = -BenchScene::kScreenWidth]() mutable {
      engine.ShiftWindows(dx, 0);
      dx = -dx;
    };
  }
  if (name == "hiding") {
    scene.HideApps(true);
    engine.RefreshWindowList();
    return [&engine, desktop = 0]() mutable {
      engine.ApplyHiding(desktop);
      desktop ^= 1;
    };
  }
  if (name == "switch" || name == "switch-hide") {
    scene.HideApps(name == "switch-hide");
    return [&engine, target = std::uint16_t{1}]() mutable {
      engine.SwitchToDesktop(target);
      target ^= 1;
    };
  }
  if (name == "traymenu") {
    // Shared: the step must be copyable, the menus are not.
    auto menus = std::make_shared<std::pair<TMenuItem, TMenuItem>>();
    return [&scene, menus] { FillTrayMenu(scene, menus->first, menus->second); };
  }
  if (name == "tree") {
    return [&scene] { auto tree = BuildWindowTree(scene.ws, {}); };
  }
  if (name == "grouping") {
    engine.RefreshWindowList();
    return [&scene] {
      auto groups = BuildWindowsTree(scene.ws, scene.engine.ManagedWindows(),
                                     scene.engine.CurrentDesktop(), scene.engine.Layout());
    };
  }
  if (name == "paint") return [&visual] { visual.Compose(kPaintBox); };
  if (name == "hittest") {
    visual.Compose(kPaintBox);
    return [&visual] { visual.MouseDown(TMouseButton::mbLeft, MissPress()); };
  }
  return {};
}

}  // namespace
}  // namespace mirel::bench

int main(int argc, char** argv) {
  using namespace mirel::bench;
  const std::string name = argc > 1 ? argv[1] : "";
  const int windows = argc > 2 ? std::atoi(argv[2]) : 1000;
  BenchScene scene(windows);
  QuietVisualHost host;
  mirel::TVisualManager visual(scene.engine, host);
  const std::function<void()> step = MakeStep(name, scene, visual);
  if (!step || windows < 0) {
    std::fprintf(stderr,
                 "usage: %s refresh|shift|hiding|switch|switch-hide|traymenu|tree|grouping|paint|"
                 "hittest [WINDOWS]\n",
                 argv[0]);
    return 2;
  }
  step();
  MeasuredStep(step);
  return 0;
}
