// The fixture of every end-to-end test of the program. Per test it
//   1. deletes the program's registry key (every test starts from nothing stored), then lets the
//      test store settings (PrepareSettings);
//   2. starts the sample application with the test's windows (SampleWindows) and then the program,
//      and waits until the program is ready and its four tray icons are shown;
// and at teardown, whatever happened, saves a picture of the screen when the test failed, kills the
// program, clears its dead icons from the notification area and ends the sample.
//
//   class MyTest : public ProgramFixture {};
//   TEST_F(MyTest, TrayClickSwitches) {
//     SwitchWithTrayIcon(2);
//     ASSERT_TRUE(WindowsEventuallyAt({{kAlpha, 10 - W}}));
//   }
//
// Driver steps that cannot be done throw DriverError: the test fails with the message, teardown
// runs as usual.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/program.h"
#include "e2e/driver/sample_app.h"
#include "e2e/driver/screen_capture.h"

namespace mirel::e2e {

class ProgramFixture : public ::testing::Test {
 protected:
  // The standard windows (StandardWindows()): two on desktop 1, one each on desktops 2 and 3, and
  // one so far to the right (left edge 12000) that no switch moves it. They keep to the top
  // corners of their cells, clear of the main window (centred) and of the notification area.
  static constexpr const char* kAlpha = "Alpha";
  static constexpr const char* kBeta = "Beta";
  static constexpr const char* kGamma = "Gamma";
  static constexpr const char* kDelta = "Delta";
  static constexpr const char* kFar = "Far";
  // Left edges of the standard windows while desktop 1 is on screen, and after every window in
  // reach moved by `dx`.
  // Titles in other scripts (UTF-8), for windows made with the wide functions: Greek, Japanese,
  // and one with a character beyond U+FFFF (two UTF-16 units).
  static constexpr const char* kGreek =
      "\u0391\u03b8\u03ae\u03bd\u03b1 \u2014 \u03c3\u03b7\u03bc\u03b5\u03b9\u03ce\u03c3\u03b5\u03b9\u03c2";
  static constexpr const char* kJapanese = "\u65e5\u672c\u8a9e\u306e\u30e1\u30e2";
  static constexpr const char* kEmoji = "Release notes \U0001F680";
  // The three of them on desktop 2, below Gamma, with the standard windows.
  std::vector<std::string> StandardAndUnicodeWindows() const;
  std::map<std::string, int> StandardLefts() const;
  std::map<std::string, int> ShiftedLefts(int dx) const;
  std::vector<std::string> StandardWindows() const;

  // The windows the sample opens before the program starts; the standard ones unless overridden.
  virtual std::vector<std::string> SampleWindows() const { return StandardWindows(); }
  // Runs after the registry was cleaned and before the program starts.
  virtual void PrepareSettings() {}

  void SetUp() override;
  void TearDown() override;

  // Starts the program and waits until its tray icons are shown (again, after a test ended it).
  void StartProgram();
  // "Exit" from the tray menu; waits until the process has ended.
  void ExitProgram();
  // Kills the program (the crash drill) and clears its dead icons from the notification area, so
  // that the icons of the next start take the same places.
  void KillProgram();

  // A left click on tray icon `desktop` (1..4); returns once that switch has run to its end (see
  // SwitchCompleted), so that the next command does not arrive in the middle of it, which a
  // user's next click would not either. Throws DriverError when the switch does not complete.
  void SwitchWithTrayIcon(int desktop);
  // The same for a click at `point` that switches to `desktop` (a toolbar button...).
  void SwitchWithClick(POINT point, int desktop);
  // Shift+Ctrl+F<desktop> and waits until that switch has run to its end; returns the time from
  // the first press. Wine now and then loses a whole press (kHotKeyPress, retry.h): when no switch
  // has shown its name within kSwitchTimeout, the keys are pressed once more, counted.
  // Consecutive switches must go to different desktops, so the caption proves a fresh switch.
  std::chrono::steady_clock::duration SwitchByHotKey(int desktop);

  // "Control panel" from the tray menu; waits until the main window is shown and in front.
  void ShowMainWindow();
  // The check box `caption` on page `page` of the shown main window, once that page shows.
  HWND CheckBoxOnPage(int page, const std::string& caption) const;
  // A click on a check box itself, at the left end of the control; waits for the state `checked`.
  static ::testing::AssertionResult ClickCheckBox(HWND checkBox, bool checked);

  HWND Sample(const std::string& title) const { return sample.Window(title); }
  // The session has two monitors and no virtual desktop (MIREL_WINE_MONITORS): no taskbar at the
  // bottom, so nothing of the tray is looked at or clicked.
  static bool OnSeveralMonitors();

  // Waits until the notification area shows the four icons, alike in two looks in a row (the shell
  // may be repainting), and `accept` holds for that picture of TrayIconsArea(); leaves it in
  // `picture`.
  ::testing::AssertionResult TrayEventually(const std::string& what,
                                            const std::function<bool(const Image&)>& accept,
                                            Image& picture) const;
  // The picture of icon `desktop` (1..4) in a picture of TrayIconsArea().
  static Image IconIn(const Image& tray, int desktop);

  // Waits until each sample window named in `lefts` has that left edge; the failure lists every
  // sample window.
  ::testing::AssertionResult WindowsEventuallyAt(const std::map<std::string, int>& lefts) const;
  // Waits until the sample windows `hidden` are hidden and disabled and `shown` visible and
  // enabled.
  ::testing::AssertionResult WindowsEventually(const std::vector<std::string>& hidden,
                                               const std::vector<std::string>& shown) const;
  // Waits until the switch to `desktop` (1..8) has run to its end: its last step gives the name
  // overlay the desktop's name (DesktopNameOf). Consecutive switches must go to different desktops.
  ::testing::AssertionResult SwitchCompleted(int desktop) const;
  // How long a switch may take from the click or key press to its end: a small multiple of the
  // longest measured (docs/testing.md). Tests print the longest they saw at their end.
  static constexpr std::chrono::milliseconds kSwitchTimeout{2000};
  // The same in a two-monitor session: without a window manager, Wine waits 2 s for an X event
  // that never comes at each window hidden or moved off the screen (measured: 2004-2006 ms per
  // call), so a switch takes 2 s per window it hides, and up to 8 s for the test's windows.
  static constexpr std::chrono::milliseconds kSwitchTimeoutWithoutWindowManager{20000};
  static std::chrono::milliseconds SwitchTimeout() {
    return OnSeveralMonitors() ? kSwitchTimeoutWithoutWindowManager : kSwitchTimeout;
  }
  // Notes how long a switch took, for the figure printed at the end of the test.
  void NoteSwitchTime(std::chrono::steady_clock::duration took);
  // Every sample window, one per line, and the "HiddenApps" record: for failure messages.
  std::string DescribeSampleWindows() const;

  const int W = GetSystemMetrics(SM_CXSCREEN);
  const int H = GetSystemMetrics(SM_CYSCREEN);
  SampleApp sample;
  ProgramUnderTest program;

  // The name overlay's caption reads the desktop's name: "Desktop <desktop>" unless the test gave
  // it another one in `desktopNames`.
  bool OverlayCaptionIs(int desktop) const;
  std::string DesktopNameOf(int desktop) const;
  std::map<int, std::string> desktopNames;

 private:
  std::chrono::steady_clock::duration longestSwitch_{};
  int switchesTimed_ = 0;
};

}  // namespace mirel::e2e
