// Windows whose thread does not answer must never hold up a switch.
#include <gtest/gtest.h>

#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

class StuckWindows : public ::testing::Test, public EngineTest {};

TEST_F(StuckWindows, ASwitchMovesEveryoneAtOnceAndQueuesTheStuckWindowsMove) {
  const Hwnd a = WindowOn(0, "A");
  const Hwnd stuck = WindowOn(0, "Stuck");
  ws.Window(stuck).hung = true;
  const Hwnd b = WindowOn(1, "B");
  engine.SwitchToDesktop(1);
  EXPECT_EQ(ws.BlockingCallsOnHung(), 0);
  EXPECT_EQ(ws.BatchesEnded(), 1);
  EXPECT_EQ(RectOf(a).left, 100 - W);
  EXPECT_EQ(RectOf(b).left, 100);
  // Its move lands once its thread wakes (the simulation applies queued calls at once).
  EXPECT_EQ(RectOf(stuck), (Rect{100 - W, 100, 400 - W, 300}));
}

TEST_F(StuckWindows, HidingAndShowingNeverWaitsForAStuckWindow) {
  config.HideApps = true;
  const Hwnd stuck = WindowOn(1, "Stuck");
  ws.Window(stuck).hung = true;
  engine.SwitchToDesktop(0);
  engine.SwitchToDesktop(2);
  EXPECT_FALSE(ws.IsWindowVisible(stuck));
  EXPECT_FALSE(ws.IsWindowEnabled(stuck));
  engine.SwitchToDesktop(1);
  EXPECT_TRUE(ws.IsWindowVisible(stuck));
  EXPECT_TRUE(ws.IsWindowEnabled(stuck));
  EXPECT_EQ(ws.BlockingCallsOnHung(), 0);
  EXPECT_GT(ws.AsyncCalls(), 0);
}

TEST_F(StuckWindows, EachThreadIsAskedOncePerPass) {
  for (int i = 0; i < 5; ++i) {
    const Hwnd w = WindowOn(0, "Same thread " + std::to_string(i));
    ws.Window(w).thread = 77;
  }
  engine.ShiftWindows(-W, 0);
  EXPECT_EQ(ws.Probes(), 1);
}

TEST_F(StuckWindows, MoveHereQueuesTheMoveOfAStuckWindow) {
  const Hwnd stuck = ws.AddWindow("Stuck", {2100, 50, 2400, 250});
  ws.Window(stuck).hung = true;
  engine.MoveHereClick(static_cast<std::intptr_t>(stuck));
  EXPECT_EQ(RectOf(stuck), (Rect{52, 50, 352, 250}));
  EXPECT_EQ(ws.BlockingCallsOnHung(), 0);
}

// The calls that do not wait land only when the window's thread wakes, after the switch is over.

TEST_F(StuckWindows, ASleepingWindowIsHiddenForTheDesktopItWillLandOn) {
  config.HideApps = true;
  ws.HoldAsyncCalls(true);
  const Hwnd a = WindowOn(0, "A");
  const Hwnd stuck = WindowOn(0, "Stuck");
  ws.Window(stuck).hung = true;
  engine.SwitchToDesktop(1);
  EXPECT_FALSE(ws.IsWindowVisible(a));
  EXPECT_EQ(RectOf(stuck).left, 100);  // still asleep
  EXPECT_TRUE(HiddenAppsHas(stuck));
  ws.Wake(stuck);
  EXPECT_EQ(RectOf(stuck).left, 100 - W);
  EXPECT_FALSE(ws.IsWindowVisible(stuck));
  EXPECT_FALSE(ws.IsWindowEnabled(stuck));

  engine.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(stuck).left, 100);
  EXPECT_TRUE(ws.IsWindowVisible(stuck));
  EXPECT_TRUE(ws.IsWindowEnabled(stuck));
  EXPECT_FALSE(HiddenAppsHas(stuck));
}

TEST_F(StuckWindows, AWindowAsleepOnItsWayIsNotActivatedOnTheDesktopItLeaves) {
  ws.HoldAsyncCalls(true);
  const Hwnd stuck = WindowOn(0, "Stuck");
  ws.Window(stuck).hung = true;
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(1);
  ASSERT_EQ(RectOf(stuck).left, 100);  // still on the screen, its move queued
  ASSERT_FALSE(ws.ForegroundRequests().empty());
  EXPECT_EQ(ws.ForegroundRequests().back(), two);
}

TEST_F(StuckWindows, SwitchesWhileAWindowSleepsAddUpToItsDesktop) {
  ws.HoldAsyncCalls(true);
  const Hwnd stuck = WindowOn(0, "Stuck");
  ws.Window(stuck).hung = true;
  engine.SwitchToDesktop(1);
  engine.SwitchToDesktop(6);  // column 3, row 2
  ws.Wake(stuck);
  EXPECT_EQ(RectOf(stuck), (Rect{100 - 2 * W, 100 - H, 400 - 2 * W, 300 - H}));

  ws.Window(stuck).hung = true;
  engine.SwitchToDesktop(3);
  engine.SwitchToDesktop(6);
  ws.Wake(stuck);
  EXPECT_EQ(RectOf(stuck), (Rect{100 - 2 * W, 100 - H, 400 - 2 * W, 300 - H}));
  engine.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(stuck), (Rect{100, 100, 400, 300}));
}

}  // namespace
}  // namespace mirel::test
