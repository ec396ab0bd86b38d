#include <gtest/gtest.h>

#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

class Switching : public ::testing::Test, public EngineTest {};

TEST_F(Switching, OffsetsFollowTheGrid) {
  const Hwnd a = WindowOn(0, "A");
  const Hwnd b = WindowOn(1, "B");
  config.DesktopNames[5] = "Mail";
  engine.SwitchToDesktop(2);  // desktop 3: DX = -2W
  EXPECT_EQ(RectOf(a), (Rect{100 - 2 * W, 100, 400 - 2 * W, 300}));
  EXPECT_EQ(RectOf(b).left, 100 - W);
  engine.SwitchToDesktop(5);  // desktop 6 from 3: DX = +W, DY = -H
  EXPECT_EQ(RectOf(a), (Rect{100 - W, 100 - H, 400 - W, 300 - H}));
  EXPECT_EQ(engine.CurrentDesktop(), 5);
  EXPECT_EQ(ws.BatchesEnded(), 2);
  EXPECT_EQ(ws.MovesOutsideBatch(), 0);
  EXPECT_EQ(host.overlayHides, 2);
  EXPECT_EQ(host.overlayShows.front().caption, "Desktop 3");
  EXPECT_EQ(host.overlayShows.back().caption, "Mail");  // the name the user gave it
  EXPECT_EQ(host.visualRepaints, 2);
}

TEST_F(Switching, TheDesktopOnScreenMovesNothingButActivatesItsTopmostWindow) {
  const Hwnd top = WindowOn(0, "Top");
  WindowOn(0, "Below");
  // Before any real switch there are no focus slots, so nothing is activated.
  engine.SwitchToDesktop(0);
  EXPECT_TRUE(ws.ForegroundRequests().empty());
  EXPECT_EQ(host.overlayShows.back().caption, "Desktop 1");
  EXPECT_EQ(host.overlayShows.back().target, 0u);
  EXPECT_EQ(host.overlayHides, 0);

  engine.SwitchToDesktop(1);
  engine.SwitchToDesktop(0);
  ws.ClearLog();
  ws.SetForeground(0);
  engine.SwitchToDesktop(0);
  EXPECT_EQ(ws.BatchesEnded(), 0);
  EXPECT_EQ(RectOf(top).left, 100);
  EXPECT_EQ(ws.ForegroundRequests(), (std::vector<Hwnd>{host.mainWindow, top}));
  EXPECT_EQ(host.overlayShows.back().target, top);
}

TEST_F(Switching, EachDesktopRemembersItsActiveWindow) {
  const Hwnd top = WindowOn(0, "Top");
  const Hwnd active = WindowOn(0, "Active");
  WindowOn(1, "Two");
  ws.SetForeground(active);
  engine.SwitchToDesktop(1);
  EXPECT_EQ(engine.FocusSlots()[0], active);
  ws.ClearLog();
  engine.SwitchToDesktop(0);
  EXPECT_EQ(ws.ForegroundRequests().back(), active);

  // Once the remembered window has closed, the topmost window of the desktop takes its place.
  ws.SetForeground(active);
  engine.SwitchToDesktop(1);
  ws.Destroy(active);
  ws.ClearLog();
  engine.SwitchToDesktop(0);
  EXPECT_EQ(ws.ForegroundRequests().back(), top);
}

TEST_F(Switching, ASlotNamingTheMainWindowFallsBackToTheTopmostWindow) {
  const Hwnd top = WindowOn(1, "Top of two");
  ws.Window(host.mainWindow).visible = true;
  ws.SetForeground(host.mainWindow);
  engine.SwitchToDesktop(1);
  engine.SwitchToDesktop(0);
  ws.ClearLog();
  ws.SetForeground(host.mainWindow);
  engine.SwitchToDesktop(1);
  EXPECT_EQ(ws.ForegroundRequests().back(), top);
}

TEST_F(Switching, ShutdownSwitchTouchesNoSlotNoWindowAndNoOverlay) {
  const Hwnd a = WindowOn(0, "A");
  engine.SwitchToDesktop(2);
  const auto slots = engine.FocusSlots();
  const std::size_t shows = host.overlayShows.size();
  ws.ClearLog();
  host.terminating = true;
  ws.SetForeground(a);
  engine.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(a).left, 100);
  EXPECT_EQ(engine.FocusSlots(), slots);
  EXPECT_TRUE(ws.ForegroundRequests().empty());
  EXPECT_EQ(host.overlayShows.size(), shows);
}

TEST_F(Switching, ASwitchRequestedInsideASwitchIsNotInterleavedWithIt) {
  const Hwnd a = WindowOn(0, "A");
  host.duringSwitch = [&] { engine.SwitchToDesktop(0); };
  engine.SwitchToDesktop(2);
  EXPECT_EQ(engine.CurrentDesktop(), 2);
  EXPECT_EQ(RectOf(a).left, 100 - 2 * W);
  EXPECT_EQ(ws.BatchesEnded(), 1);
}

TEST_F(Switching, IndexesBeyondTheGridAreRefused) {
  const Hwnd a = WindowOn(0, "A");
  engine.SwitchToDesktop(8);
  engine.SwitchToDesktop(0xFFFF);
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_EQ(RectOf(a).left, 100);
}

TEST_F(Switching, MoveHereKeepsThePositionInsideTheCell) {
  const Hwnd right = ws.AddWindow("Right", {2100, 50, 2400, 250});
  const Hwnd overhang = ws.AddWindow("Overhang", {-4, 10, 296, 210});
  const Hwnd farLeft = ws.AddWindow("FarLeft", {-1500, 10, -1200, 210});
  const Hwnd below = ws.AddWindow("Below", {30, 768 + 40, 330, 768 + 240});
  for (Hwnd w : {right, overhang, farLeft, below}) engine.MoveHereClick(static_cast<std::intptr_t>(w));
  EXPECT_EQ(RectOf(right), (Rect{52, 50, 352, 250}));
  EXPECT_EQ(RectOf(overhang).left, -4);
  EXPECT_EQ(RectOf(farLeft).left, -476);
  EXPECT_EQ(RectOf(below), (Rect{30, 40, 330, 240}));
  EXPECT_EQ(ws.ForegroundRequests().back(), below);
}

TEST_F(Switching, MoveWindowToDesktopLandsInTheCellRelativeToTheScreen) {
  const Hwnd a = WindowOn(0, "A");
  engine.SwitchToDesktop(1);
  engine.MoveWindowToDesktop(a, 6);  // column 2, row 1, seen from column 1 row 0
  EXPECT_EQ(RectOf(a), (Rect{100 + W, 100 + H, 400 + W, 300 + H}));
  EXPECT_EQ(engine.DesktopOfWindow(a), 6);
}

TEST_F(Switching, ThisAppInMoveHereMovesNothing) {
  const Hwnd a = ws.AddWindow("A", {2100, 50, 2400, 250});
  engine.MoveHereClick(-1);
  EXPECT_EQ(RectOf(a).left, 2100);
  EXPECT_TRUE(ws.ForegroundRequests().empty());
}

TEST_F(Switching, MoveHereWithHidingShowsTheWindowItBroughtIn) {
  config.HideApps = true;
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(0);
  engine.SwitchToDesktop(2);
  engine.SwitchToDesktop(0);
  ASSERT_FALSE(ws.IsWindowVisible(two));
  engine.MoveHereClick(static_cast<std::intptr_t>(two));
  EXPECT_TRUE(ws.IsWindowVisible(two));
  EXPECT_TRUE(ws.IsWindowEnabled(two));
  EXPECT_FALSE(HiddenAppsHas(two));
  EXPECT_EQ(RectOf(two).left, 100);
}

TEST_F(Switching, SwitchToGoesToTheWindowsDesktopAndActivatesIt) {
  const Hwnd four = WindowOn(3, "Four");
  engine.SwitchToClick(static_cast<std::intptr_t>(four));
  EXPECT_EQ(engine.CurrentDesktop(), 3);
  EXPECT_EQ(RectOf(four).left, 100);
  EXPECT_EQ(ws.ForegroundRequests().back(), four);
}

TEST_F(Switching, SwitchToHandsTheChosenWindowToTheOverlayNotTheTopmostOne) {
  WindowOn(3, "Topmost of four");
  const Hwnd chosen = WindowOn(3, "Chosen");
  engine.SwitchToClick(static_cast<std::intptr_t>(chosen));
  EXPECT_EQ(host.overlayShows.back().target, chosen);
  EXPECT_EQ(ws.GetForegroundWindow(), chosen);
}

TEST_F(Switching, SwitchToAWindowOutsideTheGridBringsItHereInstead) {
  const Hwnd lost = ws.AddWindow("Lost", {-3 * W + 10, 20, -3 * W + 310, 220});
  engine.SwitchToClick(static_cast<std::intptr_t>(lost));
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_EQ(engine.DesktopOfWindow(lost), 0);
  EXPECT_EQ(ws.ForegroundRequests().back(), lost);
}

TEST_F(Switching, AWindowMaximizedOnAnotherDesktopIsRestoredOnThatDesktop) {
  const Hwnd maximized = WindowOn(0, "Maximized");
  ws.Maximize(maximized);
  // Maximized on desktop 2 and moved off the screen with it; its restore rectangle stayed.
  ws.Window(maximized).rect = OffsetRect(RectOf(maximized), {W, 0});
  engine.SwitchToDesktop(2);
  EXPECT_EQ(RectOf(maximized), (Rect{100 - W, 100, 400 - W, 300}));
}

// Switches that keep window states: a maximized editor and a minimized window on desktop 1.
class KeepingStates : public Switching {
 protected:
  void SetUp() override {
    config.KeepWindowState = true;
    ws.Maximize(editor);
    ws.Minimize(parked);
  }
  std::uint32_t ShowCmd(Hwnd window) {
    Placement placement;
    ws.GetWindowPlacement(window, placement);
    return placement.showCmd;
  }
  Rect RestoreRect(Hwnd window) { return ws.Window(window).placement.rcNormalPosition; }

  Hwnd editor = WindowOn(0, "Editor");
  Hwnd parked = WindowOn(0, "Parked", 200, 150);
  const Rect parkedRect{200, 150, 500, 350};
};

TEST_F(KeepingStates, AMaximizedWindowMovesInTheBatchAndAMinimizedOneStaysParked) {
  const Rect iconic = RectOf(parked);
  ws.Window(parked).hung = true;  // a minimized window is not asked anything
  engine.SwitchToDesktop(2);
  EXPECT_EQ(RectOf(editor), (Rect{-4 - 2 * W, -4, W + 4 - 2 * W, H + 4}));
  EXPECT_EQ(ShowCmd(editor), static_cast<std::uint32_t>(sw::kShowMaximized));
  EXPECT_EQ(RectOf(parked), iconic);
  EXPECT_EQ(RestoreRect(parked), parkedRect);
  // Its desktop is that of its restore rectangle, carried with desktop 1.
  EXPECT_EQ(engine.DesktopRect(parked), OffsetRect(parkedRect, {-2 * W, 0}));
  EXPECT_EQ(engine.DesktopOfWindow(parked), 0);
  EXPECT_EQ(ws.ShowCalls(), 0);
  EXPECT_EQ(ws.BlockingCallsOnHung(), 0);

  engine.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(editor), (Rect{-4, -4, W + 4, H + 4}));
  EXPECT_EQ(ShowCmd(editor), static_cast<std::uint32_t>(sw::kShowMaximized));
  EXPECT_EQ(ShowCmd(parked), static_cast<std::uint32_t>(sw::kShowMinimized));
  ws.ShowWindow(editor, sw::kRestore);
  ws.ShowWindow(parked, sw::kRestore);
  EXPECT_EQ(RectOf(editor), (Rect{100, 100, 400, 300}));
  EXPECT_EQ(RectOf(parked), parkedRect);
}

TEST_F(KeepingStates, WithHidingOtherDesktopsAreHiddenWhateverTheirStateAndComeBackInIt) {
  config.HideApps = true;
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(1);
  for (Hwnd window : {editor, parked}) {
    EXPECT_FALSE(ws.IsWindowVisible(window));
    EXPECT_TRUE(HiddenAppsHas(window));
  }
  EXPECT_TRUE(ws.IsWindowVisible(two));
  engine.SwitchToDesktop(0);
  EXPECT_TRUE(ws.IsWindowVisible(editor) && ws.IsWindowVisible(parked));
  EXPECT_TRUE(ws.IsWindowEnabled(editor) && ws.IsWindowEnabled(parked));
  EXPECT_EQ(ShowCmd(editor), static_cast<std::uint32_t>(sw::kShowMaximized));
  EXPECT_EQ(ShowCmd(parked), static_cast<std::uint32_t>(sw::kShowMinimized));
  EXPECT_FALSE(ws.IsWindowVisible(two));
}

TEST_F(KeepingStates, WithoutARestoreRectangleAMinimizedWindowStaysOnTheDesktopItWasLeftOn) {
  config.HideApps = true;
  ws.ReportWindowRectAsRestoreRect(true);  // as Wine does for other processes' windows
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(1);
  EXPECT_FALSE(ws.IsWindowVisible(parked));
  ws.Minimize(two);
  engine.SwitchToDesktop(0);
  EXPECT_EQ(engine.DesktopOfWindow(two), 1);
  EXPECT_FALSE(ws.IsWindowVisible(two));
  EXPECT_TRUE(ws.IsWindowVisible(parked));
  EXPECT_EQ(ShowCmd(parked), static_cast<std::uint32_t>(sw::kShowMinimized));
  engine.SwitchToDesktop(1);
  EXPECT_TRUE(ws.IsWindowVisible(two));
  EXPECT_EQ(ShowCmd(two), static_cast<std::uint32_t>(sw::kShowMinimized));
}

TEST_F(KeepingStates, AWindowRestoredOnAnotherDesktopGoesHomeAtTheNextSwitch) {
  engine.SwitchToDesktop(2);
  // Restored from the taskbar while desktop 3 is on screen: the system puts it on the screen.
  ws.ShowWindow(parked, sw::kRestore);
  EXPECT_EQ(RectOf(parked), parkedRect);
  engine.SwitchToDesktop(0);
  EXPECT_EQ(RectOf(parked), parkedRect);
  engine.SwitchToDesktop(2);
  EXPECT_EQ(engine.DesktopOfWindow(parked), 0);
}

TEST_F(KeepingStates, MoveHereCarriesTheRestoreRectangleAndARestartKeepsIt) {
  const Hwnd three = WindowOn(2, "Three");
  ws.Minimize(three);
  engine.SwitchToDesktop(2);
  engine.MoveHereClick(static_cast<std::intptr_t>(parked));
  EXPECT_EQ(engine.DesktopOfWindow(parked), 2);
  EXPECT_EQ(ShowCmd(parked), static_cast<std::uint32_t>(sw::kShowMinimized));
  engine.SwitchToDesktop(1);
  // Killed here: the next run knows where the minimized windows belong.
  TDesktopEngine restarted(ws, registry, config, host);
  restarted.TakeOverDesktops(false);
  EXPECT_EQ(restarted.CurrentDesktop(), 1);
  EXPECT_EQ(restarted.DesktopOfWindow(parked), 2);
  EXPECT_EQ(restarted.DesktopOfWindow(three), 2);
  EXPECT_EQ(restarted.DesktopOfWindow(editor), 0);
  // With the option off again, the next switch restores them onto their own desktop.
  config.KeepWindowState = false;
  restarted.SwitchToDesktop(2);
  EXPECT_EQ(RectOf(parked), parkedRect);
  EXPECT_EQ(RectOf(three), (Rect{100, 100, 400, 300}));
  EXPECT_EQ(RectOf(editor), (Rect{100 - 2 * W, 100, 400 - 2 * W, 300}));
}

}  // namespace
}  // namespace mirel::test
