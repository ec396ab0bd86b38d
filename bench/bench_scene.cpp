#include "bench/bench_scene.h"

#include <array>
#include <vector>

namespace mirel::bench {

namespace {

// Application names for the titles: enough variety for the title sort and the accelerators.
constexpr std::array<const char*, 12> kApplications = {
    "Editor", "Mail",     "Browser", "Terminal", "Calculator", "Explorer",
    "Player", "Drawing",  "Notes",   "Chat",     "Spreadsheet", "Viewer"};

std::string TitleOf(int index) {
  return std::string(kApplications[static_cast<std::size_t>(index) % kApplications.size()]) +
         " - Document " + std::to_string(index);
}

// Top-left corner inside the cell: spread out, but always above the empty strip.
Rect RectOn(int desktop, int index) {
  const int left = 20 + (index * 37) % 600 + BenchScene::kScreenWidth * (desktop & 3);
  const int top = 20 + (index * 23) % 400 + BenchScene::kScreenHeight * (desktop >> 2);
  return {left, top, left + 300, top + 200};
}

}  // namespace

BenchScene::BenchScene(int windows, bool hideApps) {
  host.appWindow = ws.AddWindow("Mirel Virtual Desktop", {0, 0, 0, 0});
  ws.Window(host.appWindow).visible = false;
  host.mainWindow = ws.AddWindow("Mirel Virtual Desktop", {264, 200, 760, 522});
  ws.Window(host.mainWindow).visible = false;
  host.overlayWindow = ws.AddWindow("fDesktopName", {420, 350, 600, 410});
  ws.Window(host.overlayWindow).visible = false;

  std::vector<Hwnd> added;
  added.reserve(static_cast<std::size_t>(windows));
  for (int i = 0; i < windows; ++i) {
    added.push_back(ws.AddWindow(TitleOf(i), RectOn(i % 8, i)));
    if (i % 10 != 2) continue;
    // The third window of a run owns the first one, and in every other run the second one too.
    const std::size_t owner = static_cast<std::size_t>(i);
    ws.Window(added[owner - 2]).owner = added[owner];
    if ((i / 10) % 2 == 0) ws.Window(added[owner - 1]).owner = added[owner];
  }
  // Some window of the desktop on screen is in the foreground, as when the user works.
  if (!added.empty()) ws.SetForeground(added.front());
  HideApps(hideApps);
}

void BenchScene::HideApps(bool on) {
  config.HideApps = on;
  ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), kHiddenAppsKeyPath, true);
}

}  // namespace mirel::bench
