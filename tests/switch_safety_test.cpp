// No window lost or stuck, whatever happens during a switch: windows their applications change
// while the program holds them, messages that arrive while a switch waits, layouts that change.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

class SwitchSafety : public ::testing::Test, public EngineTest {
 protected:
  void SetUp() override { config.HideApps = true; }
  void ExpectGivenBack(Hwnd window) {
    EXPECT_TRUE(ws.IsWindowVisible(window));
    EXPECT_TRUE(ws.IsWindowEnabled(window));
    EXPECT_FALSE(HiddenAppsHas(window));
    EXPECT_FALSE(engine.HiddenByUs(window));
  }
};

TEST_F(SwitchSafety, AHiddenWindowItsApplicationShowedComesBackEnabled) {
  const Hwnd one = WindowOn(0, "One");
  WindowOn(1, "Two");
  engine.SwitchToDesktop(1);
  ws.ShowWindow(one, sw::kShowNa);  // a second launch of a single-copy application
  engine.SwitchToDesktop(0);
  ExpectGivenBack(one);
}

TEST_F(SwitchSafety, AWindowHiddenMaximizedIsHiddenAgainWhenSwitchesStopKeepingStates) {
  config.KeepWindowState = true;
  const Hwnd one = WindowOn(0, "One");
  ws.Maximize(one);
  WindowOn(1, "Two");
  engine.SwitchToDesktop(1);
  ASSERT_FALSE(ws.IsWindowVisible(one));
  config.KeepWindowState = false;
  engine.SwitchToDesktop(2);
  EXPECT_FALSE(ws.IsWindowVisible(one));
  EXPECT_TRUE(HiddenAppsHas(one));
  engine.SwitchToDesktop(0);
  ExpectGivenBack(one);
  EXPECT_EQ(engine.DesktopOfWindow(one), 0);
}

// The messages the system delivers while a switch waits on another program's thread go through
// the program's one way into the engine, as the main form's handlers do.
TEST_F(SwitchSafety, ADisplayChangeDeliveredWhileASwitchWaitsRunsAfterIt) {
  constexpr MonitorInfo kPrimary{{0, 0, 1024, 768}, {0, 0, 1024, 748}, true};
  constexpr MonitorInfo kRight{{1024, 0, 1824, 600}, {1024, 0, 1824, 600}, false};
  StartOnMonitors({kPrimary, kRight});
  const Hwnd d1 = ws.AddWindow("D1", {100, 100, 400, 300});
  const Hwnd d3 = ws.AddWindow("D3", {1200 + 3648, 100, 1500 + 3648, 300});  // second monitor
  int deliveries = 0;
  ws.OnSentMessages = [&] {
    if (++deliveries > 2) return;
    ws.ChangeMonitors({kPrimary});  // undocked, and told twice
    engine.Request([&] { engine.DisplayChanged(); }, "display");
  };
  engine.Request([&] { engine.SwitchToDesktop(2); });
  ws.OnSentMessages = nullptr;
  EXPECT_EQ(engine.CurrentDesktop(), 2);
  EXPECT_EQ(RectOf(d3), (Rect{724, 100, 1024, 300}));
  ExpectGivenBack(d3);
  EXPECT_EQ(RectOf(d1), (Rect{100 - 2048, 100, 400 - 2048, 300}));
  EXPECT_FALSE(ws.IsWindowVisible(d1));
  engine.Request([&] { engine.SwitchToDesktop(0); });
  EXPECT_EQ(RectOf(d1), (Rect{100, 100, 400, 300}));
  ExpectGivenBack(d1);
}

TEST_F(SwitchSafety, ASwitchRequestedWhileOneRunsFollowsIt) {
  const Hwnd a = WindowOn(0, "A");
  const Hwnd c = WindowOn(2, "C");
  bool first = true;
  ws.OnSentMessages = [&] {
    if (!std::exchange(first, false)) return;
    engine.Request([&] { engine.SwitchToDesktop(0); });
  };
  engine.Request([&] { engine.SwitchToDesktop(2); });
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_EQ(ws.BatchesEnded(), 2);
  ExpectGivenBack(a);
  EXPECT_EQ(RectOf(c).left, 100 + 2 * W);
  EXPECT_FALSE(ws.IsWindowVisible(c));
}

TEST_F(SwitchSafety, AWindowRightOfTheGridOrBelowItBelongsToTheNearestCell) {
  const Hwnd right = ws.AddWindow("Right", {4 * W + 100, 100, 4 * W + 400, 300});
  const Hwnd below = ws.AddWindow("Below", {100, 2 * H + 100, 400, 2 * H + 300});
  EXPECT_EQ(engine.DesktopOfWindow(right), 3);
  EXPECT_EQ(engine.DesktopOfWindow(below), 4);
  engine.SwitchToDesktop(7);
  EXPECT_EQ(engine.DesktopOfWindow(right), 3);
  EXPECT_FALSE(ws.IsWindowVisible(right));
  engine.SwitchToDesktop(3);
  ExpectGivenBack(right);
  engine.SwitchToDesktop(4);
  ExpectGivenBack(below);
}

TEST_F(SwitchSafety, AWindowTheBatchRefusesIsHiddenAndDisabledLikeTheOthers) {
  const Hwnd refused = WindowOn(0, "Refused");
  WindowOn(0, "A");
  ws.RefuseDeferOf(refused);
  engine.SwitchToDesktop(1);
  EXPECT_FALSE(ws.IsWindowVisible(refused));
  EXPECT_FALSE(ws.IsWindowEnabled(refused));
  engine.SwitchToDesktop(0);
  ExpectGivenBack(refused);
}

TEST_F(SwitchSafety, AStuckMaximizedWindowIsRestoredOnTheDesktopItWasMaximizedOn) {
  ws.HoldAsyncCalls(true);
  const Hwnd maximized = WindowOn(0, "Maximized");
  ws.Maximize(maximized);
  ws.Window(maximized).rect = OffsetRect(RectOf(maximized), {W, 0});  // maximized on desktop 2
  ws.Window(maximized).hung = true;
  engine.SwitchToDesktop(2);
  ws.Wake(maximized);
  EXPECT_EQ(RectOf(maximized), (Rect{100 - W, 100, 400 - W, 300}));
}

TEST_F(SwitchSafety, AWindowCloakedOnAnotherDesktopIsHeldUntilItComesBack) {
  config.HideApps = false;
  const Hwnd w = WindowOn(0, "Suspended later");
  engine.SwitchToDesktop(1);
  ws.Window(w).cloaked = true;
  engine.SwitchToDesktop(2);
  engine.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(w), (Rect{100, 100, 400, 300}));
}

TEST_F(SwitchSafety, AWorkAreaChangeLeavesAWindowMovedSinceTheSwitchWhereItWent) {
  const Hwnd w = WindowOn(0, "Dragged");
  engine.SwitchToDesktop(1);
  ws.MoveWindow(w, 100 + W, 100, 300, 200, true);  // to desktop 3, by a drag or its application
  engine.DisplayChanged();
  EXPECT_EQ(RectOf(w).left, 100 + W);
  EXPECT_EQ(engine.DesktopOfWindow(w), 2);
}

TEST_F(SwitchSafety, AStoredSwitchOrHomeOutsideTheLayoutIsNotActedOn) {
  const Hwnd w = WindowOn(0, "W");
  TDesktopRecord record(registry);
  record.Write(0, engine.Layout());
  record.BeginSwitch({0, 2, {INT32_MAX, 0}, {{w, {100, 100}}}});
  record.WriteRestoreHomes({{w, {100, 100}, {INT32_MIN, INT32_MIN}}});
  engine.TakeOverDesktops(false);
  EXPECT_EQ(RectOf(w).left, 100);
}

TEST_F(SwitchSafety, TheHomeOfAMinimizedWindowFollowsItsDesktopWhenAMonitorGoes) {
  constexpr MonitorInfo kPrimary{{0, 0, 1024, 768}, {0, 0, 1024, 748}, true};
  constexpr MonitorInfo kRight{{1024, 0, 2048, 768}, {1024, 0, 2048, 768}, false};
  config.KeepWindowState = true;
  StartOnMonitors({kPrimary, kRight});
  const Hwnd w = ws.AddWindow("W", {3 * 2048 + 1200, 100, 3 * 2048 + 1500, 300});
  engine.SwitchToDesktop(3);
  ws.Minimize(w);
  engine.SwitchToDesktop(0);
  ws.ChangeMonitors({kPrimary});  // undocked
  engine.DisplayChanged();
  ws.ShowWindow(w, sw::kRestore);  // restored while its desktop is away
  engine.SwitchToDesktop(3);
  EXPECT_EQ(RectOf(w), (Rect{724, 100, 1024, 300}));
}

TEST_F(SwitchSafety, AWindowRenamedWhileHiddenIsTakenBackAfterACrash) {
  const Hwnd w = WindowOn(0, "Draft");
  engine.SwitchToDesktop(1);
  ws.Window(w).title = "Report";
  engine.SwitchToDesktop(2);
  TDesktopEngine next(ws, registry, config, host);  // the first run was killed
  next.RefreshWindowList();
  next.TakeOverDesktops(next.RecoverHiddenApps());
  next.SwitchToDesktop(0);
  EXPECT_TRUE(ws.IsWindowVisible(w) && ws.IsWindowEnabled(w));
  EXPECT_FALSE(HiddenAppsHas(w));
}

TEST_F(SwitchSafety, ASecondCopyLeavesTheRecordsOfTheFirstAlone) {
  const Hwnd w = WindowOn(0, "W");
  engine.SwitchToDesktop(1);
  TDesktopRecord(registry).BeginSwitch({1, 2, {-W, 0}, {{w, {100 - W, 100}}}});  // mid-switch
  TDesktopEngine second(ws, registry, config, host);
  second.TakeOverDesktops(false, /*anotherCopyRuns=*/true);
  EXPECT_EQ(RectOf(w).left, 100 - W);
  EXPECT_TRUE(HiddenAppsHas(w));
  EXPECT_TRUE(TDesktopRecord(registry).Read().Switch.has_value());
}

}  // namespace
}  // namespace mirel::test
