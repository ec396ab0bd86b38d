// Where the time of a switch and of the tray menu goes under Wine, step by step, against N
// windows of another process: the desktop engine itself running in this process on the Win32
// window system and registry, the window-manager calls a switch makes one by one, the floor batch,
// and the tray menu's tree, lists and real menus.
//
//   mirel_wine_phases [ROUNDS] [COUNTS...]     (defaults: 3 rounds, 10 100 500 windows)
//
// Prints Markdown tables, milliseconds per step (median of the rounds).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bench/wine/samples.h"
#include "engine/desktop_engine.h"
#include "engine/win2tree.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_window_system.h"
#include "platform/registry.h"
#include "platform/win32/windows_api.h"

namespace mirel::bench {
namespace {

// Scratch key for the registry steps, removed at the end.
constexpr const char* kScratchKey = "Software\\Mirel\\Virtual Desktop\\BenchScratch";

double NowMs() {
  LARGE_INTEGER f;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The main form as the engine sees it: no windows of its own, no overlay.
class NoHost : public IEngineHost {
 public:
  Hwnd MainWindow() override { return 0; }
  Hwnd ApplicationWindow() override { return 0; }
  Hwnd OverlayWindow() override { return 0; }
  bool Terminating() override { return false; }
  void HideOverlay() override {}
  void ShowOverlay(Hwnd, const std::string&) override {}
  void InvalidateMainForm() override {}
  void RepaintVisualManagerIfShowing() override {}
};

// The real menu of a menu model, item by item as the program's pop-up builds it.
HMENU BuildMenu(const TMenuItem& parent) {
  HMENU menu = CreatePopupMenu();
  UINT id = 1;
  for (const auto& child : parent.Items) {
    if (child->IsSeparator()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID;
    info.dwTypeData = const_cast<char*>(child->Caption.c_str());
    info.fState = child->Enabled ? MFS_ENABLED : MFS_DISABLED;
    info.wID = id++;
    if (child->HasSubmenu()) {
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = BuildMenu(*child);
    }
    InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
  }
  return menu;
}

void Batch(const Scene& scene, int dx) {
  HDWP batch = BeginDeferWindowPos(static_cast<int>(scene.windows.size()));
  for (std::size_t i = 0; i < scene.windows.size() && batch != nullptr; ++i) {
    batch = DeferWindowPos(batch, scene.windows[i], nullptr, scene.home[i].left + dx,
                           scene.home[i].top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch != nullptr) EndDeferWindowPos(batch);
}

// The batch as the engine defers it: insert-after HWND_BOTTOM, the size given, and `flags`.
void EngineStyleBatch(const Scene& scene, int dx, UINT flags) {
  HDWP batch = BeginDeferWindowPos(static_cast<int>(scene.windows.size()) - 1);
  for (std::size_t i = 0; i < scene.windows.size() && batch != nullptr; ++i) {
    const RECT& home = scene.home[i];
    batch = DeferWindowPos(batch, scene.windows[i], HWND_BOTTOM, home.left + dx, home.top,
                           home.right - home.left, home.bottom - home.top, flags);
  }
  if (batch != nullptr) EndDeferWindowPos(batch);
}
void EngineStyleBatch(const Scene& scene, int dx) {
  EngineStyleBatch(scene, dx, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
// Without SWP_NOSIZE, as the engine once did: Wine then takes about half as long again for the
// same moves, though no size changes.
void SizedBatch(const Scene& scene, int dx) {
  EngineStyleBatch(scene, dx, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Named steps, each timed once per round; the table keeps their order.
class Steps {
 public:
  void Time(const std::string& name, const std::function<void()>& step) {
    if (std::find(order_.begin(), order_.end(), name) == order_.end()) order_.push_back(name);
    const double start = NowMs();
    step();
    times_[name].push_back(NowMs() - start);
  }
  void PrintHeader() const {
    std::printf("| windows |");
    for (const auto& name : order_) std::printf(" %s |", name.c_str());
    std::printf("\n|---:|");
    for (std::size_t i = 0; i < order_.size(); ++i) std::printf("---:|");
    std::printf("\n");
  }
  void PrintRow(int count) const {
    std::printf("| %d |", count);
    for (const auto& name : order_) std::printf(" %.1f |", Median(times_.at(name)));
    std::printf("\n");
    std::fflush(stdout);
  }

 private:
  std::vector<std::string> order_;
  std::map<std::string, std::vector<double>> times_;
};

int Run(int rounds, const std::vector<int>& counts) {
  win32::Win32WindowSystem ws;
  win32::Win32Registry registry;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  std::vector<std::pair<int, Steps>> switchRows;
  std::vector<std::pair<int, Steps>> menuRows;
  std::vector<std::string> managed;
  bool asyncFailures = false;
  for (int count : counts) {
    const Samples samples(count);
    const Scene& scene = samples.scene;
    std::vector<Hwnd> windows(scene.windows.size());
    std::transform(scene.windows.begin(), scene.windows.end(), windows.begin(),
                   [](HWND w) { return reinterpret_cast<Hwnd>(w); });
    std::set<DWORD> threads;
    std::vector<Hwnd> onePerThread;
    for (HWND w : scene.windows) {
      if (threads.insert(GetWindowThreadProcessId(w, nullptr)).second) {
        onePerThread.push_back(reinterpret_cast<Hwnd>(w));
      }
    }
    Steps sw;
    Steps menu;
    for (int round = 0; round < rounds; ++round) {
      sw.Time("floor batch", [&] { Batch(scene, -width); });
      sw.Time("floor batch back", [&] { Batch(scene, 0); });
      sw.Time("batch as the engine defers it", [&] { EngineStyleBatch(scene, -width); });
      sw.Time("batch as the engine defers it, back", [&] { EngineStyleBatch(scene, 0); });
      sw.Time("the same with the size given", [&] { SizedBatch(scene, -width); });
      sw.Time("the same with the size given, back", [&] { SizedBatch(scene, 0); });
      // What a switch does for a window whose thread did not answer its probe: a move that does
      // not wait (SWP_ASYNCWINDOWPOS). Timed until every window reports its new place.
      sw.Time("async moves, until all landed", [&] {
        for (std::size_t i = 0; i < scene.windows.size(); ++i) {
          SetWindowPos(scene.windows[i], nullptr, scene.home[i].left - width, scene.home[i].top, 0,
                       0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        }
        std::size_t landed = 0;
        const double start = NowMs();
        while (landed < scene.windows.size() && NowMs() - start < 10000) {
          RECT r;
          GetWindowRect(scene.windows[landed], &r);
          if (r.left == scene.home[landed].left - width) {
            ++landed;
          } else {
            Sleep(1);
          }
        }
        if (landed < scene.windows.size()) {
          std::fprintf(stderr, "async moves: %zu of %zu landed within 10 s\n", landed,
                       scene.windows.size());
          asyncFailures = true;
        }
        Batch(scene, 0);
      });
      sw.Time("list: walk, visible, title", [&] {
        for (Hwnd w : ws.WindowsInZOrder()) {
          if (ws.IsWindowVisible(w)) GetWindowTitle(ws, w);
        }
      });
      sw.Time("ShowWindow normal, each", [&] {
        for (Hwnd w : windows) ws.ShowWindow(w, sw::kShowNormal);
      });
      sw.Time("rect and placement, each", [&] {
        for (Hwnd w : windows) {
          Rect r;
          Placement p;
          ws.GetWindowRect(w, r);
          ws.GetWindowPlacement(w, p);
        }
      });
      sw.Time("answer probe, each thread", [&] {
        for (Hwnd w : onePerThread) ws.Responds(w, 50);
      });
      // The hiding pass's own calls: the registry record of each window, written and deleted
      // with the key opened per window (as now) and once for all; hiding and showing again.
      sw.Time("registry: open, write, close, each", [&] {
        for (Hwnd w : windows) {
          ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), kScratchKey, true);
          registry.SetString(key.get(), std::to_string(w), GetWindowTitle(ws, w));
        }
      });
      sw.Time("registry: open, delete, close, each", [&] {
        for (Hwnd w : windows) {
          ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), kScratchKey, true);
          registry.DeleteValue(key.get(), std::to_string(w));
        }
      });
      sw.Time("registry: one open, write each", [&] {
        ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), kScratchKey, true);
        for (Hwnd w : windows) registry.SetString(key.get(), std::to_string(w), GetWindowTitle(ws, w));
      });
      sw.Time("registry: one open, delete each", [&] {
        ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), kScratchKey, true);
        for (Hwnd w : windows) registry.DeleteValue(key.get(), std::to_string(w));
      });
      sw.Time("disable and hide, each", [&] {
        for (Hwnd w : windows) {
          ws.EnableWindow(w, false);
          ws.ShowWindow(w, sw::kHide);
        }
      });
      sw.Time("restore and enable, each", [&] {
        for (Hwnd w : windows) {
          ws.ShowWindow(w, sw::kRestore);
          ws.EnableWindow(w, true);
        }
      });
      for (bool hide : {false, true}) {
        TsDeskCFG config;
        config.HideApps = hide;
        NoHost host;
        TDesktopEngine engine(ws, registry, config, host);
        const std::string name = hide ? "engine switch, hiding on" : "engine switch";
        sw.Time(name, [&] { engine.SwitchToDesktop(1); });
        sw.Time(name + ", back", [&] { engine.SwitchToDesktop(0); });
        if (hide) continue;
        // The engine's own part: the window list, the probes, the reads and the batch.
        sw.Time("engine ShiftWindows", [&] { engine.ShiftWindows(-width, 0); });
        sw.Time("engine ShiftWindows, back", [&] { engine.ShiftWindows(width, 0); });
      }
      std::unique_ptr<TWindowNode> tree;
      TMenuItem moveHere;
      TMenuItem switchTo;
      menu.Time("EnumWindows", [&] { ws.EnumWindows([](Hwnd) { return true; }); });
      menu.Time("BuildWindowTree", [&] { tree = BuildWindowTree(ws, {}, false); });
      menu.Time("FillMenuFromTree x 2", [&] {
        const TMenuClick none = [](const TMenuItem&) {};
        FillMenuFromTree(ws, *tree, moveHere, false, nullptr, none);
        FillMenuFromTree(ws, *tree, switchTo, true, nullptr, none);
        FreeWindowTree(tree);
      });
      menu.Time("real menus", [&] {
        DestroyMenu(BuildMenu(moveHere));
        DestroyMenu(BuildMenu(switchTo));
      });
    }
    switchRows.emplace_back(count, sw);
    menuRows.emplace_back(count, menu);
    TsDeskCFG config;
    NoHost host;
    TDesktopEngine engine(ws, registry, config, host);
    engine.RefreshWindowList();
    std::string others;
    for (Hwnd w : engine.ManagedWindows()) {
      if (std::find(windows.begin(), windows.end(), w) == windows.end()) {
        others += " '" + GetWindowTitle(ws, w) + "' [" + GetWindowClass(ws, w) + "]";
      }
    }
    std::string missing;
    for (Hwnd w : windows) {
      const auto& m = engine.ManagedWindows();
      if (std::find(m.begin(), m.end(), w) != m.end()) continue;
      Rect r;
      ws.GetWindowRect(w, r);
      missing += " '" + GetWindowTitle(ws, w) + "' at (" + std::to_string(r.left) + "," +
                 std::to_string(r.top) + ")" + (ws.IsWindowVisible(w) ? "" : " hidden") +
                 (ws.IsWindowEnabled(w) ? "" : " disabled");
    }
    managed.push_back("With " + std::to_string(count) + " windows the engine manages " +
                      std::to_string(engine.ManagedWindows().size()) + " windows; besides them:" +
                      (others.empty() ? std::string(" none") : others) +
                      (missing.empty() ? std::string() : "; not managed:" + missing) + ".");
    std::fprintf(stderr, "%d windows measured\n", count);
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKey);
  std::printf("Switch steps, milliseconds (median of %d rounds)\n\n", rounds);
  switchRows.front().second.PrintHeader();
  for (const auto& [count, steps] : switchRows) steps.PrintRow(count);
  std::printf("\nTray menu steps, milliseconds (median of %d rounds)\n\n", rounds);
  menuRows.front().second.PrintHeader();
  for (const auto& [count, steps] : menuRows) steps.PrintRow(count);
  std::printf("\n");
  for (const std::string& line : managed) std::printf("%s\n", line.c_str());
  if (asyncFailures) std::printf("Some async moves did not land within 10 s (see the log).\n");
  return 0;
}

}  // namespace
}  // namespace mirel::bench

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  std::vector<int> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10, 100, 500};
  try {
    return mirel::bench::Run(rounds, counts);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "phases failed: %s\n", e.what());
    return 1;
  }
}
