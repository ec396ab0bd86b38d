// Desktops on several monitors, monitors that change, and a start after a run that was killed.
#include <gtest/gtest.h>

#include <map>

#include "app/visual_manager.h"
#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

constexpr MonitorInfo kPrimary{{0, 0, 1024, 768}, {0, 0, 1024, 748}, true};
constexpr MonitorInfo kRight{{1024, 0, 1824, 600}, {1024, 0, 1824, 600}, false};
constexpr MonitorInfo kLeft{{-800, 0, 0, 600}, {-800, 0, 0, 600}, false};

struct Killed {};

// What the program does at its start after the last run ended in whatever state.
void StartAgain(TDesktopEngine& engine) {
  engine.RefreshWindowList();
  engine.TakeOverDesktops(engine.RecoverHiddenApps());
}

class Monitors : public ::testing::Test, public EngineTest {
 protected:
  // A window `dx` into `desktop`'s cell of a layout `cell` wide, desktop 1 on screen.
  Hwnd On(int desktop, int cell, int dx, const std::string& title) {
    const int left = dx + cell * (desktop % 4);
    const int top = 100 + H * (desktop / 4);
    return ws.AddWindow(title, {left, top, left + 300, top + 200});
  }
  bool Shown(Hwnd w) { return ws.Window(w).visible && ws.Window(w).enabled; }
};

TEST_F(Monitors, WindowsOnBothMonitorsGoAwayTogetherAndComeBackExactly) {
  config.HideApps = true;
  for (const MonitorInfo& second : {kRight, kLeft}) {
    EngineTest run;
    run.config.HideApps = true;
    run.StartOnMonitors({kPrimary, second});
    const int cell = 1824;
    const int x2 = second.Area.left + 100;  // on the second monitor
    const Hwnd a = run.ws.AddWindow("A", {100, 100, 400, 300});
    const Hwnd b = run.ws.AddWindow("B", {x2, 100, x2 + 300, 300});
    const Hwnd c = run.ws.AddWindow("C", {x2 + cell, 100, x2 + cell + 300, 300});
    run.engine.SwitchToDesktop(1);
    EXPECT_EQ(run.RectOf(c), (Rect{x2, 100, x2 + 300, 300}));
    EXPECT_TRUE(run.ws.Window(c).visible);
    EXPECT_FALSE(run.ws.Window(a).visible);
    EXPECT_FALSE(run.ws.Window(b).visible);
    EXPECT_EQ(run.RectOf(b).left, x2 - cell);
    run.engine.SwitchToDesktop(0);
    EXPECT_EQ(run.RectOf(a), (Rect{100, 100, 400, 300}));
    EXPECT_EQ(run.RectOf(b), (Rect{x2, 100, x2 + 300, 300}));
    EXPECT_TRUE(run.ws.Window(a).visible && run.ws.Window(b).visible);
    EXPECT_FALSE(run.ws.Window(c).visible);
  }
}

TEST_F(Monitors, MoveHereKeepsTheMonitorAndTheMiniatureShowsTheMonitors) {
  StartOnMonitors({kPrimary, kLeft});
  // Desktop 3's copy of the left monitor, seen from desktop 1: two cells of 1824 to the right.
  const Hwnd w = ws.AddWindow("W", {-700 + 3648, 50, -400 + 3648, 250});
  engine.MoveHereClick(static_cast<std::intptr_t>(w));
  EXPECT_EQ(RectOf(w), (Rect{-700, 50, -400, 250}));
  // The outlines of both monitors in each of the eight cells of a 488 x 191 picture.
  config.WindowCfg.CellWidth = 122;
  config.WindowCfg.CellHeight = 96;
  const auto outlines = MonitorOutlines(engine.Layout(), ws.Monitors(), config.WindowCfg);
  ASSERT_EQ(outlines.size(), 16u);
  EXPECT_EQ(outlines[0], (Rect{54, 0, 122, 96}));  // the primary monitor of desktop 1
  EXPECT_EQ(outlines[1], (Rect{0, 0, 54, 75}));
  EXPECT_EQ(outlines[15], (Rect{366, 96, 420, 171}));  // the left monitor of desktop 8
}

TEST_F(Monitors, AfterADisplayChangeEveryWindowKeepsItsDesktopOnAMonitorOfIt) {
  config.HideApps = true;
  StartOnMonitors({kPrimary, kRight});
  const Hwnd a = On(0, 1824, 100, "A");
  const Hwnd onSecond = On(0, 1824, 1200, "B");
  const Hwnd d2 = On(1, 1824, 100, "D2");
  const Hwnd d3 = On(2, 1824, 1200, "D3");  // on desktop 3's copy of the second monitor
  engine.SwitchToDesktop(1);
  engine.SwitchToDesktop(0);
  ASSERT_FALSE(ws.Window(d3).visible);

  // The second monitor goes: the system brings the window on it onto the primary one.
  ws.ChangeMonitors({kPrimary});
  EXPECT_EQ(RectOf(onSecond).left, 724);
  engine.DisplayChanged();
  EXPECT_EQ(RectOf(a), (Rect{100, 100, 400, 300}));
  EXPECT_EQ(RectOf(onSecond), (Rect{724, 100, 1024, 300}));
  EXPECT_EQ(RectOf(d2), (Rect{1124, 100, 1424, 300}));
  EXPECT_EQ(RectOf(d3), (Rect{2048 + 724, 100, 2048 + 1024, 300}));
  EXPECT_FALSE(ws.Window(d3).visible);
  EXPECT_TRUE(HiddenAppsHas(d3));

  // It comes back on the left: the cell grows to the left of the primary monitor.
  ws.ChangeMonitors({kPrimary, kLeft});
  engine.DisplayChanged();
  EXPECT_EQ(RectOf(a), (Rect{100, 100, 400, 300}));
  EXPECT_EQ(RectOf(d2), (Rect{1824 + 100, 100, 1824 + 400, 300}));
  EXPECT_EQ(RectOf(d3), (Rect{3648 + 724, 100, 3648 + 1024, 300}));
  engine.SwitchToDesktop(2);
  EXPECT_EQ(RectOf(d3), (Rect{724, 100, 1024, 300}));
  EXPECT_TRUE(Shown(d3));
  EXPECT_FALSE(ws.Window(a).visible);
}

TEST_F(Monitors, WindowsTheSystemPullsOntoTheScreenGoBackToTheirDesktops) {
  StartOnMonitors({kPrimary, kRight});
  const Hwnd d2 = On(1, 1824, 100, "D2");
  const Hwnd d6 = On(5, 1824, 300, "D6");
  engine.SwitchToDesktop(3);
  engine.SwitchToDesktop(0);
  ws.ChangeMonitors({kPrimary}, /*pullOffScreen=*/true);
  EXPECT_EQ(RectOf(d2).left, 724);
  engine.DisplayChanged();
  EXPECT_EQ(engine.DesktopOfWindow(d2), 1);
  EXPECT_EQ(RectOf(d2), (Rect{1024 + 100, 100, 1024 + 400, 300}));
  EXPECT_EQ(RectOf(d6), (Rect{1024 + 300, 868, 1024 + 600, 1068}));
}

TEST_F(Monitors, AStartAfterAKillTakesOverTheDesktopAndALayoutThatChangedMeanwhile) {
  config.HideApps = true;
  StartOnMonitors({kPrimary, kRight});
  const Hwnd d1 = On(0, 1824, 100, "D1");
  const Hwnd d3 = On(2, 1824, 1200, "D3");
  engine.SwitchToDesktop(2);
  // Killed on desktop 3; the second monitor is gone by the next start, and the system moved the
  // window that was on it.
  ws.ChangeMonitors({kPrimary});
  TDesktopEngine next(ws, registry, config, host);
  StartAgain(next);
  EXPECT_EQ(next.CurrentDesktop(), 2);
  EXPECT_EQ(RectOf(d3), (Rect{724, 100, 1024, 300}));
  EXPECT_TRUE(Shown(d3));
  EXPECT_EQ(RectOf(d1), (Rect{100 - 2048, 100, 400 - 2048, 300}));
  EXPECT_FALSE(ws.Window(d1).visible);
  next.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(d1), (Rect{100, 100, 400, 300}));
  EXPECT_TRUE(Shown(d1));
}

// The program killed between any two of the calls of a switch (moves one window at a time as
// user32 does, hides, enables, registry writes): the next start finds every window on its
// desktop, shows the desktop on screen and hides the others, and goes back to desktop 1 exactly.
TEST(KillDrill, AKillAnywhereInASwitchLosesNothing) {
  for (const bool hide : {true, false}) {
    int killedAt = 0;
    for (int step = 0; killedAt == step; ++step) {
      SCOPED_TRACE(testing::Message() << "hiding " << hide << ", killed at step " << step);
      EngineTest run;
      run.config.HideApps = hide;
      run.StartOnMonitors({kPrimary, kRight});
      std::map<Hwnd, Rect> start;
      std::map<Hwnd, int> desktopOf;
      for (const int desktop : {0, 0, 1, 2, 5, 5}) {
        const int left = 1824 * (desktop % 4) + (start.size() % 2 ? 1200 : 100);
        const Rect r{left, 100 + 768 * (desktop / 4), left + 300, 300 + 768 * (desktop / 4)};
        const Hwnd w = run.ws.AddWindow("W" + std::to_string(start.size()), r);
        start[w] = r;
        desktopOf[w] = desktop;
      }
      run.engine.SwitchToDesktop(2);
      int calls = 0;
      auto kill = [&](auto...) {
        if (calls++ == step) throw Killed{};
      };
      run.ws.OnPlace = kill;
      run.ws.OnShowWindow = kill;
      run.ws.OnEnableWindow = kill;
      run.registry.OnWrite = kill;
      try {
        run.engine.SwitchToDesktop(5);
      } catch (const Killed&) {
        killedAt = step + 1;
      }
      run.ws.OnPlace = nullptr;
      run.ws.OnShowWindow = nullptr;
      run.ws.OnEnableWindow = nullptr;
      run.registry.OnWrite = nullptr;

      TDesktopEngine next(run.ws, run.registry, run.config, run.host);
      StartAgain(next);
      const int current = next.CurrentDesktop();
      EXPECT_TRUE(current == 2 || current == 5) << current;
      for (const auto& [w, desktop] : desktopOf) {
        EXPECT_EQ(next.DesktopOfWindow(w), desktop) << w;
        const bool shown = run.ws.Window(w).visible && run.ws.Window(w).enabled;
        if (desktop == current || !hide) {
          EXPECT_TRUE(shown) << w;
        } else {
          EXPECT_FALSE(run.ws.Window(w).visible) << w;
        }
      }
      next.SwitchToDesktop(0);
      next.ReleaseHiddenWindows();
      for (const auto& [w, r] : start) {
        EXPECT_EQ(run.RectOf(w), r) << w;
        EXPECT_TRUE(run.ws.Window(w).visible && run.ws.Window(w).enabled) << w;
      }
      if (testing::Test::HasFailure()) return;
    }
    // Every kind of step was reached: the moves, the records and the hiding pass.
    EXPECT_GT(killedAt, hide ? 12 : 8);
  }
}

}  // namespace
}  // namespace mirel::test
