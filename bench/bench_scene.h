// A desktop of simulated windows for the benchmarks: the program's own hidden windows, then n
// titled windows spread evenly over the eight desktops, some of them owned by others, all lying in
// the upper part of their cells so that the lowest strip of every cell is empty.
#pragma once

#include <string>

#include "engine/desktop_engine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_window_system.h"

namespace mirel::bench {

// The main form as the engine sees it, with nothing recorded: the benchmarks run millions of
// iterations.
class BenchHost : public IEngineHost {
 public:
  Hwnd mainWindow = 0;
  Hwnd appWindow = 0;
  Hwnd overlayWindow = 0;

  Hwnd MainWindow() override { return mainWindow; }
  Hwnd ApplicationWindow() override { return appWindow; }
  Hwnd OverlayWindow() override { return overlayWindow; }
  bool Terminating() override { return false; }
  void HideOverlay() override {}
  void ShowOverlay(Hwnd, const std::string&) override {}
  void InvalidateMainForm() override {}
  void RepaintVisualManagerIfShowing() override {}
};

class BenchScene {
 public:
  static constexpr int kScreenWidth = 1024;
  static constexpr int kScreenHeight = 768;
  // Windows never reach below this line of their cell.
  static constexpr int kEmptyStripTop = 620;

  // `windows` simulated windows besides the program's own. In every run of ten windows in Z order,
  // the first one or two are owned by the third (alternately two and one), as dialogs lie above
  // the application window that owns them.
  explicit BenchScene(int windows, bool hideApps = false);
  BenchScene(const BenchScene&) = delete;
  BenchScene& operator=(const BenchScene&) = delete;

  // Lets the engine hide and show windows as a switch does; the key is created once beforehand,
  // as after the program's first pass.
  void HideApps(bool on);

  sim::SimWindowSystem ws{kScreenWidth, kScreenHeight};
  sim::SimRegistry registry;
  TsDeskCFG config;
  BenchHost host;
  TDesktopEngine engine{ws, registry, config, host};
};

}  // namespace mirel::bench
