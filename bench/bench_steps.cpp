#include "bench/bench_steps.h"

#include "engine/win2tree.h"

namespace mirel::bench {

void FillTrayMenu(BenchScene& scene, TMenuItem& moveHere, TMenuItem& switchTo) {
  moveHere.Clear();
  switchTo.Clear();
  auto tree = BuildWindowTree(
      scene.ws, [&scene](Hwnd window) { return scene.engine.HiddenByUs(window); });
  const TMenuClick onClick = [](const TMenuItem&) {};
  FillMenuFromTree(scene.ws, *tree, moveHere, false, nullptr, onClick);
  FillMenuFromTree(scene.ws, *tree, switchTo, true, nullptr, onClick);
  FreeWindowTree(tree);
}

Point MissPress() {
  const int cellHeight = CellSizeFor(kPaintBox, TsDeskCFGWindow{}).cy;
  const int planeY = BenchScene::kEmptyStripTop + 40;
  return {60, planeY * cellHeight / BenchScene::kScreenHeight};
}

}  // namespace mirel::bench
