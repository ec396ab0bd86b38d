// End-to-end tests of the program as a user meets it: start-up, the tray icons, switching desktops,
// the hiding option, exit, recovery after a crash and the main window. Everything is observed from
// outside: window positions and states through the window manager, tray icons on the screen, the
// "HiddenApps" record in the registry.
//
// Standard windows (ProgramFixture): Alpha and Beta on desktop 1, Gamma on desktop 2, Delta on
// desktop 3, Far at x = 12000, beyond the reach of any switch. Nothing is stored at start, so the
// hiding option is on.
#include <chrono>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/input.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"

namespace mirel::e2e {
namespace {

// The name of a window's value under "HiddenApps": its handle in unsigned decimal.
std::string ValueNameOf(HWND window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

// The program's windows that are visible, one per line; empty when there is none.
std::string VisibleWindowsOf(DWORD processId) {
  std::string text;
  for (HWND window : TopLevelWindows()) {
    if (WindowProcess(window) == processId && IsWindowVisible(window)) {
      text += "\n    " + Describe(window);
    }
  }
  return text;
}

// A picture of `window` once it is fully drawn: the window and its controls are made to paint
// now, and the picture is taken once it has stayed the same for a while (another process's
// painting reaches the screen some time after it is done).
Image SettledPicture(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  constexpr auto kQuiet = std::chrono::milliseconds(300);
  Image last = CaptureScreen(WindowRect(window));
  auto since = std::chrono::steady_clock::now();
  Await("a settled picture of " + Describe(window), [&] {
    Image next = CaptureScreen(WindowRect(window));
    if (CountDifferentPixels(next, last) != 0) {
      last = std::move(next);
      since = std::chrono::steady_clock::now();
    }
    return std::chrono::steady_clock::now() - since >= kQuiet;
  });
  return last;
}

// --- Start-up -------------------------------------------------------------------------------------

using StartUpTest = ProgramFixture;

TEST_F(StartUpTest, SmokeShowsNoWindowButFourTrayIcons) {
  for (const char* className : {kApplicationClass, kMainFormClass, kOverlayClass, kAboutClass,
                                kTransparencyClass, kSleepTimerClass}) {
    const HWND window = program.Window(className);
    ASSERT_NE(window, nullptr) << "no window of class " << className;
    EXPECT_FALSE(IsWindowVisible(window)) << Describe(window);
  }
  EXPECT_EQ(VisibleWindowsOf(program.ProcessId()), "");

  // Each desktop has a picture of its own.
  Image tray;
  ASSERT_TRUE(TrayEventually("four icons", [](const Image&) { return true; }, tray));
  for (int a = 1; a <= kTrayIconCount; ++a) {
    for (int b = a + 1; b <= kTrayIconCount; ++b) {
      EXPECT_GT(CountDifferentPixels(IconIn(tray, a), IconIn(tray, b)), 0)
          << "tray icons " << a << " and " << b << " look the same";
    }
  }
  SaveArtifact(tray, "tray-at-start");

  // Start-up takes the screen as desktop 1 and touches no window.
  for (const auto& [title, left] : StandardLefts()) {
    const HWND window = Sample(title);
    EXPECT_EQ(WindowRect(window).left, left) << Describe(window);
    EXPECT_TRUE(IsWindowVisible(window) && IsWindowEnabled(window)) << Describe(window);
  }
  EXPECT_TRUE(program.Running());
}

// --- Tray icons -----------------------------------------------------------------------------------

using TrayTest = ProgramFixture;

TEST_F(TrayTest, SmokeClickOnIconSwitchesAndMarksItsDesktopActive) {
  Image atStart;
  ASSERT_TRUE(TrayEventually("four icons", [](const Image&) { return true; }, atStart));
  SwitchWithTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));
  Image desktop3;
  EXPECT_TRUE(TrayEventually("icon 3 changed to its active picture", [&](const Image& tray) {
    return CountDifferentPixels(IconIn(tray, 3), IconIn(atStart, 3)) > 0;
  }, desktop3));
  EXPECT_GT(CountDifferentPixels(IconIn(desktop3, 3), IconIn(desktop3, 1)), 0);
  SaveArtifact(desktop3, "tray-desktop-3-active");

  SwitchWithTrayIcon(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  Image desktop1;
  EXPECT_TRUE(TrayEventually("icons 1 and 3 changed, icon 3 no longer active",
                             [&](const Image& tray) {
    return CountDifferentPixels(IconIn(tray, 3), IconIn(desktop3, 3)) > 0 &&
           CountDifferentPixels(IconIn(tray, 1), IconIn(desktop3, 1)) > 0;
  }, desktop1));
  SaveArtifact(desktop1, "tray-desktop-1-active");
}

TEST_F(TrayTest, EachIconSwitchesToItsDesktop) {
  SwitchWithTrayIcon(2);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
  SwitchWithTrayIcon(4);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-3 * W)));
  SwitchWithTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));
  SwitchWithTrayIcon(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
}

// --- The hiding option ----------------------------------------------------------------------------

using HidingTest = ProgramFixture;

TEST_F(HidingTest, SwitchHidesOtherDesktopsAndSwitchingBackShowsThem) {
  ASSERT_FALSE(ReadString(kOptionsKey, "HideApps")) << "nothing stored: the option is on";

  SwitchWithTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));
  ASSERT_TRUE(WindowsEventually({kAlpha, kBeta, kGamma, kFar}, {kDelta}));
  auto recorded = ReadStrings(kHiddenAppsKey);
  for (const char* title : {kAlpha, kBeta, kGamma, kFar}) {
    EXPECT_EQ(recorded[ValueNameOf(Sample(title))], title) << "HiddenApps value of " << title;
  }
  EXPECT_FALSE(recorded.contains(ValueNameOf(Sample(kDelta))));

  SwitchWithTrayIcon(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  ASSERT_TRUE(WindowsEventually({kGamma, kDelta, kFar}, {kAlpha, kBeta}));
  recorded = ReadStrings(kHiddenAppsKey);
  EXPECT_FALSE(recorded.contains(ValueNameOf(Sample(kAlpha))));
  EXPECT_FALSE(recorded.contains(ValueNameOf(Sample(kBeta))));
  for (const char* title : {kGamma, kDelta, kFar}) {
    EXPECT_EQ(recorded[ValueNameOf(Sample(title))], title) << "HiddenApps value of " << title;
  }
}

class HidingOffTest : public ProgramFixture {
 protected:
  void PrepareSettings() override { WriteString(kOptionsKey, "HideApps", "0"); }
};

TEST_F(HidingOffTest, SwitchOnlyMovesWindows) {
  SwitchWithTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}));
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty());
}

TEST_F(HidingOffTest, OptionsCheckBoxTurnsHidingOn) {
  ShowMainWindow();
  const HWND main = program.MainWindow();
  const HWND pages = FindChild(main, "SysTabControl32");
  ASSERT_NE(pages, nullptr) << "no page control in the main window";
  Click(Centre(TabRect(pages, 2)));
  const HWND checkBox = FindChild(main, "Button", "Hide other apps from taskbar");
  ASSERT_NE(checkBox, nullptr);
  ASSERT_TRUE(Eventually("the \"Options\" page to show", [&] { return IsWindowVisible(checkBox); }));
  ASSERT_EQ(SendMessageA(checkBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // The box itself sits at the left end of the control.
  const RECT box = WindowRect(checkBox);
  Click(POINT{box.left + 7, (box.top + box.bottom) / 2});
  ASSERT_TRUE(Eventually("the check box checked",
                         [&] { return SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }));

  SwitchWithTrayIcon(2);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
  EXPECT_TRUE(WindowsEventually({kAlpha, kBeta, kDelta, kFar}, {kGamma}));

  ExitProgram();
  EXPECT_EQ(ReadString(kOptionsKey, "HideApps"), "1");
}

// --- Exit -----------------------------------------------------------------------------------------

using ExitTest = ProgramFixture;

TEST_F(ExitTest, SmokeExitOnDesktop3BringsDesktop1BackAndLeavesNothingHidden) {
  SwitchWithTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));

  ExitProgram();
  EXPECT_EQ(program.ExitCode(), 0u);
  EXPECT_TRUE(WindowsEventuallyAt(StandardLefts()));
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}));
  EXPECT_TRUE(Eventually("the tray icons to be gone", [] { return !TrayHasIcons(); }));
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty());
}

TEST_F(ExitTest, ExitOnDesktop1MovesNothing) {
  ExitProgram();
  EXPECT_TRUE(WindowsEventuallyAt(StandardLefts()));
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}));
}

// --- Crash recovery -------------------------------------------------------------------------------

using CrashTest = ProgramFixture;

TEST_F(CrashTest, KilledWhileWindowsAreHiddenTheNextRunLosesNone) {
  SwitchWithTrayIcon(3);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));
  ASSERT_TRUE(WindowsEventually({kAlpha, kBeta, kGamma, kFar}, {kDelta}));

  KillProgram();

  // The next run takes the screen (desktop 3 of the last run) as its desktop 1. Each window it
  // found hidden is either given back at once or managed: a switch moves it like the others.
  StartProgram();
  SwitchWithTrayIcon(2);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-3 * W)));
  SwitchWithTrayIcon(1);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));

  ExitProgram();
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar}));
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty());
}

// --- The main window ------------------------------------------------------------------------------

using MainWindowTest = ProgramFixture;

TEST_F(MainWindowTest, ControlPanelShowsItAndAltF4HidesIt) {
  const HWND main = program.MainWindow();
  ASSERT_FALSE(IsWindowVisible(main));
  ShowMainWindow();

  PressKeys({VK_MENU, VK_F4});
  ASSERT_TRUE(Eventually("the main window hidden", [&] { return !IsWindowVisible(main); }));
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(VisibleWindowsOf(program.ProcessId()), "");

  SwitchWithTrayIcon(2);
  EXPECT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
}

TEST_F(MainWindowTest, ToolbarDesktopButtonsSwitch) {
  ShowMainWindow();
  const HWND toolbar = FindChild(program.MainWindow(), "ToolbarWindow32");
  ASSERT_NE(toolbar, nullptr) << "no toolbar in the main window";

  // Buttons 0..3 are "Desktop 1".."Desktop 4".
  SwitchWithClick(Centre(ToolbarButtonRect(toolbar, 1)), 2);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
  SwitchWithClick(Centre(ToolbarButtonRect(toolbar, 3)), 4);
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-3 * W)));
  SwitchWithClick(Centre(ToolbarButtonRect(toolbar, 0)), 1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  EXPECT_TRUE(IsWindowVisible(program.MainWindow()));
}

// Each tab shows its own page: the control that only that page holds is visible and the others'
// are not, and no two pages look alike.
TEST_F(MainWindowTest, EachTabShowsItsOwnPage) {
  ShowMainWindow();
  const HWND main = program.MainWindow();
  const HWND pages = FindChild(main, "SysTabControl32");
  ASSERT_NE(pages, nullptr) << "no page control in the main window";
  ASSERT_EQ(SendMessageA(pages, TCM_GETITEMCOUNT, 0, 0), 4);
  const HWND own[] = {FindChild(main, "SysTreeView32"), FindChild(main, "TPaintBox"),
                      FindChild(main, "Button", std::string("Hide other apps from taskbar")),
                      FindChild(main, "msctls_hotkey32")};
  std::vector<Image> pictures;
  for (int page = 0; page < 4; ++page) {
    ASSERT_NE(own[page], nullptr) << "no control of page " << page;
    Click(Centre(TabRect(pages, page)));
    ASSERT_TRUE(Eventually("page " + std::to_string(page) + " alone shown", [&] {
      for (int other = 0; other < 4; ++other) {
        if ((IsWindowVisible(own[other]) != FALSE) != (other == page)) return false;
      }
      return SendMessageA(pages, TCM_GETCURSEL, 0, 0) == page;
    }));
    pictures.push_back(SettledPicture(main));
    SaveArtifact(pictures.back(), "main-window-page-" + std::to_string(page));
    for (int before = 0; before < page; ++before) {
      EXPECT_GT(CountDifferentPixels(pictures[before], pictures[page]), 0)
          << "pages " << before << " and " << page << " look the same";
    }
  }
}

// A second click that arrives while the first switch is still running is handled after it: both
// switches run, and the second desktop stays. Delta, alone on desktop 3, shows the first switch:
// it comes onto the screen and leaves it again, two moves where the second switch alone makes one.
TEST_F(TrayTest, TwoQuickClicksEndOnTheSecondDesktop) {
  for (int round = 1; round <= 8; ++round) {
    const int movesBefore = sample.Moves(kDelta);
    Click(TrayIconCentre(3));
    Click(TrayIconCentre(1));
    ASSERT_TRUE(SwitchCompleted(1)) << "round " << round;
    ASSERT_TRUE(WindowsEventuallyAt(StandardLefts())) << "round " << round;
    ASSERT_TRUE(WindowsEventually({kGamma, kDelta, kFar}, {kAlpha, kBeta})) << "round " << round;
    EXPECT_EQ(sample.Moves(kDelta) - movesBefore, 2) << "round " << round;
    SwitchWithTrayIcon(2);
  }
}

}  // namespace
}  // namespace mirel::e2e
