// Kill drills: the program is killed (TerminateProcess: nothing of its shut-down runs) at many points
// of 50 switches with the hiding option on, and started again each time. Whatever it was doing, a
// window it leaves hidden or disabled is always recorded under "HiddenApps" with its title, so the
// next run can take it back; and after the last run exits, every window is shown and enabled.
//
// The points are chosen by a fixed sequence from: at once after the key press, as soon as the
// first window moved, as soon as the first window was hidden, once the switch showed its overlay,
// and during start-up of the next run (as soon as its main form exists). The test waits for the
// event itself, never for a length of time.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "e2e/robustness_support.h"

namespace mirel::e2e {
namespace {

enum class KillPoint { kAtOnce, kFirstMove, kFirstHide, kSwitchShown, kDuringStartUp };

constexpr KillPoint kPoints[] = {KillPoint::kAtOnce, KillPoint::kFirstMove, KillPoint::kFirstHide,
                                 KillPoint::kSwitchShown, KillPoint::kDuringStartUp};

const char* Name(KillPoint point) {
  switch (point) {
    case KillPoint::kAtOnce: return "at once";
    case KillPoint::kFirstMove: return "first move";
    case KillPoint::kFirstHide: return "first hide";
    case KillPoint::kSwitchShown: return "switch shown";
    case KillPoint::kDuringStartUp: return "during start-up";
  }
  return "?";
}

class KillDrillTest : public RobustnessFixture {
 protected:
  struct State {
    RECT rect;
    bool visible;
  };

  std::map<HWND, State> States() const {
    std::map<HWND, State> states;
    for (HWND window : sample.Windows()) states[window] = {WindowRect(window), IsWindowVisible(window) != FALSE};
    return states;
  }

  // Every sample window that is hidden or disabled, and not recorded with its title: a window the
  // next run could not take back. Empty when there is none.
  std::string Unrecorded() const {
    const auto recorded = ReadStrings(kHiddenAppsKey);
    std::string text;
    for (HWND window : sample.Windows()) {
      if (IsWindowVisible(window) && IsWindowEnabled(window)) continue;
      const auto it = recorded.find(HandleName(window));
      if (it == recorded.end() || it->second != WindowTitle(window)) {
        text += "\n  " + Describe(window);
      }
    }
    return text;
  }

  // Presses the key for `desktop` and kills the program at `point` of that switch.
  void KillDuringSwitch(int desktop, KillPoint point) {
    const std::map<HWND, State> before = States();
    const HWND overlay = program.Window(kOverlayClass);
    const std::string caption = "Desktop " + std::to_string(desktop);
    PressShiftCtrlF(desktop, program.MainWindow());
    const auto reached = [&] {
      if (point == KillPoint::kAtOnce) return true;
      // Should the switch end before the point is met (nothing to hide), it is killed then.
      if (WindowTitle(overlay) == caption) return true;
      if (point == KillPoint::kSwitchShown) return false;
      for (const auto& [window, was] : States()) {
        const auto it = before.find(window);
        if (it == before.end()) continue;
        if (point == KillPoint::kFirstMove && !EqualRect(&was.rect, &it->second.rect)) return true;
        if (point == KillPoint::kFirstHide && it->second.visible && !was.visible) return true;
      }
      return false;
    };
    Await(std::string("the kill point: ") + Name(point), reached);
    KillProgram();
  }

  // Starts the program and kills it as soon as its main form exists: in the middle of start-up,
  // where it takes back the windows an earlier run left.
  void KillDuringStartUp() {
    Process early = Process::Start(BesideTestExecutable(ProgramUnderTest::kExecutable), "");
    Await("the main form of the starting program", [&] {
      return !early.Running() || FindWindowOf(early.Id(), kMainFormClass) != nullptr;
    });
    early.Terminate();
    SweepDeadTrayIcons();
  }
};

TEST_F(KillDrillTest, FiftySwitchesKilledAtRandomPointsLoseNoWindow) {
  Sequence random(50);
  int desktop = 1;  // each run takes over the desktop the run before it recorded as on screen
  int leftHidden = 0;  // kills after which windows waited hidden for the next run
  for (int round = 1; round <= 50; ++round) {
    const KillPoint point = kPoints[random.Below(5)];
    int next = desktop;
    while (next == desktop) next = 1 + random.Below(8);
    if (point == KillPoint::kDuringStartUp) {
      SwitchByHotKey(next);
      KillProgram();
    } else {
      KillDuringSwitch(next, point);
    }
    ASSERT_EQ(Unrecorded(), "") << "round " << round << ", killed " << Name(point)
                                << "\n  " << DescribeSampleWindows();
    leftHidden += ReadStrings(kHiddenAppsKey).empty() ? 0 : 1;
    if (point == KillPoint::kDuringStartUp) {
      KillDuringStartUp();
      ASSERT_EQ(Unrecorded(), "") << "round " << round << ", killed during start-up";
    }
    StartProgram();
    desktop = std::stoi(ReadString(kDesktopsKey, "Current").value_or("0"));
    ASSERT_TRUE(desktop >= 1 && desktop <= 8) << "round " << round;
  }

  std::cerr << "kills that left windows hidden for the next run: " << leftHidden << " of 50\n";

  AwaitOverlayHidden();
  ExitProgram();
  EXPECT_EQ(program.ExitCode(), 0u);
  EXPECT_TRUE(Eventually(
      "every sample window shown and enabled",
      [&] {
        for (HWND window : sample.Windows()) {
          if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return false;
        }
        return sample.Windows().size() == 5;
      },
      kDefaultTimeout, [&] { return DescribeSampleWindows(); }));
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty()) << DescribeSampleWindows();
}

}  // namespace
}  // namespace mirel::e2e
