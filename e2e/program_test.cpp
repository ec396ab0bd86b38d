// End-to-end tests of the program as a user meets it: start-up, the tray icons, switching desktops,
// the hiding option, exit, recovery after a crash and the main window. Everything is observed from
// outside: window positions and states through the window manager, tray icons on the screen, the
// "HiddenApps" record in the registry.
//
// Standard windows (ProgramFixture): Alpha and Beta on desktop 1, Gamma on desktop 2, Delta on
// desktop 3, Far at x = 12000, beyond the reach of any switch. Nothing is stored at start, so the
// hiding option is on.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/hot_keys.h"
#include "e2e/driver/input.h"
#include "e2e/driver/process.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/retry.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "tests/win32/support/unix_command.h"

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

// --- Keeping window states ------------------------------------------------------------------------

// Wine's notepad maximized, winemine minimized and clock normal on desktop 1, with the hiding option
// on: ticked, switches keep each window's state; unticked, they show every window normally.
class KeepWindowStateTest : public ProgramFixture {
 protected:
  void PrepareSettings() override { WriteString(kOptionsKey, "KeepWindowState", "1"); }

  // Starts a program of Wine's and waits for its titled window.
  static HWND Open(Process& process, const std::string& executable) {
    process = Process::Start(executable, "");
    HWND window = nullptr;
    Await(executable + "'s window", [&] {
      window = FindTopLevel([&](HWND w) {
        return WindowProcess(w) == process.Id() && IsWindowVisible(w) &&
               GetWindowTextLengthA(w) > 0;
      });
      return window != nullptr;
    });
    return window;
  }
  static ::testing::AssertionResult EventuallyIn(HWND window, bool visible, bool maximized,
                                                 bool minimized) {
    return Eventually(
        "the state of " + Describe(window),
        [&] {
          return (IsWindowVisible(window) != FALSE) == visible &&
                 (IsZoomed(window) != FALSE) == maximized &&
                 (IsIconic(window) != FALSE) == minimized;
        },
        kDefaultTimeout, [&] {
          return Describe(window) + (IsZoomed(window) ? ", maximized" : "") +
                 (IsIconic(window) ? ", minimized" : "");
        });
  }
  static bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

  Process notepad, winemine, clock;
};

TEST_F(KeepWindowStateTest, MaximizedAndMinimizedWindowsComeBackAsTheyWereOnlyWhenTicked) {
  const HWND editor = Open(notepad, "C:\\windows\\notepad.exe");
  const HWND mines = Open(winemine, "C:\\windows\\system32\\winemine.exe");
  const HWND watch = Open(clock, "C:\\windows\\system32\\clock.exe");
  const RECT minesRect = WindowRect(mines);
  const RECT watchRect = WindowRect(watch);
  ShowWindow(editor, SW_MAXIMIZE);
  ShowWindow(mines, SW_MINIMIZE);
  ASSERT_TRUE(EventuallyIn(editor, true, true, false));
  ASSERT_TRUE(EventuallyIn(mines, true, false, true));
  const RECT editorRect = WindowRect(editor);

  SwitchByHotKey(2);
  for (HWND window : {editor, mines, watch}) {
    EXPECT_TRUE(Eventually("hidden: " + Describe(window), [&] { return !IsWindowVisible(window); }));
  }
  EXPECT_TRUE(EventuallyIn(editor, false, true, false));
  EXPECT_TRUE(EventuallyIn(mines, false, false, true));
  SwitchByHotKey(1);
  EXPECT_TRUE(EventuallyIn(editor, true, true, false));
  EXPECT_TRUE(SameRect(WindowRect(editor), editorRect)) << Describe(editor);
  EXPECT_TRUE(EventuallyIn(mines, true, false, true));
  EXPECT_TRUE(SameRect(WindowRect(watch), watchRect)) << Describe(watch);

  // Restored after a trip to desktop 3, it opens where it was minimized.
  SwitchByHotKey(3);
  SwitchByHotKey(1);
  ShowWindow(mines, SW_RESTORE);
  ASSERT_TRUE(EventuallyIn(mines, true, false, false));
  EXPECT_TRUE(SameRect(WindowRect(mines), minesRect)) << Describe(mines);

  // "Exit" on desktop 2 gives every window back in its state.
  ShowWindow(mines, SW_MINIMIZE);
  ASSERT_TRUE(EventuallyIn(mines, true, false, true));
  SwitchByHotKey(2);
  // The name goes and activates a window of desktop 2 first; a menu opened meanwhile loses keys.
  const HWND overlay = program.Window(kOverlayClass);
  Await("the desktop's name hidden", [&] { return !IsWindowVisible(overlay); });
  ExitProgram();
  EXPECT_TRUE(EventuallyIn(editor, true, true, false));
  EXPECT_TRUE(EventuallyIn(mines, true, false, true));
  EXPECT_TRUE(SameRect(WindowRect(editor), editorRect)) << Describe(editor);

  // Unticked on the "Options" page: every switch shows every window normally, as before.
  StartProgram();
  ShowMainWindow();
  ASSERT_TRUE(ClickCheckBox(
      CheckBoxOnPage(2, "Keep maximized and minimized windows as they are"), false));
  SwitchByHotKey(2);
  SwitchByHotKey(1);
  EXPECT_TRUE(EventuallyIn(editor, true, false, false));
  EXPECT_TRUE(EventuallyIn(mines, true, false, false));
  EXPECT_TRUE(SameRect(WindowRect(mines), minesRect)) << Describe(mines);
  ExitProgram();
  EXPECT_EQ(ReadString(kOptionsKey, "KeepWindowState"), "0");
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

// Killed on desktops 2, 3 and 6, with the hiding option on and off: the next run takes over the
// desktop on screen (its windows shown, the others' hidden), and the next hot key for desktop 1
// brings every window back where it started.
TEST_F(CrashTest, KilledOnAnotherDesktopTheNextRunTakesItOver) {
  const std::vector<std::string> all{kAlpha, kBeta, kGamma, kDelta, kFar};
  const std::map<int, std::vector<std::string>> shownOn{{2, {kGamma}}, {3, {kDelta}}, {6, {}}};
  const std::map<int, int> dxOf{{2, -W}, {3, -2 * W}, {6, -W}};
  for (const bool hide : {true, false}) {
    for (const int desktop : {2, 3, 6}) {
      SCOPED_TRACE(::testing::Message() << "desktop " << desktop << ", hiding " << hide);
      KillProgram();
      WriteString(kOptionsKey, "HideApps", hide ? "1" : "0");
      StartProgram();
      SwitchByHotKey(desktop);
      ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(dxOf.at(desktop))));
      std::vector<std::string> hidden;
      for (const std::string& title : all) {
        const auto& shown = shownOn.at(desktop);
        if (hide && std::find(shown.begin(), shown.end(), title) == shown.end()) {
          hidden.push_back(title);
        }
      }
      const std::vector<std::string> shown = hide ? shownOn.at(desktop) : all;
      ASSERT_TRUE(WindowsEventually(hidden, shown));

      KillProgram();
      StartProgram();
      EXPECT_TRUE(WindowsEventually(hidden, shown));
      SwitchByHotKey(1);
      ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
      if (hide) {
        ASSERT_TRUE(WindowsEventually({kGamma, kDelta, kFar}, {kAlpha, kBeta}));
      } else {
        ASSERT_TRUE(WindowsEventually({}, all));
      }
    }
  }
  ExitProgram();
  EXPECT_TRUE(WindowsEventually({}, all));
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty());
  EXPECT_EQ(ReadString(kDesktopsKey, "Current"), "1");
}

// Titles in other scripts, made with the wide functions: the record holds them as they are shown,
// and the next run after a kill recognises them by that title and gives them back.
class UnicodeCrashTest : public ProgramFixture {
 protected:
  std::vector<std::string> SampleWindows() const override { return StandardAndUnicodeWindows(); }
};

TEST_F(UnicodeCrashTest, HiddenAppsHoldsTheTitlesAndAKilledRunsWindowsComeBack) {
  const std::vector<std::string> titles = {kGreek, kJapanese, kEmoji};
  SwitchWithTrayIcon(3);
  ASSERT_TRUE(WindowsEventually(titles, {kDelta}));
  const auto recorded = ReadStrings(kHiddenAppsKey);  // RegQueryValueExW, as UTF-8
  for (const std::string& title : titles) {
    const auto value = recorded.find(ValueNameOf(Sample(title)));
    ASSERT_NE(value, recorded.end()) << "no HiddenApps value for " << title;
    EXPECT_EQ(value->second, title);
  }

  KillProgram();
  StartProgram();
  SwitchWithTrayIcon(2);
  SwitchWithTrayIcon(1);
  ExitProgram();
  EXPECT_TRUE(WindowsEventually({}, titles));
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
  ASSERT_EQ(SendMessageA(pages, TCM_GETITEMCOUNT, 0, 0), 5);
  const HWND own[] = {FindChild(main, "SysTreeView32"), FindChild(main, "TPaintBox"),
                      FindChild(main, "Button", std::string("Hide other apps from taskbar")),
                      FindChild(main, "Static", std::string("Deskop 1")),
                      FindChild(main, "Static", std::string("Next desktop"))};
  std::vector<Image> pictures;
  for (int page = 0; page < 5; ++page) {
    ASSERT_NE(own[page], nullptr) << "no control of page " << page;
    Click(Centre(TabRect(pages, page)));
    ASSERT_TRUE(Eventually("page " + std::to_string(page) + " alone shown", [&] {
      for (int other = 0; other < 5; ++other) {
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

// --- Several monitors ------------------------------------------------------------------------------
// Run in sessions with a second 800 x 600 monitor right or left of the 1024 x 768 primary one
// (MIREL_WINE_MONITORS), where a desktop's cell is the whole virtual screen.

class MonitorsTest : public ProgramFixture {
 protected:
  static RECT VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  }
  static int Cell() { return VirtualScreen().right - VirtualScreen().left; }
  // "P1" and "S1" on the primary and the second monitor of desktop 1, "P2" on desktop 2's
  // primary one, "S3" on desktop 3's second one. The second monitor's left edge: 1024 right of
  // the primary, -800 left of it.
  std::map<std::string, int> Lefts() const {
    const int s = (VirtualScreen().left < 0 ? -800 : 1024) + 10;
    return {{"P1", 10}, {"S1", s}, {"P2", Cell() + 10}, {"S3", 2 * Cell() + s}};
  }
  std::vector<std::string> SampleWindows() const override {
    std::vector<std::string> texts;
    for (const auto& [title, left] : Lefts()) {
      texts.push_back("title=" + title + ";x=" + std::to_string(left) + ";y=10;w=240;h=160");
    }
    return texts;
  }
  std::map<std::string, int> Moved(int dx) const {
    auto lefts = Lefts();
    for (auto& [title, left] : lefts) left += dx;
    return lefts;
  }
  // Whether the window's centre lies in the cell [left, right) x [0, 768): the cell of its
  // desktop, given by the test in literal coordinates.
  ::testing::AssertionResult CentreIn(const std::string& title, int left, int right) const {
    const RECT r = WindowRect(Sample(title));
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    if (x >= left && x < right && y >= 0 && y < 768) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << title << "'s centre " << x << "," << y << " is not in "
                                         << left << ".." << right << "\n"
                                         << DescribeSampleWindows();
  }
  void Switch(int desktop) { SwitchByHotKey(desktop); }
};

TEST_F(MonitorsTest, WindowsOnBothMonitorsGoAwayTogetherAndComeBackExactly) {
  ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  ASSERT_EQ(Cell(), 1824);
  Switch(2);
  ASSERT_TRUE(WindowsEventuallyAt(Moved(-Cell())));
  EXPECT_TRUE(WindowsEventually({"P1", "S1", "S3"}, {"P2"}));
  // The name shows on the primary monitor, in the middle of it (the caption is set just before
  // the overlay is placed: wait for the place).
  const HWND overlay = program.Window(kOverlayClass);
  EXPECT_TRUE(Eventually("the overlay centred on the primary monitor", [&] {
    const RECT r = WindowRect(overlay);
    return (r.left + r.right) / 2 == 512 && r.left >= 0 && r.right <= 1024 && r.bottom <= 768;
  })) << Describe(overlay);

  Switch(3);
  ASSERT_TRUE(WindowsEventuallyAt(Moved(-2 * Cell())));
  EXPECT_TRUE(WindowsEventually({"P1", "S1", "P2"}, {"S3"}));
  Switch(1);
  ASSERT_TRUE(WindowsEventuallyAt(Lefts()));
  EXPECT_TRUE(WindowsEventually({"P2", "S3"}, {"P1", "S1"}));
}

// The second monitor is switched off, then put back on the other side. Wine tells the running
// program nothing, so the test sends WM_DISPLAYCHANGE as the system would.
TEST_F(MonitorsTest, ALiveChangeKeepsEveryWindowOnItsDesktop) {
  Switch(2);
  ASSERT_TRUE(WindowsEventuallyAt(Moved(-Cell())));
  const auto change = [&](const std::string& xrandr, int cell) {
    // A probing query after the change: Wine sees the dummy driver's outputs only after one.
    const auto result =
        test::RunUnixCommand(xrandr + " && xrandr --query >/dev/null", std::chrono::seconds(20));
    ASSERT_TRUE(result.finished && result.exitStatus == 0) << result.output;
    ASSERT_TRUE(Eventually("the virtual screen " + std::to_string(cell) + " wide",
                           [&] { return Cell() == cell; }));
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutA(program.MainWindow(), WM_DISPLAYCHANGE, 24,
                                  MAKELPARAM(1024, 768), SMTO_ABORTIFHUNG, 30000, &answer),
              0);
  };
  change("xrandr --output DUMMY1 --off", 1024);
  // S1's monitor is gone: it lies on desktop 1's primary monitor now, at its right edge. With
  // desktop 2 on screen, desktop 1's cell is [-1024, 0), 2's [0, 1024), 3's [1024, 2048).
  EXPECT_EQ(WindowRect(Sample("S1")).left, 784 - 1024) << DescribeSampleWindows();
  EXPECT_TRUE(CentreIn("P1", -1024, 0));
  EXPECT_TRUE(CentreIn("S1", -1024, 0));
  EXPECT_TRUE(CentreIn("P2", 0, 1024));
  EXPECT_TRUE(CentreIn("S3", 1024, 2048));
  change("xrandr --output DUMMY1 --mode 800x600 --left-of DUMMY0", 1824);
  // The monitor back on the left: desktop 2's cell is [-800, 1024), 1's and 3's beside it.
  EXPECT_TRUE(CentreIn("P1", -2624, -800));
  EXPECT_TRUE(CentreIn("S1", -2624, -800));
  EXPECT_TRUE(CentreIn("P2", -800, 1024));
  EXPECT_TRUE(CentreIn("S3", 1024, 2848));
  EXPECT_TRUE(WindowsEventually({"P1", "S1", "S3"}, {"P2"}));
  Switch(3);
  EXPECT_TRUE(WindowsEventually({"P1", "S1", "P2"}, {"S3"}));
  const RECT s3 = WindowRect(Sample("S3"));
  EXPECT_TRUE(s3.left >= -800 && s3.right <= 1024) << DescribeSampleWindows();
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

// --- Moving the active window, stepping through the desktops, commands from other programs --------

// Notepad with its Find dialog in front: a family of two windows of another program.
class DeskCommandTest : public ProgramFixture {
 protected:
  void OpenNotepadWithFind() {
    notepad_ = Process::Start("C:\\windows\\notepad.exe", "");
    Await("Notepad in the foreground", [&] {
      editor = FindWindowOf(notepad_.Id(), "Notepad");
      return editor != nullptr && GetForegroundWindow() == editor;
    });
    PressKeys({VK_CONTROL, 'F'});
    Await("its Find dialog in the foreground", [&] {
      find = FindWindowOf(notepad_.Id(), "#32770");
      return find != nullptr && IsWindowVisible(find) && GetForegroundWindow() == find;
    });
    editorAt = WindowRect(editor);
    findAt = WindowRect(find);
  }

  // Both windows lie in the cell of desktop `holds` with `onScreen` on the screen, at the places
  // they had; shown when that is the desktop on screen, else hidden, disabled and recorded.
  ::testing::AssertionResult FamilyEventuallyOn(int holds, int onScreen) const {
    // Column and row of desktops 1 to 8: 1 to 4 in the top row, 5 to 8 below them.
    constexpr POINT kCell[8] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}};
    const int dx = W * (kCell[holds - 1].x - kCell[onScreen - 1].x);
    const int dy = H * (kCell[holds - 1].y - kCell[onScreen - 1].y);
    const bool shown = holds == onScreen;
    return Eventually(
        "Notepad and Find on desktop " + std::to_string(holds) + " with desktop " +
            std::to_string(onScreen) + " on screen",
        [&] {
          const auto recorded = ReadStrings(kHiddenAppsKey);
          for (const auto& [window, at] : {std::pair{editor, editorAt}, std::pair{find, findAt}}) {
            const RECT r = WindowRect(window);
            if (r.left != at.left + dx || r.top != at.top + dy) return false;
            if ((IsWindowVisible(window) != FALSE) != shown) return false;
            if ((IsWindowEnabled(window) != FALSE) != shown) return false;
            if (recorded.contains(ValueNameOf(window)) == shown) return false;
          }
          return true;
        },
        SwitchTimeout(), [&] { return Describe(editor) + "\n  " + Describe(find); });
  }

  void AwaitFindInFront() const {
    Await("Find in the foreground", [&] { return GetForegroundWindow() == find; });
  }

  // Presses `keys` until `done` holds: a lost press is pressed again, counted (retry.h).
  void PressUntil(std::initializer_list<WORD> keys, const std::string& what,
                  const std::function<bool()>& done) {
    if (!Retrying(kHotKeyPress, what, [&] {
          PressHotKey(keys, program.MainWindow());
          return WaitUntil(done, SwitchTimeout());
        })) {
      throw DriverError(what + " had no effect\n  " + Describe(editor) + "\n  " + Describe(find));
    }
  }

  HWND editor = nullptr;
  HWND find = nullptr;
  RECT editorAt{};
  RECT findAt{};

 private:
  Process notepad_;
};

// Every new default hot key: Shift+Ctrl+Alt+F<n> sends the family on from the desktop on screen,
// which stays; the family goes hidden and recorded, and comes back together when its desktop
// does. Then the step keys wrap round both ends, alone and with the family going along.
TEST_F(DeskCommandTest, HotKeysMoveNotepadWithItsFindDialogAndStepThroughTheDesktops) {
  OpenNotepadWithFind();
  // From the desktop on screen to the next one, round from 8 to 1.
  constexpr std::pair<int, int> kSteps[8] = {{1, 2}, {2, 3}, {3, 4}, {4, 5},
                                             {5, 6}, {6, 7}, {7, 8}, {8, 1}};
  for (const auto& [desktop, target] : kSteps) {
    PressUntil({VK_SHIFT, VK_CONTROL, VK_MENU, FunctionKey(target)},
               "Shift+Ctrl+Alt+F" + std::to_string(target),
               [&] { return !IsWindowVisible(editor); });
    ASSERT_TRUE(FamilyEventuallyOn(target, desktop));
    SwitchByHotKey(target);
    ASSERT_TRUE(FamilyEventuallyOn(target, target));
    AwaitFindInFront();
  }

  PressUntil({VK_CONTROL, VK_MENU, VK_LEFT}, "Ctrl+Alt+Left", [&] { return OverlayCaptionIs(8); });
  ASSERT_TRUE(FamilyEventuallyOn(1, 8));
  PressUntil({VK_CONTROL, VK_MENU, VK_RIGHT}, "Ctrl+Alt+Right",
             [&] { return OverlayCaptionIs(1); });
  ASSERT_TRUE(FamilyEventuallyOn(1, 1));
  AwaitFindInFront();
  PressUntil({VK_SHIFT, VK_CONTROL, VK_MENU, VK_LEFT}, "Shift+Ctrl+Alt+Left",
             [&] { return OverlayCaptionIs(8); });
  ASSERT_TRUE(FamilyEventuallyOn(8, 8));
  ASSERT_TRUE(WindowsEventually({kAlpha, kBeta}, {}));
  AwaitFindInFront();
  PressUntil({VK_SHIFT, VK_CONTROL, VK_MENU, VK_RIGHT}, "Shift+Ctrl+Alt+Right",
             [&] { return OverlayCaptionIs(1); });
  ASSERT_TRUE(FamilyEventuallyOn(1, 1));
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
}

// The command line from another process, a copy that is not running, and messages that are not
// well-formed commands.
TEST_F(DeskCommandTest, CommandLineDrivesTheRunningCopyAndForgedMessagesChangeNothing) {
  using Run = ProgramUnderTest::CommandRun;
  auto run = [](const std::string& arguments) { return ProgramUnderTest::RunCommand(arguments); };
  EXPECT_EQ(run("/desktop 3").exitCode, 0u);
  ASSERT_TRUE(SwitchCompleted(3));
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-2 * W)));
  EXPECT_EQ(run("/current").exitCode, 3u);
  EXPECT_EQ(run("/desktop 8").exitCode, 0u);
  ASSERT_TRUE(SwitchCompleted(8));
  EXPECT_EQ(run("/next").exitCode, 0u);
  ASSERT_TRUE(SwitchCompleted(1));
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));

  const HWND alpha = Sample(kAlpha);
  const RECT alphaAt = WindowRect(alpha);
  SetForegroundWindow(alpha);
  ASSERT_TRUE(Eventually("Alpha in front", [&] { return GetForegroundWindow() == alpha; }));
  EXPECT_EQ(run("/move 5").exitCode, 0u);
  ASSERT_TRUE(Eventually("Alpha moved to desktop 5, hidden", [&] {
    const RECT r = WindowRect(alpha);
    return r.left == alphaAt.left && r.top == alphaAt.top + H && !IsWindowVisible(alpha);
  }));
  EXPECT_EQ(run("/current").exitCode, 1u);

  const Run bad = run("/desktop 9");
  EXPECT_EQ(bad.exitCode, 2u);
  EXPECT_NE(bad.output.find("'9' is not a desktop number"), std::string::npos) << bad.output;
  EXPECT_NE(bad.output.find("Usage:"), std::string::npos) << bad.output;
  EXPECT_EQ(run("/jump 2").exitCode, 2u);

  // Forged messages: wrong identifier, sizes, version, commands and desktop numbers.
  struct Payload {
    DWORD size, version, command, desktop, extra;
  };
  const std::vector<std::pair<std::string, std::pair<ULONG_PTR, std::pair<DWORD, Payload>>>>
      forged = {
          {"identifier", {0x12345678, {16, {16, 1, 1, 3, 0}}}},
          {"short", {0x4D564443, {12, {16, 1, 1, 3, 0}}}},
          {"long", {0x4D564443, {20, {16, 1, 1, 3, 0}}}},
          {"size field", {0x4D564443, {16, {20, 1, 1, 3, 0}}}},
          {"version", {0x4D564443, {16, {16, 2, 1, 3, 0}}}},
          {"command", {0x4D564443, {16, {16, 1, 9, 3, 0}}}},
          {"desktop 0", {0x4D564443, {16, {16, 1, 1, 0, 0}}}},
          {"desktop 9", {0x4D564443, {16, {16, 1, 4, 9, 0}}}},
          {"desktop for /next", {0x4D564443, {16, {16, 1, 2, 5, 0}}}},
      };
  const HWND main = program.MainWindow();
  for (const auto& [what, message] : forged) {
    Payload payload = message.second.second;
    COPYDATASTRUCT copy{message.first, message.second.first, &payload};
    DWORD_PTR answer = 99;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                                    SMTO_ABORTIFHUNG, 5000, &answer))
        << what;
    EXPECT_EQ(answer, 0u) << what;
  }
  PostMessageW(main, WM_APP + 14, 5, 5);  // "commands waiting", with none
  EXPECT_EQ(run("/current").exitCode, 1u);
  EXPECT_TRUE(program.Running());
  std::map<std::string, int> lefts = StandardLefts();
  lefts.erase(kAlpha);
  EXPECT_TRUE(WindowsEventuallyAt(lefts));
  EXPECT_TRUE(WindowsEventually({kAlpha, kGamma, kDelta}, {kBeta}));

  KillProgram();
  const Run none = run("/next");
  EXPECT_EQ(none.exitCode, 1u);
  EXPECT_NE(none.output.find("not running"), std::string::npos) << none.output;
  EXPECT_EQ(run("/current").exitCode, 0u);
}

}  // namespace
}  // namespace mirel::e2e
