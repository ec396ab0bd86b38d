// A desktop engine on the simulated window system, with a host that records what the engine asked
// of the main form.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/desktop_engine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_window_system.h"

namespace mirel::test {

struct OverlayShow {
  Hwnd target;
  std::string caption;
};

class FakeHost : public IEngineHost {
 public:
  Hwnd mainWindow = 0;
  Hwnd appWindow = 0;
  Hwnd overlayWindow = 0;
  bool terminating = false;
  int overlayHides = 0;
  int invalidations = 0;
  int visualRepaints = 0;
  std::vector<OverlayShow> overlayShows;

  Hwnd MainWindow() override { return mainWindow; }
  Hwnd ApplicationWindow() override { return appWindow; }
  Hwnd OverlayWindow() override { return overlayWindow; }
  bool Terminating() override { return terminating; }
  // Runs inside a switch, as a message delivered while the switch waits would.
  std::function<void()> duringSwitch;
  void HideOverlay() override {
    ++overlayHides;
    if (duringSwitch) duringSwitch();
  }
  void ShowOverlay(Hwnd target, const std::string& caption) override {
    overlayShows.push_back({target, caption});
  }
  void InvalidateMainForm() override { ++invalidations; }
  void RepaintVisualManagerIfShowing() override { ++visualRepaints; }
};

// Screen 1024 x 768. The program's own windows exist but are hidden, as at start.
class EngineTest {
 public:
  static constexpr int W = 1024;
  static constexpr int H = 768;

  EngineTest() : engine(ws, registry, config, host) {
    host.appWindow = ws.AddWindow("Mirel Virtual Desktop", {0, 0, 0, 0});
    ws.Window(host.appWindow).visible = false;
    host.mainWindow = ws.AddWindow("Mirel Virtual Desktop", {264, 200, 760, 522});
    ws.Window(host.mainWindow).visible = false;
    host.overlayWindow = ws.AddWindow("fDesktopName", {420, 350, 600, 410});
    ws.Window(host.overlayWindow).visible = false;
  }

  // A normal window whose top-left corner lies in `desktop`'s cell seen from desktop 1.
  Hwnd WindowOn(int desktop, const std::string& title, int x = 100, int y = 100, int w = 300,
                int h = 200) {
    const int left = x + W * (desktop & 3);
    const int top = y + H * (desktop >> 2);
    return ws.AddWindow(title, {left, top, left + w, top + h});
  }

  // The program starts on monitors of another size than the fixture's.
  void StartOnScreen(int width, int height) {
    ws.SetScreenSize(width, height);
    engine.TakeOverDesktops(false);
  }
  void StartOnMonitors(std::vector<MonitorInfo> monitors) {
    ws.SetMonitors(std::move(monitors));
    engine.TakeOverDesktops(false);
  }

  Rect RectOf(Hwnd window) {
    Rect r;
    ws.GetWindowRect(window, r);
    return r;
  }

  bool HiddenAppsHas(Hwnd window) {
    std::string title;
    return registry.ReadString(kHiddenAppsKeyPath, std::to_string(window), title);
  }

  sim::SimWindowSystem ws{W, H};
  sim::SimRegistry registry;
  TsDeskCFG config;
  FakeHost host;
  TDesktopEngine engine;
};

}  // namespace mirel::test
