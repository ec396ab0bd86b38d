// Kill drills: the program is killed (TerminateProcess: nothing of its shut-down runs) at many points
// of 50 switches with the hiding option on, and started again each time. Whatever it was doing, a
// window it leaves hidden or disabled is always recorded under "HiddenApps" with its title, so the
// next run can take it back; and after the last run exits, every window is shown and enabled.
//
// The points are chosen by a fixed sequence from: at once after the key press, as soon as the
// first window moved, as soon as the hiding pass has written its record and a window it hid is
// off the screen (watched without pauses: the pass takes milliseconds), once the switch showed its
// overlay, and
// during start-up of the next run (as soon as its main form exists). The test waits for the event
// itself, never for a length of time. A first-hide round starts from an exit, so that windows are
// on the screen to hide (a kill before it may have left them all hidden), and 24 more windows on
// desktop 1 make the pass long enough to be hit: the test proves that at least kMinMidHideKills
// kills landed inside the hiding pass, with windows recorded hidden and others it had not reached
// yet, or fails.
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/robustness_support.h"

namespace mirel::e2e {
namespace {

constexpr int kExtraWindows = 24;
// Of the 10 rounds that kill at the first hide (the sequence below). Measured: 10, each with 1 to
// 28 windows recorded hidden and 1 or 2 not reached (the switch's batch hides most of them).
constexpr int kMinMidHideKills = 6;

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

// Tells when the program has written to its stored data since the watch began: the hiding pass
// records each window under "HiddenApps" before it hides it. The system signals every write, also
// one that stores what was there already, at the moment it is made.
class RecordWatch {
 public:
  RecordWatch() {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kProgramDataKey, 0, KEY_NOTIFY, key_.Put()) !=
            ERROR_SUCCESS ||
        !written_ ||
        RegNotifyChangeKeyValue(key_.get(), TRUE,
                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                written_.get(), TRUE) != ERROR_SUCCESS) {
      throw DriverError("cannot watch the program's stored data");
    }
  }
  bool Written() const { return WaitForSingleObject(written_.get(), 0) == WAIT_OBJECT_0; }

 private:
  static constexpr const char* kProgramDataKey = "Software\\Mirel\\Virtual Desktop";
  win32::UniqueRegKey key_;
  win32::UniqueKernelHandle written_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

class KillDrillTest : public RobustnessFixture {
 protected:
  // The standard windows, and more on desktop 1 for the hiding pass to work through.
  std::vector<std::string> SampleWindows() const override {
    std::vector<std::string> recipes = StandardWindows();
    for (int i = 0; i < kExtraWindows; ++i) {
      recipes.push_back("title=Extra " + std::to_string(i) + ";x=" + std::to_string(30 + 24 * i) +
                        ";y=" + std::to_string(200 + 12 * i) + ";w=200;h=120");
    }
    return recipes;
  }

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

  // The sample windows hidden and recorded, and those off the screen, shown and not recorded:
  // windows the hiding pass never reached.
  struct Hiding {
    int hiddenRecorded = 0;
    int unreached = 0;
  };
  Hiding HidingState() const {
    const auto recorded = ReadStrings(kHiddenAppsKey);
    Hiding hiding;
    for (HWND window : sample.Windows()) {
      const RECT rect = WindowRect(window);
      const int cx = (rect.left + rect.right) / 2;
      const int cy = (rect.top + rect.bottom) / 2;
      const bool onScreen = cx >= 0 && cx < W && cy >= 0 && cy < H;
      const auto it = recorded.find(HandleName(window));
      const bool isRecorded = it != recorded.end() && it->second == WindowTitle(window);
      if (!IsWindowVisible(window) && isRecorded) ++hiding.hiddenRecorded;
      if (IsWindowVisible(window) && !onScreen && !isRecorded) ++hiding.unreached;
    }
    return hiding;
  }

  // Polls `condition` without pausing between looks until it holds or `timeout` passed: the
  // hiding pass of a switch lasts some milliseconds only, less than WaitUntil's pause.
  static bool PollClosely(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      SwitchToThread();
    }
    return true;
  }

  // Presses the key for `desktop` and kills the program at `point` of that switch; true when the
  // point itself was met before the switch ended.
  bool KillDuringSwitch(int desktop, KillPoint point) {
    const std::map<HWND, State> before = States();
    // The hiding pass records each window before it hides it; the record is written at once,
    // while the hiding reaches the screen only when the window's thread gets to it.
    const RecordWatch record;
    const HWND overlay = program.Window(kOverlayClass);
    const std::string caption = "Desktop " + std::to_string(desktop);
    bool met = point == KillPoint::kAtOnce;
    const auto reached = [&] {
      if (met) return true;
      // Should the switch end before the point is met (nothing to hide), it is killed then.
      if (WindowTitle(overlay) == caption) return true;
      if (point == KillPoint::kSwitchShown) return false;
      // The first hide: the pass has written its record and a window it hid is off the screen.
      if (point == KillPoint::kFirstHide && !record.Written()) return false;
      for (const auto& [window, now] : States()) {
        const auto it = before.find(window);
        if (it == before.end()) continue;
        if ((point == KillPoint::kFirstMove && !EqualRect(&now.rect, &it->second.rect)) ||
            (point == KillPoint::kFirstHide && it->second.visible && !now.visible)) {
          met = true;
        }
      }
      return met;
    };
    // A press that Wine lost (nothing moved, no name) is pressed again, counted.
    const std::string what = "Shift+Ctrl+F" + std::to_string(desktop) + " to kill " + Name(point);
    const bool pressed = Retrying(kHotKeyPress, what, [&] {
      PressShiftCtrlF(desktop, program.MainWindow());
      return PollClosely(reached, kSwitchTimeout);
    });
    if (!pressed) throw DriverError(std::string("the kill point not reached: ") + Name(point));
    KillProgram();
    return met;
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
  int midHide = 0;     // kills inside the hiding pass: windows recorded hidden, others not reached
  for (int round = 1; round <= 50; ++round) {
    const KillPoint point = kPoints[random.Below(5)];
    if (point == KillPoint::kFirstHide) {
      // A kill earlier may have left every window hidden, and then the switch has nothing to
      // hide: exit first, which shows them all on the screen with desktop 1 on it.
      AwaitOverlayHidden();
      ExitProgram();
      StartProgram();
      desktop = 1;
    }
    int next = desktop;
    while (next == desktop) next = 1 + random.Below(8);
    bool met = false;
    if (point == KillPoint::kDuringStartUp) {
      SwitchByHotKey(next);
      KillProgram();
    } else {
      met = KillDuringSwitch(next, point);
    }
    ASSERT_EQ(Unrecorded(), "") << "round " << round << ", killed " << Name(point)
                                << "\n  " << DescribeSampleWindows();
    // Hiding reaches a window once its thread has taken the request; the requests of a killed
    // program stay queued for them.
    Hiding hiding = HidingState();
    if (point == KillPoint::kFirstHide && met) {
      WaitUntil([&] { return (hiding = HidingState()).hiddenRecorded > 0; },
                std::chrono::seconds(1));
    }
    leftHidden += hiding.hiddenRecorded > 0 ? 1 : 0;
    if (point == KillPoint::kFirstHide && met && hiding.hiddenRecorded > 0 && hiding.unreached > 0) {
      ++midHide;
    }
    if (point == KillPoint::kFirstHide) {
      std::cerr << "round " << round << ", killed at the first hide" << (met ? "" : " (switch ended)")
                << ": " << hiding.hiddenRecorded << " hidden and recorded, " << hiding.unreached
                << " not reached\n";
    }
    if (point == KillPoint::kDuringStartUp) {
      KillDuringStartUp();
      ASSERT_EQ(Unrecorded(), "") << "round " << round << ", killed during start-up";
    }
    StartProgram();
    desktop = std::stoi(ReadString(kDesktopsKey, "Current").value_or("0"));
    ASSERT_TRUE(desktop >= 1 && desktop <= 8) << "round " << round;
  }

  std::cerr << "kills that left windows hidden for the next run: " << leftHidden << " of 50; "
            << "in the hiding pass: " << midHide << "\n";
  EXPECT_GE(midHide, kMinMidHideKills) << "too few kills landed in the hiding pass";

  AwaitOverlayHidden();
  ExitProgram();
  EXPECT_EQ(program.ExitCode(), 0u);
  EXPECT_TRUE(Eventually(
      "every sample window shown and enabled",
      [&] {
        for (HWND window : sample.Windows()) {
          if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return false;
        }
        return sample.Windows().size() == 5 + kExtraWindows;
      },
      kDefaultTimeout, [&] { return DescribeSampleWindows(); }));
  EXPECT_TRUE(ReadStrings(kHiddenAppsKey).empty()) << DescribeSampleWindows();
}

}  // namespace
}  // namespace mirel::e2e
