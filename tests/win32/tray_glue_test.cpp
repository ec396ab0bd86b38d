// The tray component's Win32 glue against real windows, the real timer and Wine's notification
// area: subclassing order and restoration, message-only windows and their timers, real clicks on
// an entry, and the entry's return after "TaskbarCreated".
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/win32/support/unix_command.h"
#include "tests/win32/support/wait.h"
#include "tests/win32/test_windows.h"
#include "tray/tray_icon.h"
#include "tray/win32/timer_platform_win32.h"
#include "tray/win32/tray_platform_win32.h"
#include "tray/win32/window_hooks_win32.h"

#include <shellapi.h>

namespace mirel::test {
namespace {

using win32::UniqueWindow;

LONG_PTR ProcedureOf(HWND window) { return ::GetWindowLongPtrA(window, GWLP_WNDPROC); }

struct Errors {
  std::vector<std::string> messages;
  win32::TErrorReport Report() {
    return [this](const std::string& message) { messages.push_back(message); };
  }
};

// --- Subclassing ---------------------------------------------------------------------------------

TEST(TrayGlueHooks, NewestHookRunsFirstAndNewestFirstRemovalRestoresTheProcedure) {
  UniqueWindow window = CreateTestWindow({.show = false});
  const LONG_PTR original = ProcedureOf(window.get());
  Errors errors;
  const win32::TErrorReport report = errors.Report();
  std::vector<std::string> order;
  const auto recordAs = [&order](const char* name) {
    return [&order, name](const TMessage& m) {
      if (m.Msg == kRecordMessage) order.push_back(name);
    };
  };
  const WindowHookHandle older = win32::InstallWindowHook(window.get(), recordAs("older"), report);
  const WindowHookHandle newer = win32::InstallWindowHook(window.get(), recordAs("newer"), report);
  ASSERT_NE(older, 0u);
  ASSERT_NE(newer, 0u);
  ReceivedParams().clear();

  ::SendMessageA(window.get(), kRecordMessage, 7, 0);
  EXPECT_EQ(order, (std::vector<std::string>{"newer", "older"}));
  EXPECT_EQ(ReceivedParams(), (std::vector<WPARAM>{7})) << "passed on to the original procedure";
  EXPECT_EQ(::SendMessageA(window.get(), kDoubleMessage, 21, 0), 42) << "its result comes back";

  win32::RemoveWindowHook(newer);
  win32::RemoveWindowHook(older);
  EXPECT_EQ(ProcedureOf(window.get()), original);
}

TEST(TrayGlueHooks, OutOfOrderRemovalKeepsTheWindowWorking) {
  UniqueWindow window = CreateTestWindow({.show = false});
  const win32::TErrorReport report;
  int olderRuns = 0;
  int newerRuns = 0;
  const WindowHookHandle older =
      win32::InstallWindowHook(window.get(), [&](const TMessage&) { ++olderRuns; }, report);
  const WindowHookHandle newer =
      win32::InstallWindowHook(window.get(), [&](const TMessage&) { ++newerRuns; }, report);

  win32::RemoveWindowHook(older);
  olderRuns = newerRuns = 0;
  EXPECT_EQ(::SendMessageA(window.get(), kDoubleMessage, 5, 0), 10);
  EXPECT_EQ(olderRuns, 0);
  EXPECT_EQ(newerRuns, 1);

  win32::RemoveWindowHook(newer);
  EXPECT_EQ(::SendMessageA(window.get(), kDoubleMessage, 6, 0), 12);
  EXPECT_EQ(newerRuns, 1);
}

TEST(TrayGlueHooks, AnExceptionIsReportedAndTheMessageStillPassedOn) {
  UniqueWindow window = CreateTestWindow({.show = false});
  Errors errors;
  const win32::TErrorReport report = errors.Report();
  const WindowHookHandle hook = win32::InstallWindowHook(
      window.get(),
      [](const TMessage& m) {
        if (m.Msg == kDoubleMessage) throw std::runtime_error("Cannot create key : x");
      },
      report);
  EXPECT_EQ(::SendMessageA(window.get(), kDoubleMessage, 4, 0), 8);
  EXPECT_EQ(errors.messages, (std::vector<std::string>{"Cannot create key : x"}));
  win32::RemoveWindowHook(hook);
}

// --- Message windows and timers ------------------------------------------------------------------

struct Counter {
  int ticks = 0;
  bool fail = false;
  static void Tick(void* owner) {
    auto& self = *static_cast<Counter*>(owner);
    ++self.ticks;
    if (self.fail) throw std::runtime_error("tick failed");
  }
};

TEST(TrayGlueTimers, TicksArriveOnAMessageOnlyWindowUntilStopped) {
  Errors errors;
  win32::Win32TimerPlatform platform(errors.Report());
  Counter counter;
  TWindowlessTimer timer(platform, &counter, &Counter::Tick);
  const HWND window = reinterpret_cast<HWND>(SharedTimerHandler()->MessageWindow());
  ASSERT_NE(window, nullptr);
  EXPECT_NE(::FindWindowExA(HWND_MESSAGE, nullptr, "MirelMessageWindow", nullptr), nullptr);

  ASSERT_TRUE(timer.Start(10));
  EXPECT_TRUE(WaitUntil([&] { return counter.ticks >= 3; }));
  EXPECT_TRUE(timer.Stop());
  EXPECT_FALSE(timer.Stop());

  // WM_TIMER naming no live timer, and a close request, change nothing.
  const int ticks = counter.ticks;
  ::PostMessageA(window, WM_TIMER, timer.TimerId() + 1000, 0);
  ::PostMessageA(window, WM_TIMER, reinterpret_cast<WPARAM>(&timer), 0);
  PumpMessages();
  EXPECT_EQ(counter.ticks, ticks);

  counter.fail = true;
  ::PostMessageA(window, WM_TIMER, timer.TimerId(), 0);
  PumpMessages();
  EXPECT_EQ(errors.messages, (std::vector<std::string>{"tick failed"}));
}

// --- Tray entries --------------------------------------------------------------------------------

// Whether the shell holds the entry (it refuses to modify an entry it does not hold).
bool ShellHolds(const TTrayIcon& icon) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V2_SIZE;
  record.hWnd = reinterpret_cast<HWND>(icon.IconData().Wnd);
  record.uID = icon.IconData().Id;
  return ::Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

class RecordingMenu : public TPopupMenu {
 public:
  int opened = 0;
  POINT at{};

 protected:
  void TrackAt(int x, int y) override {
    ++opened;
    at = {x, y};
  }
  std::size_t ItemCount() const override { return 0; }
  bool ItemIsDefault(std::size_t) const override { return false; }
  void ClickItem(std::size_t) override {}
};

class TrayGlueIcon : public ::testing::Test {
 protected:
  TTrayIconOwner Owner() const {
    TTrayIconOwner owner;
    owner.ApplicationWindow = reinterpret_cast<Hwnd>(appWindow.get());
    return owner;
  }

  UniqueWindow appWindow = CreateTestWindow({.title = "Mirel tray test", .show = false});
  Errors errors;
  std::unique_ptr<ITrayPlatform> platform = win32::CreateWin32TrayPlatform(errors.Report());
};

TEST_F(TrayGlueIcon, RealClicksOnTheEntryArriveAsClickAndMenu) {
  TTrayIcon icon(*platform, Owner());
  int clicks = 0;
  icon.OnClick = [&](TTrayIcon&) { ++clicks; };
  RecordingMenu menu;
  icon.PopupMenu = &menu;
  icon.SetIcon(reinterpret_cast<IconHandle>(TestClassIcon()));
  icon.SetHint("Desktop 1");
  icon.Loaded();
  icon.SetIconVisible(true);
  ASSERT_TRUE(icon.IconShown());

  // The only entry sits rightmost in the taskbar at the bottom of the virtual desktop.
  const int x = ::GetSystemMetrics(SM_CXSCREEN) - 10;
  const int y = ::GetSystemMetrics(SM_CYSCREEN) - 10;
  const std::string move =
      "xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y);
  ASSERT_EQ(RunUnixCommand(move + " click 1").exitStatus, 0);
  EXPECT_TRUE(WaitUntil([&] { return clicks == 1; }));
  // The pointer is still there (a --sync move to where it already is would wait in vain).
  ASSERT_EQ(RunUnixCommand("xdotool click 3").exitStatus, 0);
  EXPECT_TRUE(WaitUntil([&] { return menu.opened == 1; }));
  EXPECT_EQ(menu.PopupComponent, &icon);
  EXPECT_NEAR(menu.at.x, x, 2);
  EXPECT_NEAR(menu.at.y, y, 2);
  EXPECT_EQ(clicks, 1) << "the right button is no click";
  EXPECT_TRUE(errors.messages.empty());
}

TEST_F(TrayGlueIcon, TaskbarCreatedBringsBackWantedEntriesOnly) {
  TTrayIcon wanted(*platform, Owner());
  TTrayIcon hidden(*platform, Owner());
  for (TTrayIcon* icon : {&wanted, &hidden}) {
    icon->SetIcon(reinterpret_cast<IconHandle>(TestClassIcon()));
    icon->Loaded();
    icon->SetIconVisible(true);
  }
  hidden.SetIconVisible(false);

  // The shell forgets the entry behind the component's back, then announces a new taskbar.
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V2_SIZE;
  record.hWnd = reinterpret_cast<HWND>(wanted.IconData().Wnd);
  record.uID = wanted.IconData().Id;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &record));
  ASSERT_FALSE(ShellHolds(wanted));
  const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  ASSERT_EQ(platform->TaskbarCreatedMessage(), taskbarCreated);
  ::PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return ShellHolds(wanted); }));
  EXPECT_FALSE(ShellHolds(hidden));

  // Announced again while the shell still holds it: the entry stays.
  ::PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
  PumpMessages();
  EXPECT_TRUE(wanted.IconShown());
  EXPECT_TRUE(ShellHolds(wanted));
}

TEST_F(TrayGlueIcon, IconsDestroyedNewestFirstLeaveTheWindowsAsTheyWere) {
  UniqueWindow form = CreateTestWindow({.show = false});
  const LONG_PTR appProcedure = ProcedureOf(appWindow.get());
  const LONG_PTR formProcedure = ProcedureOf(form.get());
  {
    TTrayIconOwner owner = Owner();
    owner.OwnerWindow = reinterpret_cast<Hwnd>(form.get());
    std::vector<std::unique_ptr<TTrayIcon>> icons;
    for (int i = 0; i < 4; ++i) icons.push_back(std::make_unique<TTrayIcon>(*platform, owner));
    EXPECT_NE(ProcedureOf(appWindow.get()), appProcedure);
    const HWND shared = reinterpret_cast<HWND>(SharedTrayHandler()->MessageWindow());
    EXPECT_EQ(::SendMessageA(shared, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(::IsWindow(shared)) << "a close request does not destroy the shared window";
    while (!icons.empty()) icons.pop_back();
  }
  EXPECT_EQ(ProcedureOf(appWindow.get()), appProcedure);
  EXPECT_EQ(ProcedureOf(form.get()), formProcedure);
  EXPECT_EQ(SharedTrayHandler(), nullptr);
}

}  // namespace
}  // namespace mirel::test
