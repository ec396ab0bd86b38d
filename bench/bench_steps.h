// What the benchmarks and the one-step program run, in one place so both measure the same work.
#pragma once

#include "app/visual_manager.h"
#include "bench/bench_scene.h"
#include "engine/menu_model.h"

namespace mirel::bench {

// The tray menu before it opens: one owner tree of the top-level windows, filled into the
// "Move here" and "Switch To" submenus (title sort and accelerators included), then freed.
void FillTrayMenu(BenchScene& scene, TMenuItem& moveHere, TMenuItem& switchTo);

// The visual manager's paint box at its designed size: cells of 122 x 96 pixels.
inline constexpr Size kPaintBox{488, 191};

// A press in the empty strip of the first cell: the hit test walks every window and finds none.
Point MissPress();

class QuietVisualHost : public IVisualManagerHost {
 public:
  void StartAllowMove(int) override {}
  void StopAllowMove() override {}
  void RepaintPicture() override {}
  void InvalidatePicture() override {}
};

}  // namespace mirel::bench
