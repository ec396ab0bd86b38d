#include <gtest/gtest.h>

#include "app/windows_tree.h"
#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

class DesktopModel : public ::testing::Test, public EngineTest {};

TEST_F(DesktopModel, DesktopOfWindowFollowsTheCentreWithTruncationTowardZero) {
  const Hwnd onScreen = ws.AddWindow("A", {0, 0, W, H});
  const Hwnd right = ws.AddWindow("B", {W, 0, 2 * W, H});
  const Hwnd below = ws.AddWindow("C", {0, H, W, 2 * H});
  // Centre 200 px left of the screen still counts as desktop 1, not a desktop to the left.
  const Hwnd leftOfScreen = ws.AddWindow("D", {-500, 100, 100, 300});
  const Hwnd farLeft = ws.AddWindow("E", {-2 * W, 0, -W, 100});
  const Hwnd minimized = ws.AddWindow("F", {-32000, -32000, -31840, -31972});
  EXPECT_EQ(engine.DesktopOfWindow(onScreen), 0);
  EXPECT_EQ(engine.DesktopOfWindow(right), 1);
  EXPECT_EQ(engine.DesktopOfWindow(below), 4);
  EXPECT_EQ(engine.DesktopOfWindow(leftOfScreen), 0);
  EXPECT_LT(engine.DesktopOfWindow(farLeft), 0);
  EXPECT_LT(engine.DesktopOfWindow(minimized), 0);
}

TEST_F(DesktopModel, DesktopOfWindowCountsFromTheDesktopOnScreen) {
  const Hwnd a = WindowOn(0, "A");
  engine.SwitchToDesktop(5);
  EXPECT_EQ(engine.DesktopOfWindow(a), 0);
  EXPECT_EQ(RectOf(a).left, 100 - W);
  EXPECT_EQ(RectOf(a).top, 100 - H);
}

TEST_F(DesktopModel, RefreshSkipsOwnWindowsInvisibleUntitledAndProgramManager) {
  const Hwnd top = WindowOn(0, "Editor");
  ws.AddWindow("", {0, 0, 10, 10});
  ws.AddWindow("Program Manager", {0, 0, W, H});
  const Hwnd lowerCase = ws.AddWindow("program manager", {0, 0, 10, 10});
  ws.Window(ws.AddWindow("Wine System Tray", {0, 0, 10, 10})).className =
      "__winex11_standalone_tray";
  ws.Window(ws.AddWindow("Taskbar", {0, 740, 1024, 768})).className = "Shell_TrayWnd";
  const Hwnd invisible = WindowOn(0, "Invisible");
  ws.Window(invisible).visible = false;
  host.overlayWindow = ws.AddWindow("Desktop 1", {0, 0, 10, 10});
  ws.SetForeground(top);

  engine.RefreshWindowList();
  EXPECT_EQ(engine.ManagedWindows(), (std::vector<Hwnd>{top, lowerCase}));
  EXPECT_EQ(engine.LastForeground(), top);

  // While the program terminates the overlay is not consulted and counts as any window.
  host.terminating = true;
  engine.RefreshWindowList();
  EXPECT_EQ(engine.ManagedWindows().back(), host.overlayWindow);
}

TEST_F(DesktopModel, ShiftWindowsLeavesParkedWindowsAlone) {
  config.HideApps = false;
  const Hwnd parked = ws.AddWindow("Parked", {-20000, 10, -19700, 210});
  const Hwnd far = ws.AddWindow("Far", {3000, 10, 3300, 210});
  const Hwnd ownLimit = ws.AddWindow("OwnLimit", {-20000, 10, -19700, 210});
  ws.Window(ownLimit).placement.ptMinPosition = {-32000, -32000};

  engine.ShiftWindows(-W, 0);
  EXPECT_EQ(RectOf(parked).left, -20000);
  EXPECT_EQ(RectOf(far).left, 3000 - W);
  EXPECT_EQ(RectOf(ownLimit).left, -20000 - W);
  EXPECT_EQ(ws.BatchesEnded(), 1);
  EXPECT_EQ(ws.MovesOutsideBatch(), 0);
}

TEST_F(DesktopModel, ShiftWindowsReachesEveryCellOnWideScreens) {
  StartOnScreen(3840, 2160);
  const Hwnd desk4 = ws.AddWindow("Desk4", {11520 + 100, 100, 11520 + 900, 700});
  const Hwnd desk8 = ws.AddWindow("Desk8", {11520 + 100, 2160 + 100, 11520 + 900, 2160 + 700});
  const Hwnd parked = ws.AddWindow("Parked", {-32000, -32000, -31000, -31000});
  engine.SwitchToDesktop(3);
  EXPECT_EQ(RectOf(desk4).left, 100);
  engine.SwitchToDesktop(7);
  EXPECT_EQ(RectOf(desk8), (Rect{100, 100, 900, 700}));
  EXPECT_EQ(RectOf(parked).left, -32000);
}

TEST_F(DesktopModel, ShiftWindowsShowsEveryWindowNormally) {
  const Hwnd maximized = WindowOn(0, "Max");
  ws.Maximize(maximized);
  const Hwnd minimized = WindowOn(1, "Min");
  ws.Minimize(minimized);
  engine.SwitchToDesktop(1);
  EXPECT_EQ(ws.Window(maximized).placement.showCmd, static_cast<std::uint32_t>(sw::kShowNormal));
  EXPECT_EQ(RectOf(maximized).left, 100 - W);
  EXPECT_EQ(RectOf(minimized), (Rect{100, 100, 400, 300}));
}

TEST_F(DesktopModel, FailingBatchMovesNothingButTheSwitchStillRecordsTheDesktop) {
  const Hwnd a = WindowOn(0, "A");
  ws.FailBeginDefer(true);
  engine.SwitchToDesktop(2);
  EXPECT_EQ(RectOf(a).left, 100);
  EXPECT_EQ(engine.CurrentDesktop(), 2);
}

TEST_F(DesktopModel, AWindowClosingMidPassDoesNotStopTheOthers) {
  const Hwnd a = WindowOn(0, "A");
  const Hwnd doomed = WindowOn(0, "Doomed");
  const Hwnd c = WindowOn(1, "C");
  // `doomed` closes after it was measured, before the batch is applied.
  ws.OnGetWindowRect = [&](Hwnd measured) {
    if (measured == c && ws.Exists(doomed)) ws.Destroy(doomed);
  };
  engine.SwitchToDesktop(1);
  EXPECT_EQ(RectOf(a).left, 100 - W);
  EXPECT_EQ(RectOf(c).left, 100);
  EXPECT_EQ(ws.BatchesEnded(), 1);
}

TEST_F(DesktopModel, ASwitchShowsNormallyOnlyTheWindowsNotAlreadyNormal) {
  const Hwnd plain = WindowOn(0, "Plain");
  const Hwnd maximized = WindowOn(0, "Maximized");
  ws.Maximize(maximized);
  const Hwnd minimized = WindowOn(0, "Minimized");
  ws.Minimize(minimized);
  ws.ClearLog();
  engine.SwitchToDesktop(1);
  EXPECT_EQ(ws.ShowCalls(), 2);
  for (Hwnd w : {plain, maximized, minimized}) {
    EXPECT_EQ(ws.Window(w).placement.showCmd, static_cast<std::uint32_t>(sw::kShowNormal));
    EXPECT_TRUE(ws.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w).left, 100 - W) << ws.Window(w).title;
  }
}

TEST_F(DesktopModel, AWindowTheBatchRefusesIsStillMovedOnItsOwn) {
  const Hwnd a = WindowOn(0, "A");
  const Hwnd refused = WindowOn(0, "Refused");
  const Hwnd c = WindowOn(0, "C");
  ws.RefuseDeferOf(refused);
  engine.SwitchToDesktop(1);
  for (Hwnd w : {a, refused, c}) EXPECT_EQ(RectOf(w).left, 100 - W) << ws.Window(w).title;
  EXPECT_EQ(ws.BatchesEnded(), 1);
  EXPECT_EQ(ws.MovesOutsideBatch(), 1);
}

TEST_F(DesktopModel, AWindowThatResizedItselfSinceItWasMeasuredKeepsItsNewSize) {
  const Hwnd growing = WindowOn(0, "Growing");
  const Hwnd other = WindowOn(0, "Other");
  // Windows are measured topmost first: Growing grows once it was measured, before the batch.
  bool grown = false;
  ws.OnGetWindowRect = [&](Hwnd measured) {
    if (measured != other || grown) return;
    grown = true;
    ws.Window(growing).rect.right += 50;
  };
  engine.SwitchToDesktop(1);
  EXPECT_EQ(RectOf(growing).left, 100 - W);
  EXPECT_EQ(RectOf(growing).Width(), 350);
}

class Hiding : public DesktopModel {
 protected:
  void SetUp() override { config.HideApps = true; }
};

TEST_F(Hiding, SwitchHidesDisablesAndRecordsOtherDesktopsThenGivesThemBack) {
  const Hwnd one = WindowOn(0, "One");
  const Hwnd two = WindowOn(1, "Two");
  const Hwnd five = WindowOn(4, "Five");
  engine.SwitchToDesktop(1);

  for (Hwnd w : {one, five}) {
    EXPECT_FALSE(ws.IsWindowVisible(w));
    EXPECT_FALSE(ws.IsWindowEnabled(w));
    EXPECT_TRUE(engine.HiddenByUs(w));
    EXPECT_TRUE(HiddenAppsHas(w));
  }
  std::string title;
  ASSERT_TRUE(registry.ReadString(kHiddenAppsKeyPath, std::to_string(five), title));
  EXPECT_EQ(title, "Five");
  EXPECT_TRUE(ws.IsWindowVisible(two));
  EXPECT_FALSE(HiddenAppsHas(two));

  engine.SwitchToDesktop(0);
  EXPECT_TRUE(ws.IsWindowVisible(one));
  EXPECT_TRUE(ws.IsWindowEnabled(one));
  EXPECT_FALSE(HiddenAppsHas(one));
  EXPECT_FALSE(ws.IsWindowVisible(two));
  EXPECT_FALSE(ws.IsWindowVisible(five));
  // One entry per hidden window, however many passes hid it again.
  EXPECT_EQ(engine.HiddenWindows().size(), 2u);
}

TEST_F(Hiding, CloakedWindowsAreNeitherMovedNorHiddenNorListed) {
  const Hwnd two = WindowOn(1, "Two");
  const Hwnd cloakedHere = WindowOn(0, "Settings");
  const Hwnd cloakedThere = WindowOn(2, "Suspended");
  ws.Window(cloakedHere).cloaked = true;
  ws.Window(cloakedThere).cloaked = true;
  const Rect here = RectOf(cloakedHere);
  const Rect there = RectOf(cloakedThere);
  engine.SwitchToDesktop(1);
  engine.SwitchToDesktop(2);
  for (Hwnd w : {cloakedHere, cloakedThere}) {
    EXPECT_TRUE(ws.IsWindowVisible(w));
    EXPECT_TRUE(ws.IsWindowEnabled(w));
    EXPECT_FALSE(engine.HiddenByUs(w));
    EXPECT_FALSE(HiddenAppsHas(w));
  }
  EXPECT_EQ(RectOf(cloakedHere), here);
  EXPECT_EQ(RectOf(cloakedThere), there);
  EXPECT_EQ(engine.ManagedWindows(), (std::vector<Hwnd>{two}));  // the visual manager's list too
  EXPECT_EQ(BuildWindowsTree(ws, engine.ManagedWindows(), 2, engine.Layout())[1].Windows.size(),
            1u);

  // A window the program hid stays managed whatever the system reports: it comes back.
  ws.Window(two).cloaked = true;
  engine.SwitchToDesktop(1);
  EXPECT_TRUE(ws.IsWindowVisible(two));
  EXPECT_EQ(RectOf(two).left, 100);
  EXPECT_FALSE(HiddenAppsHas(two));
}

TEST_F(Hiding, WindowsAlreadyHiddenOrShownCostNoCalls) {
  const Hwnd one = WindowOn(0, "One");
  const Hwnd two = WindowOn(1, "Two");
  const Hwnd three = WindowOn(2, "Three");
  const Hwnd four = WindowOn(3, "Four");
  engine.SwitchToDesktop(1);
  ws.ClearLog();
  engine.SwitchToDesktop(2);
  // Only Two (to hide) and Three (to show) change: the batch hides and shows them, and each gets
  // one enable call.
  EXPECT_EQ(ws.ShowCalls(), 0);
  EXPECT_EQ(ws.EnableCalls(), 2);
  EXPECT_EQ(ws.BatchesEnded(), 1);
  for (Hwnd w : {one, two, four}) {
    EXPECT_FALSE(ws.IsWindowVisible(w)) << ws.Window(w).title;
    EXPECT_FALSE(ws.IsWindowEnabled(w)) << ws.Window(w).title;
    EXPECT_TRUE(HiddenAppsHas(w)) << ws.Window(w).title;
  }
  EXPECT_TRUE(ws.IsWindowVisible(three));
  EXPECT_TRUE(ws.IsWindowEnabled(three));
  EXPECT_FALSE(HiddenAppsHas(three));
  EXPECT_EQ(engine.HiddenWindows().size(), 3u);
  EXPECT_EQ(RectOf(one).left, 100 - 2 * W);  // hidden windows move with their desktops
}

TEST_F(Hiding, TheBatchHidesOnlyRecordedWindowsAndShowsOnlyEnabledOnes) {
  const Hwnd one = WindowOn(0, "One");
  const Hwnd two = WindowOn(1, "Two");
  const Hwnd own = WindowOn(1, "Disabled by its application");
  ws.Window(own).enabled = false;
  engine.SwitchToDesktop(1);
  int placed = 0;
  ws.OnPlace = [&](Hwnd) {
    if (placed++ > 0) return;
    // Going back to desktop 1: as the batch starts, the windows it hides are on record, the one
    // it shows is enabled, and the one its application disabled stays so.
    EXPECT_TRUE(HiddenAppsHas(two));
    EXPECT_TRUE(HiddenAppsHas(own));
    EXPECT_TRUE(ws.IsWindowEnabled(one));
    EXPECT_FALSE(ws.IsWindowVisible(one));
  };
  engine.SwitchToDesktop(0);
  ws.OnPlace = nullptr;
  EXPECT_EQ(placed, 3);
  EXPECT_TRUE(ws.IsWindowVisible(one) && ws.IsWindowEnabled(one));
  EXPECT_FALSE(ws.IsWindowVisible(two) || ws.IsWindowEnabled(two));
  EXPECT_FALSE(ws.IsWindowVisible(own));
  engine.SwitchToDesktop(1);
  EXPECT_FALSE(ws.IsWindowEnabled(own));
}

TEST_F(Hiding, AWindowHeldHiddenStaysHeldWhenAPassFailsBeforeReachingIt) {
  const Hwnd one = WindowOn(0, "One");
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(1);
  registry.FailKeyOpening(true);
  EXPECT_THROW(engine.SwitchToDesktop(2), AppError);
  // The pass ended at Two; One, held hidden, was neither shown nor forgotten meanwhile.
  EXPECT_FALSE(ws.IsWindowVisible(one));
  EXPECT_FALSE(ws.IsWindowEnabled(one));
  EXPECT_TRUE(engine.HiddenByUs(one));
  EXPECT_TRUE(HiddenAppsHas(one));
  registry.FailKeyOpening(false);
  engine.SwitchToDesktop(0);
  EXPECT_TRUE(ws.IsWindowVisible(one));
  EXPECT_TRUE(ws.IsWindowEnabled(one));
  EXPECT_FALSE(HiddenAppsHas(one));
  EXPECT_FALSE(ws.IsWindowVisible(two));
}

TEST_F(Hiding, AWindowClosedWhileHiddenLeavesNeitherEntryNorValue) {
  const Hwnd one = WindowOn(0, "One");
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(2);
  ASSERT_TRUE(HiddenAppsHas(two));
  ws.Destroy(two);
  engine.SwitchToDesktop(3);
  EXPECT_FALSE(HiddenAppsHas(two));
  EXPECT_FALSE(engine.HiddenByUs(two));
  ASSERT_EQ(engine.HiddenWindows().size(), 1u);
  EXPECT_EQ(engine.HiddenWindows()[0].Handle, one);
  EXPECT_TRUE(HiddenAppsHas(one));
  // A hidden window whose title went empty is no longer managed, but it still exists: kept.
  ws.Window(one).title.clear();
  engine.SwitchToDesktop(2);
  EXPECT_EQ(engine.HiddenWindows().size(), 1u);
  EXPECT_TRUE(HiddenAppsHas(one));
}

TEST_F(Hiding, PassOutsideASwitchKeepsMinimizedWindowsAndRestoresThem) {
  const Hwnd minimized = WindowOn(2, "Minimized");
  ws.Minimize(minimized);
  const Hwnd other = WindowOn(2, "Other");
  engine.RefreshWindowList();
  engine.ApplyHiding(0);
  EXPECT_TRUE(ws.IsWindowVisible(minimized));
  EXPECT_EQ(ws.Window(minimized).placement.showCmd, static_cast<std::uint32_t>(sw::kShowNormal));
  EXPECT_FALSE(ws.IsWindowVisible(other));
}

TEST_F(Hiding, OnlyWindowsTheProgramDisabledAreEnabledAgain) {
  const Hwnd modalOwner = WindowOn(0, "Owner of a modal dialog");
  ws.Window(modalOwner).enabled = false;
  const Hwnd elsewhere = WindowOn(1, "Elsewhere");
  engine.SwitchToDesktop(2);
  engine.SwitchToDesktop(0);
  EXPECT_TRUE(ws.IsWindowVisible(modalOwner));
  EXPECT_FALSE(ws.IsWindowEnabled(modalOwner));
  engine.SwitchToDesktop(1);
  EXPECT_TRUE(ws.IsWindowEnabled(elsewhere));
}

TEST_F(Hiding, StickyAndOverlayWindowsAreNeverHidden) {
  const Hwnd sticky = WindowOn(3, "Sticky clock");
  config.StickyWindows->Add({sticky, "", "", TStickyKind::skByHandle});
  ws.Window(host.overlayWindow).visible = true;
  ws.Window(host.overlayWindow).title = "Desktop 2";
  engine.SwitchToDesktop(1);
  EXPECT_TRUE(ws.IsWindowVisible(sticky));
  EXPECT_FALSE(HiddenAppsHas(sticky));
  EXPECT_EQ(RectOf(sticky).left, 100 + 2 * W);  // it still moves with its desktop
  EXPECT_TRUE(ws.IsWindowVisible(host.overlayWindow));
}

TEST_F(Hiding, TurningTheOptionOffGivesHiddenWindowsBackAtOnce) {
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(0);
  engine.SwitchToDesktop(2);
  ASSERT_FALSE(ws.IsWindowVisible(two));
  engine.HideAppsCBClick(false);
  EXPECT_FALSE(config.HideApps);
  EXPECT_TRUE(ws.IsWindowVisible(two));
  EXPECT_TRUE(ws.IsWindowEnabled(two));
  EXPECT_FALSE(HiddenAppsHas(two));
  EXPECT_TRUE(engine.HiddenWindows().empty());
}

TEST_F(Hiding, RegistryFailureEndsThePassAtThatWindow) {
  const Hwnd a = WindowOn(0, "A");
  const Hwnd b = WindowOn(0, "B");
  registry.FailKeyCreation(true);
  try {
    engine.SwitchToDesktop(1);
    FAIL() << "the switch should report the registry failure";
  } catch (const AppError& error) {
    EXPECT_STREQ(error.what(),
                 "Cannot create key : Software\\Mirel\\Virtual Desktop\\HiddenApps");
  }
  EXPECT_EQ(engine.CurrentDesktop(), 1);
  EXPECT_EQ(RectOf(a).left, 100 - W);
  // The pass walks bottom first: B failed and stays visible and enabled; A was not reached.
  EXPECT_TRUE(ws.IsWindowVisible(b));
  EXPECT_TRUE(ws.IsWindowEnabled(b));
  EXPECT_TRUE(ws.IsWindowVisible(a));
  EXPECT_TRUE(host.overlayShows.empty());
}

TEST_F(Hiding, ReleaseAtShutdownShowsEveryHeldWindowAndForgetsIt) {
  const Hwnd two = WindowOn(1, "Two");
  const Hwnd three = WindowOn(2, "Three");
  engine.SwitchToDesktop(1);
  host.terminating = true;
  engine.SwitchToDesktop(0);
  engine.ReleaseHiddenWindows();
  for (Hwnd w : {two, three}) {
    EXPECT_TRUE(ws.IsWindowVisible(w));
    EXPECT_TRUE(ws.IsWindowEnabled(w));
    EXPECT_FALSE(HiddenAppsHas(w));
  }
  EXPECT_EQ(RectOf(two).left, 100 + W);  // still on its own desktop
}

TEST_F(Hiding, RecoveryTakesBackOnlyTheRecordedWindows) {
  const Hwnd hidden = WindowOn(1, "Hidden by a crashed run");
  ws.Window(hidden).visible = false;
  ws.Window(hidden).enabled = false;
  const Hwnd disabled = WindowOn(0, "Left disabled");
  ws.Window(disabled).enabled = false;
  const Hwnd renamed = WindowOn(2, "Now another title");
  ws.Window(renamed).visible = false;
  registry.SetRaw(kHiddenAppsKeyPath, std::to_string(hidden),
                  {kRegSz, {'H', 'i', 'd', 'd', 'e', 'n', ' ', 'b', 'y', ' ', 'a', ' ', 'c', 'r',
                            'a', 's', 'h', 'e', 'd', ' ', 'r', 'u', 'n', 0}});
  registry.SetRaw(kHiddenAppsKeyPath, std::to_string(disabled),
                  {kRegSz, {'L', 'e', 'f', 't', ' ', 'd', 'i', 's', 'a', 'b', 'l', 'e', 'd', 0}});
  registry.SetRaw(kHiddenAppsKeyPath, std::to_string(renamed), {kRegSz, {'O', 'l', 'd', 0}});
  registry.SetRaw(kHiddenAppsKeyPath, "garbage", {kRegSz, {0}});
  registry.SetRaw(kHiddenAppsKeyPath, "123456", {kRegSz, {'G', 'o', 'n', 'e', 0}});

  engine.RecoverHiddenApps();
  EXPECT_TRUE(engine.HiddenByUs(hidden));
  EXPECT_NE(std::find(engine.ManagedWindows().begin(), engine.ManagedWindows().end(), hidden),
            engine.ManagedWindows().end());
  // Recorded, then the run was killed before its batch hid it: shown and enabled, record gone.
  EXPECT_TRUE(ws.IsWindowVisible(disabled));
  EXPECT_TRUE(ws.IsWindowEnabled(disabled));
  EXPECT_FALSE(ws.IsWindowVisible(renamed));  // not the recorded window: left alone
  EXPECT_EQ(registry.FindKey(kHiddenAppsKeyPath)->values.size(), 1u);

  // The next switch manages it like any hidden window: back on screen with its desktop.
  engine.SwitchToDesktop(1);
  EXPECT_TRUE(ws.IsWindowVisible(hidden));
  EXPECT_TRUE(ws.IsWindowEnabled(hidden));
  EXPECT_FALSE(HiddenAppsHas(hidden));
}

TEST_F(DesktopModel, RecoveryWithTheOptionOffShowsHiddenWindowsAtOnce) {
  const Hwnd hidden = WindowOn(1, "X");
  ws.Window(hidden).visible = false;
  ws.Window(hidden).enabled = false;
  registry.SetRaw(kHiddenAppsKeyPath, std::to_string(hidden), {kRegSz, {'X', 0}});
  engine.RecoverHiddenApps();
  EXPECT_TRUE(ws.IsWindowVisible(hidden));
  EXPECT_TRUE(ws.IsWindowEnabled(hidden));
  EXPECT_FALSE(HiddenAppsHas(hidden));
  EXPECT_EQ(RectOf(hidden).left, 100 + W);
}

}  // namespace
}  // namespace mirel::test
