#include "e2e/driver/program_fixture.h"

#include <algorithm>
#include <iostream>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/hot_keys.h"
#include "e2e/driver/input.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/retry.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "tests/win32/support/unix_command.h"

namespace mirel::e2e {
namespace {

constexpr std::chrono::seconds kExitTimeout{15};

std::string CurrentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

}  // namespace

std::map<std::string, int> ProgramFixture::StandardLefts() const {
  return {{kAlpha, 10}, {kBeta, W - 254}, {kGamma, W + 10}, {kDelta, 2 * W + 10}, {kFar, 12000}};
}

std::map<std::string, int> ProgramFixture::ShiftedLefts(int dx) const {
  auto lefts = StandardLefts();
  for (auto& [title, left] : lefts) {
    if (title != kFar) left += dx;
  }
  return lefts;
}

std::vector<std::string> ProgramFixture::StandardWindows() const {
  std::vector<std::string> texts;
  // Alpha, opened last, is the topmost.
  for (const char* title : {kFar, kDelta, kGamma, kBeta, kAlpha}) {
    texts.push_back(std::string("title=") + title + ";x=" +
                    std::to_string(StandardLefts().at(title)) + ";y=10;w=240;h=160");
  }
  return texts;
}

bool ProgramFixture::OnSeveralMonitors() { return !test::Env("MIREL_WINE_MONITORS").empty(); }

std::vector<std::string> ProgramFixture::StandardAndUnicodeWindows() const {
  std::vector<std::string> texts = StandardWindows();
  int top = 180;
  for (const char* title : {kGreek, kJapanese, kEmoji}) {
    texts.insert(texts.begin(), std::string("title=") + title + ";x=" + std::to_string(W + 10) +
                                    ";y=" + std::to_string(top) + ";w=240;h=120");
    top += 130;
  }
  return texts;
}

void ProgramFixture::SetUp() {
  ResetRetryTallies();
  DeleteProgramKey();
  PrepareSettings();
  // Icons must take their places from the right edge of the virtual desktop's taskbar; with
  // several monitors Wine's notification area is a window of its own.
  if (!OnSeveralMonitors()) SweepDeadTrayIcons();
  sample.Start(SampleWindows());
  StartProgram();
}

void ProgramFixture::TearDown() {
  EXPECT_TRUE(RetriesWithinAllowance());
  if (switchesTimed_ > 0) {
    std::cerr << "longest switch: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(longestSwitch_).count()
              << " ms of " << switchesTimed_ << "\n";
  }
  if (HasFailure()) {
    const std::string path = SaveArtifact(CaptureScreen(), CurrentTestName() + "-failure");
    std::cerr << "screen at the failure: " << path << "\n";
  }
  KillProgram();
  sample.Stop();
}

void ProgramFixture::StartProgram() {
  program.Start();
  if (OnSeveralMonitors()) return;
  Await("the program's four tray icons", [&] {
    for (int desktop = 1; desktop <= kTrayIconCount; ++desktop) {
      if (!TrayIconShown(desktop)) return false;
    }
    return true;
  });
}

void ProgramFixture::ExitProgram() {
  ChooseExit();
  if (!program.WaitForExit(kExitTimeout)) {
    throw DriverError("the program still runs " + std::to_string(kExitTimeout.count()) +
                      " s after \"Exit\"");
  }
}

void ProgramFixture::KillProgram() {
  program.Kill();
  if (!OnSeveralMonitors()) SweepDeadTrayIcons();
}

void ProgramFixture::SwitchWithTrayIcon(int desktop) {
  SwitchWithClick(TrayIconCentre(desktop), desktop);
}

void ProgramFixture::SwitchWithClick(POINT point, int desktop) {
  const auto start = std::chrono::steady_clock::now();
  Click(point);
  Await("the switch to desktop " + std::to_string(desktop) + " to complete (overlay caption)",
        [&] { return OverlayCaptionIs(desktop); }, SwitchTimeout());
  NoteSwitchTime(std::chrono::steady_clock::now() - start);
}

std::chrono::steady_clock::duration ProgramFixture::SwitchByHotKey(int desktop) {
  const auto start = std::chrono::steady_clock::now();
  const bool switched = Retrying(kHotKeyPress, "Shift+Ctrl+F" + std::to_string(desktop), [&] {
    // Without a window manager the program is still hiding the name (2 s, see SwitchTimeout)
    // when the previous switch has shown it.
    PressShiftCtrlF(desktop, program.MainWindow(), OnSeveralMonitors() ? 5000 : 500);
    return WaitUntil([&] { return OverlayCaptionIs(desktop); }, SwitchTimeout());
  });
  if (!switched) {
    throw DriverError("the hot key switch to desktop " + std::to_string(desktop) +
                      " did not complete\n  " + DescribeSampleWindows());
  }
  const auto took = std::chrono::steady_clock::now() - start;
  NoteSwitchTime(took);
  return took;
}

void ProgramFixture::NoteSwitchTime(std::chrono::steady_clock::duration took) {
  longestSwitch_ = std::max(longestSwitch_, took);
  ++switchesTimed_;
}

std::string ProgramFixture::DesktopNameOf(int desktop) const {
  const auto named = desktopNames.find(desktop);
  return named != desktopNames.end() ? named->second : "Desktop " + std::to_string(desktop);
}

bool ProgramFixture::OverlayCaptionIs(int desktop) const {
  return WindowTitle(program.Window(kOverlayClass)) == DesktopNameOf(desktop);
}

void ProgramFixture::ShowMainWindow() {
  ChooseControlPanel();
  Await("the main window shown and in the foreground", [&] {
    const HWND main = program.MainWindow();
    return IsWindowVisible(main) && GetForegroundWindow() == main;
  });
}

HWND ProgramFixture::CheckBoxOnPage(int page, const std::string& caption) const {
  const HWND main = program.MainWindow();
  const HWND pages = FindChild(main, "SysTabControl32");
  if (pages == nullptr) throw DriverError("no page control in the main window");
  Click(Centre(TabRect(pages, page)));
  const HWND checkBox = FindChild(main, "Button", caption);
  if (checkBox == nullptr) throw DriverError("no check box \"" + caption + "\"");
  Await("the page of \"" + caption + "\" to show", [&] { return IsWindowVisible(checkBox); });
  return checkBox;
}

::testing::AssertionResult ProgramFixture::ClickCheckBox(HWND checkBox, bool checked) {
  const RECT box = WindowRect(checkBox);
  Click(POINT{box.left + 7, (box.top + box.bottom) / 2});
  return Eventually(checked ? "the check box checked" : "the check box unchecked", [&] {
    return Ask(checkBox, BM_GETCHECK) ==
           static_cast<DWORD_PTR>(checked ? BST_CHECKED : BST_UNCHECKED);
  });
}

::testing::AssertionResult ProgramFixture::TrayEventually(
    const std::string& what, const std::function<bool(const Image&)>& accept,
    Image& picture) const {
  Image previous;
  return Eventually("the notification area settled with " + what, [&] {
    Image current = CaptureScreen(TrayIconsArea());
    bool settled = CountDifferentPixels(current, previous) == 0;
    for (int desktop = 1; settled && desktop <= kTrayIconCount; ++desktop) {
      settled = CountColours(IconIn(current, desktop)) > 1;
    }
    previous = std::move(current);
    if (!settled || !accept(previous)) return false;
    picture = previous;
    return true;
  });
}

Image ProgramFixture::IconIn(const Image& tray, int desktop) {
  const RECT strip = TrayIconsArea();
  RECT icon = TrayIconArea(desktop);
  OffsetRect(&icon, -strip.left, -strip.top);
  return tray.Crop(icon);
}

::testing::AssertionResult ProgramFixture::WindowsEventuallyAt(
    const std::map<std::string, int>& lefts) const {
  std::string what = "left edges";
  for (const auto& [title, left] : lefts) what += " " + title + "=" + std::to_string(left);
  return Eventually(
      what,
      [&] {
        for (const auto& [title, left] : lefts) {
          const HWND window = sample.FindWindowTitled(title);
          if (window == nullptr || WindowRect(window).left != left) return false;
        }
        return true;
      },
      kDefaultTimeout, [&] { return DescribeSampleWindows(); });
}

::testing::AssertionResult ProgramFixture::WindowsEventually(
    const std::vector<std::string>& hidden, const std::vector<std::string>& shown) const {
  std::string what = "hidden and disabled:";
  for (const auto& title : hidden) what += " " + title;
  what += "; visible and enabled:";
  for (const auto& title : shown) what += " " + title;
  return Eventually(
      what,
      [&] {
        for (const auto& title : hidden) {
          const HWND window = sample.FindWindowTitled(title);
          if (window == nullptr || IsWindowVisible(window) || IsWindowEnabled(window)) {
            return false;
          }
        }
        for (const auto& title : shown) {
          const HWND window = sample.FindWindowTitled(title);
          if (window == nullptr || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
            return false;
          }
        }
        return true;
      },
      kDefaultTimeout, [&] { return DescribeSampleWindows(); });
}

::testing::AssertionResult ProgramFixture::SwitchCompleted(int desktop) const {
  return Eventually(
      "the overlay caption \"" + DesktopNameOf(desktop) + "\"",
      [&] { return OverlayCaptionIs(desktop); }, SwitchTimeout(),
      [&] { return "overlay: " + Describe(program.Window(kOverlayClass)); });
}

std::string ProgramFixture::DescribeSampleWindows() const {
  std::string text = "sample windows:";
  for (HWND window : sample.Windows()) text += "\n    " + Describe(window);
  text += "\n  HiddenApps values:";
  for (const auto& [name, title] : ReadStrings(kHiddenAppsKey)) {
    text += " " + name + "='" + title + "'";
  }
  return text;
}

}  // namespace mirel::e2e
