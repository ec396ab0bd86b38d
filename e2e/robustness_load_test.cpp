// End-to-end tests of the program under load from other applications: a window whose thread stops
// answering for half a minute, and an application that opens and closes windows without pause
// while the user switches desktops and opens the tray menu.
//
// Standard windows (ProgramFixture): Alpha and Beta on desktop 1, Gamma on desktop 2, Delta on
// desktop 3, Far beyond the reach of any switch. Nothing is stored: the hiding option is on.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/robustness_support.h"

namespace mirel::e2e {
namespace {

// --- A hung application ------------------------------------------------------------------------------

using HungWindowTest = RobustnessFixture;

TEST_F(HungWindowTest, ASwitchMovesEveryOtherWindowAtOnceAndTheSleeperLandsAfterWaking) {
  constexpr const char* kSleeper = "Sleeper";
  constexpr int kLeft = 300;
  // Its thread sleeps for 30 s as soon as the window is up.
  const HWND sleeper = sample.Open(std::string("title=") + kSleeper + ";x=" +
                                   std::to_string(kLeft) + ";y=300;w=240;h=160;hangafter=0;"
                                   "hangfor=30000");
  ASSERT_TRUE(Eventually("the sleeper's thread asleep", [&] { return !Answers(sleeper, 100); }));

  // The switch does not wait for the sleeper: it ends within 2 s of the press.
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(SwitchByHotKey(2));
  EXPECT_LE(took.count(), 2000) << "ms from the press to the end of the switch";
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
  ASSERT_TRUE(WindowsEventually({kAlpha, kBeta, kDelta, kFar}, {kGamma}));
  // Everything above happened while the sleeper still slept: the switch did not wait for it.
  ASSERT_FALSE(Answers(sleeper, 100)) << "the sleeper woke before the other windows were checked";

  // Once awake it takes the move, the hiding and the disabling it missed.
  ASSERT_TRUE(Eventually(
      "the sleeper awake and on desktop 1, hidden and disabled",
      [&] {
        return Answers(sleeper, 100) && WindowRect(sleeper).left == kLeft - W &&
               !IsWindowVisible(sleeper) && !IsWindowEnabled(sleeper);
      },
      std::chrono::seconds(60), [&] { return DescribeSampleWindows(); }));

  SwitchByHotKey(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  EXPECT_TRUE(WindowsEventually({kGamma, kDelta, kFar}, {kAlpha, kBeta, kSleeper}));
  EXPECT_EQ(WindowRect(sleeper).left, kLeft);
  AwaitOverlayHidden();
  ExitProgram();
  EXPECT_TRUE(WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar, kSleeper}));
}

// A window of another program sends the program WM_DISPLAYCHANGE from inside each move the switch
// makes, while the switch also waits on the sleeper: the change is taken once the switch is over.
TEST_F(HungWindowTest, ADisplayChangeSentWhileASwitchWaitsLeavesEveryWindowOnItsDesktop) {
  constexpr const char* kSleeper = "Sleeper";
  constexpr const char* kMessenger = "Messenger";
  const HWND sleeper = sample.Open(std::string("title=") + kSleeper +
                                   ";x=300;y=300;w=240;h=160;hangafter=0;hangfor=6000");
  sample.Open(std::string("title=") + kMessenger + ";x=560;y=300;w=240;h=160;onmove=" +
              kMainFormClass);
  ASSERT_TRUE(Eventually("the sleeper's thread asleep", [&] { return !Answers(sleeper, 100); }));

  SwitchByHotKey(2);
  ASSERT_TRUE(program.Running());
  EXPECT_GE(sample.Told(kMessenger), 1) << "no display change was sent during the switch";
  ASSERT_TRUE(WindowsEventuallyAt(ShiftedLefts(-W)));
  EXPECT_EQ(WindowRect(Sample(kMessenger)).left, 560 - W);
  ASSERT_TRUE(Eventually(
      "the sleeper awake on desktop 1, hidden and disabled",
      [&] {
        return Answers(sleeper, 100) && WindowRect(sleeper).left == 300 - W &&
               !IsWindowVisible(sleeper) && !IsWindowEnabled(sleeper);
      },
      std::chrono::seconds(30), [&] { return DescribeSampleWindows(); }));
  EXPECT_TRUE(WindowsEventually({kAlpha, kBeta, kDelta, kFar, kSleeper, kMessenger}, {kGamma}));

  SwitchByHotKey(1);
  ASSERT_TRUE(WindowsEventuallyAt(StandardLefts()));
  EXPECT_TRUE(WindowsEventually({kGamma, kDelta, kFar}, {kAlpha, kBeta, kSleeper, kMessenger}));
  EXPECT_EQ(WindowRect(Sample(kMessenger)).left, 560);
  EXPECT_EQ(WindowRect(sleeper).left, 300);
  AwaitOverlayHidden();
  ExitProgram();
  EXPECT_TRUE(
      WindowsEventually({}, {kAlpha, kBeta, kGamma, kDelta, kFar, kSleeper, kMessenger}));
}

// --- Windows that come and go -------------------------------------------------------------------------

// Opens and closes windows of the sample on a thread of its own, through the sample's control
// window: new windows on the screen, the oldest closed once a dozen are open. Closed windows may be
// anywhere, hidden or not. Paused while the test needs the foreground to stay where it is.
class WindowChurn {
 public:
  explicit WindowChurn(SampleApp& sample) : sample_(sample), thread_([this] { Run(); }) {}
  WindowChurn(const WindowChurn&) = delete;
  WindowChurn& operator=(const WindowChurn&) = delete;
  ~WindowChurn() { Stop(); }

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  // Returns once the current step is done and no other will start until Resume.
  void Pause() {
    std::unique_lock lock(mutex_);
    paused_ = true;
    changed_.wait(lock, [this] { return idle_ || stop_ || !error_.empty(); });
  }
  void Resume() {
    {
      std::lock_guard lock(mutex_);
      paused_ = false;
    }
    changed_.notify_all();
  }
  int Opened() const { return opened_; }
  std::string Error() const {
    std::lock_guard lock(mutex_);
    return error_;
  }

 private:
  // Waits while paused; false once stopped.
  bool Proceed() {
    std::unique_lock lock(mutex_);
    idle_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !paused_ || stop_; });
    idle_ = false;
    return !stop_;
  }

  void Run() {
    Sequence random(77);
    std::vector<std::string> open;
    try {
      while (Proceed()) {
        const std::string title = "Churn " + std::to_string(opened_);
        sample_.Open("title=" + title + ";x=" + std::to_string(40 + random.Below(600)) +
                     ";y=" + std::to_string(200 + random.Below(300)) + ";w=220;h=140");
        ++opened_;
        open.push_back(title);
        if (open.size() > 12) {
          sample_.Close(open.front());
          open.erase(open.begin());
        }
      }
    } catch (const std::exception& error) {
      std::lock_guard lock(mutex_);
      error_ = error.what();
      idle_ = true;
    }
    changed_.notify_all();
  }

  SampleApp& sample_;
  std::atomic<int> opened_{0};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  bool paused_ = false;
  bool idle_ = false;
  std::string error_;
  std::thread thread_;
};

class ChurnTest : public RobustnessFixture {
 protected:
  // Where every sample window is, and whether the hiding option treats it as it should while
  // `desktop` is on screen: a window whose centre is on the screen is shown and enabled, any other
  // hidden and disabled. Empty when all is well.
  std::string Misplaced(std::map<HWND, RECT>& places) const {
    std::string text;
    for (HWND window : sample.Windows()) {
      const WindowSnapshot s = Snapshot(window);
      places[window] = s.rect;
      const int cx = (s.rect.left + s.rect.right) / 2;
      const int cy = (s.rect.top + s.rect.bottom) / 2;
      const bool onScreen = cx >= 0 && cx < W && cy >= 0 && cy < H;
      if (s.visible != onScreen || s.enabled != onScreen) text += "\n  " + Describe(window);
    }
    return text;
  }
};

TEST_F(ChurnTest, TwoHundredSwitchesAndTrayMenusWhileWindowsComeAndGo) {
  Sequence random(5);
  int desktop = 1;
  {
    WindowChurn churn(sample);
    for (int i = 1; i <= 200; ++i) {
      int next = desktop;
      while (next == desktop) next = 1 + random.Below(8);
      SwitchByHotKey(next);
      desktop = next;
      if (i % 20 == 0) {
        // The menu closes when another window takes the foreground: a new window does, and so
        // does the overlay as it hides. It opens once both are quiet, over the windows that came
        // and went meanwhile.
        churn.Pause();
        AwaitOverlayHidden();
        OpenTrayMenu(1 + random.Below(4));
        ChooseMenuItemByKeys({VK_ESCAPE});
        churn.Resume();
      }
      ASSERT_TRUE(program.Running()) << "after " << i << " switches";
      ASSERT_EQ(churn.Error(), "") << "after " << i << " switches";
    }
    churn.Stop();
    ASSERT_EQ(churn.Error(), "");
    EXPECT_GT(churn.Opened(), 20) << "the sample hardly opened windows";
  }

  // One more switch with nothing coming or going, then every surviving window is where the
  // hiding option says for the desktop its position gives.
  int last = desktop == 1 ? 2 : 1;
  SwitchByHotKey(last);
  std::map<HWND, RECT> places;
  std::string misplaced;
  EXPECT_TRUE(Eventually("every window shown exactly when its desktop is on screen",
                         [&] { return (misplaced = Misplaced(places)).empty(); },
                         kDefaultTimeout, [&] { return misplaced; }));

  // Exit brings desktop 1 back: every window moves by the same whole screens and is given back.
  AwaitOverlayHidden();
  ExitProgram();
  const int dx = ((last - 1) & 3) * W;
  const int dy = ((last - 1) >> 2) * H;
  std::string wrong;
  EXPECT_TRUE(Eventually(
      "every surviving window shown, enabled and back with desktop 1",
      [&] {
        wrong.clear();
        for (const auto& [window, was] : places) {
          if (!IsWindow(window)) continue;
          const bool parked = WindowTitle(window) == kFar;
          const RECT now = WindowRect(window);
          const bool placed = parked ? now.left == was.left
                                     : now.left == was.left + dx && now.top == was.top + dy;
          if (!placed || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
            wrong += "\n  " + Describe(window);
          }
        }
        return wrong.empty();
      },
      kDefaultTimeout, [&] { return wrong; }));
  // Windows closed while they were hidden left no values behind, and the rest were given back.
  std::string left;
  for (const auto& [name, title] : ReadStrings(kHiddenAppsKey)) left += " " + name + "='" + title + "'";
  EXPECT_EQ(left, "") << "HiddenApps values after the exit";
}

}  // namespace
}  // namespace mirel::e2e
