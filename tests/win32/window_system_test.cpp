// Win32WindowSystem against real top-level windows of this process.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/win32/detached_thread.h"
#include "platform/win32/win32_window_system.h"
#include "tests/win32/support/unix_command.h"
#include "tests/win32/support/wait.h"
#include "tests/win32/test_windows.h"

namespace mirel::test {
namespace {

using win32::UniqueWindow;

// `windows` in the order they appear in `order`.
std::vector<Hwnd> Subsequence(const std::vector<Hwnd>& order, std::initializer_list<Hwnd> windows) {
  std::vector<Hwnd> result;
  for (Hwnd w : order) {
    if (std::find(windows.begin(), windows.end(), w) != windows.end()) result.push_back(w);
  }
  return result;
}

// A window owned by a thread of its own that does not pump messages until Resume(): a hung
// application as other processes see it.
class HungWindowThread {
 public:
  HungWindowThread()
      : ready_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        resume_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        thread_([this] { Run(); }) {
    ::WaitForSingleObject(ready_.get(), 10000);
  }
  ~HungWindowThread() {
    Resume();
    ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  Hwnd window() const { return window_; }
  Hwnd second() const { return second_; }  // a second window of the same thread
  void Resume() { ::SetEvent(resume_.get()); }

 private:
  void Run() {
    threadId_ = ::GetCurrentThreadId();
    UniqueWindow window = CreateTestWindow({.title = "hung"});
    window_ = H(window);
    UniqueWindow second = CreateTestWindow({.title = "hung too"});
    second_ = H(second);
    ::SetEvent(ready_.get());
    ::WaitForSingleObject(resume_.get(), INFINITE);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
  }

  win32::UniqueKernelHandle ready_;
  win32::UniqueKernelHandle resume_;
  DWORD threadId_ = 0;
  Hwnd window_ = 0;
  Hwnd second_ = 0;
  std::thread thread_;
};

class Win32WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReceivedParams().clear();
    ReceivedHotKeys().clear();
  }

  win32::Win32WindowSystem ws;
};

TEST_F(Win32WindowSystemTest, ZOrderWalkIsTopmostFirst) {
  UniqueWindow a = CreateTestWindow({.title = "a"});
  UniqueWindow b = CreateTestWindow({.title = "b"});
  UniqueWindow c = CreateTestWindow({.title = "c"});
  // New windows go on top: the last created comes first.
  EXPECT_EQ(Subsequence(ws.WindowsInZOrder(), {H(a), H(b), H(c)}),
            (std::vector<Hwnd>{H(c), H(b), H(a)}));

  ASSERT_TRUE(ws.SetWindowPos(H(a), 0 /* HWND_TOP */, 0, 0, 0, 0,
                              kSwpNoMove | kSwpNoSize | kSwpNoActivate));
  EXPECT_EQ(Subsequence(ws.WindowsInZOrder(), {H(a), H(b), H(c)}),
            (std::vector<Hwnd>{H(a), H(c), H(b)}));

  // An always-on-top window stays ahead of a window brought to the top.
  UniqueWindow topmost = CreateTestWindow({.title = "topmost", .exStyle = WS_EX_TOPMOST});
  ASSERT_TRUE(ws.SetWindowPos(H(b), 0, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize | kSwpNoActivate));
  EXPECT_EQ(Subsequence(ws.WindowsInZOrder(), {H(a), H(b), H(c), H(topmost)}),
            (std::vector<Hwnd>{H(topmost), H(b), H(a), H(c)}));
}

TEST_F(Win32WindowSystemTest, WalkAndEnumWindowsListEveryTopLevelWindowOnce) {
  UniqueWindow shown = CreateTestWindow({.title = "shown"});
  UniqueWindow hidden = CreateTestWindow({.title = "hidden", .show = false});
  UniqueWindow owned = CreateTestWindow({.title = "owned", .owner = shown.get()});

  const std::vector<Hwnd> walk = ws.WindowsInZOrder();
  std::vector<Hwnd> enumerated;
  ws.EnumWindows([&](Hwnd w) {
    enumerated.push_back(w);
    return true;
  });
  for (Hwnd w : {H(shown), H(hidden), H(owned)}) {
    EXPECT_EQ(std::count(walk.begin(), walk.end(), w), 1);
    EXPECT_EQ(std::count(enumerated.begin(), enumerated.end(), w), 1);
  }
  EXPECT_EQ(Subsequence(walk, {H(shown), H(hidden), H(owned)}),
            Subsequence(enumerated, {H(shown), H(hidden), H(owned)}));
}

TEST_F(Win32WindowSystemTest, EnumWindowsStopsWhenTheCallbackSaysSoAndPassesExceptionsOn) {
  UniqueWindow a = CreateTestWindow();
  int visits = 0;
  ws.EnumWindows([&](Hwnd) {
    ++visits;
    return false;
  });
  EXPECT_EQ(visits, 1);

  // The exception must not unwind user32's frames; it comes out after EnumWindows returned.
  EXPECT_THROW(ws.EnumWindows([](Hwnd) -> bool { throw std::runtime_error("callback"); }),
               std::runtime_error);
}

TEST_F(Win32WindowSystemTest, OwnerAndClassIcon) {
  UniqueWindow owner = CreateTestWindow();
  UniqueWindow owned = CreateTestWindow({.owner = owner.get()});
  UniqueWindow plain = CreateTestWindow({.className = kNoIconClass});

  EXPECT_EQ(ws.GetOwner(H(owned)), H(owner));
  EXPECT_EQ(ws.GetOwner(H(owner)), 0u);
  EXPECT_EQ(ws.GetClassIcon(H(owner)), reinterpret_cast<std::uintptr_t>(TestClassIcon()));
  EXPECT_NE(ws.GetClassIcon(H(owner)), 0u);
  EXPECT_EQ(ws.GetClassIcon(H(plain)), 0u);
}

TEST_F(Win32WindowSystemTest, TextAndClassNameAreCutAtTheBufferSize) {
  UniqueWindow w = CreateTestWindow({.title = std::string(300, 'x')});

  EXPECT_EQ(ws.GetWindowText(H(w), 255), std::string(254, 'x'));
  EXPECT_EQ(ws.GetWindowText(H(w), 5), "xxxx");
  EXPECT_EQ(ws.GetWindowText(H(w), 1), "");
  EXPECT_EQ(ws.GetWindowText(H(w), 0), "");
  EXPECT_EQ(ws.GetClassName(H(w), 256), kTestClass);
  EXPECT_EQ(ws.GetClassName(H(w), 6), "Mirel");

  UniqueWindow untitled = CreateTestWindow({.title = ""});
  EXPECT_EQ(ws.GetWindowText(H(untitled), 255), "");
}

TEST_F(Win32WindowSystemTest, TextIsCountedInUtf16UnitsAndCutBetweenCharacters) {
  std::string greek;
  for (int i = 0; i < 300; ++i) greek += "\u03a9";
  UniqueWindow g = CreateTestWindow({.title = greek});
  EXPECT_EQ(ws.GetWindowText(H(g), 255), greek.substr(0, 254 * 2));

  // 1 + 126 pairs fill 253 units; the buffer's last unit would be half of the next pair.
  std::string rockets = "x";
  for (int i = 0; i < 150; ++i) rockets += "\U0001F680";
  UniqueWindow r = CreateTestWindow({.title = rockets});
  EXPECT_EQ(ws.GetWindowText(H(r), 255), rockets.substr(0, 1 + 126 * 4));
  EXPECT_EQ(ws.GetWindowText(H(r), 512), rockets);
}

TEST_F(Win32WindowSystemTest, ClosedWindowAnswersEmpty) {
  UniqueWindow w = CreateTestWindow({.title = "soon gone"});
  const Hwnd gone = H(w);
  w.Reset();

  Rect rect{1, 2, 3, 4};
  Placement placement;
  EXPECT_FALSE(ws.IsWindow(gone));
  EXPECT_FALSE(ws.IsWindowVisible(gone));
  EXPECT_FALSE(ws.IsWindowCloaked(gone));
  EXPECT_EQ(ws.GetWindowText(gone, 255), "");
  EXPECT_EQ(ws.GetClassName(gone, 256), "");
  EXPECT_FALSE(ws.GetWindowRect(gone, rect));
  EXPECT_EQ(rect, (Rect{1, 2, 3, 4}));
  EXPECT_FALSE(ws.GetWindowPlacement(gone, placement));
  EXPECT_FALSE(ws.Responds(gone, 100));
  EXPECT_FALSE(ws.SetExStyle(gone, 0));
  EXPECT_FALSE(ws.MoveWindow(gone, 0, 0, 10, 10, true));
  EXPECT_FALSE(ws.PostMessage(gone, kRecordMessage, 1, 0));
}

TEST_F(Win32WindowSystemTest, RectanglesFarOutsideTheScreenReadBack) {
  UniqueWindow w = CreateTestWindow({.rect = {10, 20, 310, 220}});
  Rect rect;
  ASSERT_TRUE(ws.GetWindowRect(H(w), rect));
  EXPECT_EQ(rect, (Rect{10, 20, 310, 220}));

  ASSERT_TRUE(ws.MoveWindow(H(w), -20000, 3000, 300, 200, true));
  ASSERT_TRUE(ws.GetWindowRect(H(w), rect));
  EXPECT_EQ(rect, (Rect{-20000, 3000, -19700, 3200}));
}

TEST_F(Win32WindowSystemTest, MinimizedWindowPlacement) {
  UniqueWindow w = CreateTestWindow({.rect = {50, 60, 450, 360}});
  Placement placement;
  ASSERT_TRUE(ws.GetWindowPlacement(H(w), placement));
  EXPECT_EQ(placement.showCmd, static_cast<std::uint32_t>(sw::kShowNormal));
  EXPECT_EQ(placement.rcNormalPosition, (Rect{50, 60, 450, 360}));

  ws.ShowWindow(H(w), sw::kShowMinimized);
  ASSERT_TRUE(::IsIconic(w.get()));
  ASSERT_TRUE(ws.GetWindowPlacement(H(w), placement));
  EXPECT_EQ(placement.showCmd, static_cast<std::uint32_t>(sw::kShowMinimized));
  EXPECT_EQ(placement.rcNormalPosition, (Rect{50, 60, 450, 360}));
  // The minimized position is where the minimized window now is.
  Rect iconic;
  ASSERT_TRUE(ws.GetWindowRect(H(w), iconic));
  EXPECT_EQ(placement.ptMinPosition, (Point{iconic.left, iconic.top}));

  // Same fields as the raw call.
  WINDOWPLACEMENT raw{};
  raw.length = sizeof(raw);
  ASSERT_TRUE(::GetWindowPlacement(w.get(), &raw));
  EXPECT_EQ(placement.flags, raw.flags);
  EXPECT_EQ(placement.ptMinPosition, (Point{raw.ptMinPosition.x, raw.ptMinPosition.y}));
  EXPECT_EQ(placement.ptMaxPosition, (Point{raw.ptMaxPosition.x, raw.ptMaxPosition.y}));

  ws.ShowWindow(H(w), sw::kRestore);
  ASSERT_TRUE(ws.GetWindowPlacement(H(w), placement));
  EXPECT_EQ(placement.showCmd, static_cast<std::uint32_t>(sw::kShowNormal));
}

TEST_F(Win32WindowSystemTest, WindowMinimizedFromMaximizedRestoresToMaximized) {
  UniqueWindow w = CreateTestWindow();
  ws.ShowWindow(H(w), sw::kShowMaximized);
  ws.ShowWindow(H(w), sw::kShowMinimized);
  Placement placement;
  ASSERT_TRUE(ws.GetWindowPlacement(H(w), placement));
  EXPECT_EQ(placement.showCmd, static_cast<std::uint32_t>(sw::kShowMinimized));
  EXPECT_TRUE(placement.flags & kWpfRestoreToMaximized);
}

TEST_F(Win32WindowSystemTest, DeferredBatchMovesAllWindowsAndKeepsTheirOrder) {
  UniqueWindow a = CreateTestWindow({.rect = {0, 0, 200, 100}});
  UniqueWindow b = CreateTestWindow({.rect = {10, 10, 310, 160}});
  UniqueWindow c = CreateTestWindow({.rect = {20, 20, 270, 220}});
  const auto orderBefore = Subsequence(ws.WindowsInZOrder(), {H(a), H(b), H(c)});

  // Sized for one window fewer than it holds, as the desktop switch does: the batch grows.
  DeferBatch batch = ws.BeginDeferWindowPos(2);
  ASSERT_NE(batch, 0u);
  const std::uint32_t flags = kSwpNoZOrder | kSwpNoActivate;
  batch = ws.DeferWindowPos(batch, H(a), kHwndBottom, -20000, 100, 200, 100, flags);
  ASSERT_NE(batch, 0u);
  batch = ws.DeferWindowPos(batch, H(b), kHwndBottom, 3000, 500, 300, 150, flags);
  ASSERT_NE(batch, 0u);
  batch = ws.DeferWindowPos(batch, H(c), kHwndBottom, 20, 3000, 250, 200, flags);
  ASSERT_NE(batch, 0u);
  ASSERT_TRUE(ws.EndDeferWindowPos(batch));

  Rect rect;
  ASSERT_TRUE(ws.GetWindowRect(H(a), rect));
  EXPECT_EQ(rect, (Rect{-20000, 100, -19800, 200}));
  ASSERT_TRUE(ws.GetWindowRect(H(b), rect));
  EXPECT_EQ(rect, (Rect{3000, 500, 3300, 650}));
  ASSERT_TRUE(ws.GetWindowRect(H(c), rect));
  EXPECT_EQ(rect, (Rect{20, 3000, 270, 3200}));
  EXPECT_EQ(Subsequence(ws.WindowsInZOrder(), {H(a), H(b), H(c)}), orderBefore);
}

TEST_F(Win32WindowSystemTest, ShowHideEnableDisable) {
  UniqueWindow w = CreateTestWindow();
  ASSERT_TRUE(ws.IsWindowVisible(H(w)));
  EXPECT_FALSE(ws.IsWindowCloaked(H(w)));  // asked of dwmapi where it exists; Wine cloaks nothing

  EXPECT_TRUE(ws.ShowWindow(H(w), sw::kHide));  // was visible
  EXPECT_FALSE(ws.IsWindowVisible(H(w)));
  EXPECT_TRUE(ws.IsWindow(H(w)));
  EXPECT_FALSE(ws.ShowWindow(H(w), sw::kShow));  // was hidden
  EXPECT_TRUE(ws.IsWindowVisible(H(w)));

  EXPECT_TRUE(ws.IsWindowEnabled(H(w)));
  EXPECT_FALSE(ws.EnableWindow(H(w), false));  // was enabled
  EXPECT_FALSE(ws.IsWindowEnabled(H(w)));
  EXPECT_TRUE(ws.EnableWindow(H(w), true));  // was disabled
  EXPECT_TRUE(ws.IsWindowEnabled(H(w)));

  ws.ShowWindow(H(w), sw::kShowMinimized);
  ws.ShowWindow(H(w), sw::kRestore);
  EXPECT_FALSE(::IsIconic(w.get()));
  EXPECT_TRUE(ws.IsWindowVisible(H(w)));
}

TEST_F(Win32WindowSystemTest, HungWindowDoesNotRespondAndShowsAsynchronously) {
  UniqueWindow own = CreateTestWindow();
  EXPECT_TRUE(ws.Responds(H(own), 1000));

  HungWindowThread hung;
  ASSERT_TRUE(ws.IsWindow(hung.window()));
  EXPECT_FALSE(ws.Responds(hung.window(), 200));

  // Returns at once although the window's thread is stuck; takes effect when it pumps again.
  EXPECT_TRUE(ws.ShowWindowAsync(hung.window(), sw::kHide));
  EXPECT_TRUE(ws.IsWindowVisible(hung.window()));
  hung.Resume();
  EXPECT_TRUE(WaitUntil([&] { return !ws.IsWindowVisible(hung.window()); }));
  EXPECT_TRUE(ws.Responds(hung.window(), 5000));
}

TEST_F(Win32WindowSystemTest, EnablingSideBySideDoesOwnWindowsAtOnceAndNoDisableLate) {
  UniqueWindow own[3] = {CreateTestWindow(), CreateTestWindow(), CreateTestWindow()};
  HungWindowThread hung;
  ws.EnableWindows({{H(own[0]), false}, {hung.window(), false}, {hung.second(), false},
                    {H(own[1]), false}, {H(own[2]), false}},
                   200);
  // This thread's windows do not wait for a worker that waits for this thread.
  for (const UniqueWindow& w : own) EXPECT_FALSE(ws.IsWindowEnabled(H(w)));
  // A later switch gives the second window back before the stuck thread wakes: the disable the
  // worker had not begun when the wait ended is not carried out after it.
  ws.EnableWindowAsync(hung.second(), true);
  hung.Resume();
  EXPECT_TRUE(WaitUntil(
      [&] { return !ws.IsWindowEnabled(hung.window()) && ws.IsWindowEnabled(hung.second()); },
      std::chrono::seconds(10)));
  EXPECT_TRUE(ws.Responds(hung.second(), 5000));  // the worker, if it went on, has been answered
  EXPECT_TRUE(ws.IsWindowEnabled(hung.second()));
}

TEST(DetachedThreadTest, EveryBodyRunsAndAThrowEndsOnlyItsThread) {
  const auto ran = std::make_shared<std::atomic<int>>(0);
  constexpr int kThreads = 64;
  for (int i = 0; i < kThreads; ++i) {
    ASSERT_TRUE(win32::StartDetachedThread([ran, i] {
      ++*ran;
      if (i % 2 != 0) throw std::runtime_error("a worker's failure");
    }));
  }
  EXPECT_TRUE(WaitUntil([&] { return *ran == kThreads; }));
}

TEST_F(Win32WindowSystemTest, ForegroundFollowsRequests) {
  UniqueWindow a = CreateTestWindow({.title = "first"});
  UniqueWindow b = CreateTestWindow({.title = "second"});
  EXPECT_TRUE(ws.SetForegroundWindow(H(a)));
  EXPECT_TRUE(WaitUntil([&] { return ws.GetForegroundWindow() == H(a); }));
  EXPECT_TRUE(ws.SetForegroundWindow(H(b)));
  EXPECT_TRUE(WaitUntil([&] { return ws.GetForegroundWindow() == H(b); }));
}

TEST_F(Win32WindowSystemTest, LayeredStyleAndAlphaReadBack) {
  UniqueWindow w = CreateTestWindow({.style = WS_POPUP | WS_CAPTION});
  EXPECT_FALSE(ws.SetLayeredAlpha(H(w), 100));  // not layered yet

  const std::int32_t style = ws.GetExStyle(H(w));
  ASSERT_TRUE(ws.SetExStyle(H(w), style | kWsExLayered));
  EXPECT_EQ(ws.GetExStyle(H(w)), style | kWsExLayered);
  ASSERT_TRUE(ws.SetLayeredAlpha(H(w), 128));

  COLORREF key = 1;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(w.get(), &key, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));

  // A previous style of 0 is not a failure.
  ASSERT_TRUE(ws.SetExStyle(H(w), 0));
  EXPECT_TRUE(ws.SetExStyle(H(w), 0));
  EXPECT_EQ(ws.GetExStyle(H(w)) & kWsExLayered, 0);
}

TEST_F(Win32WindowSystemTest, MessagesReachTheWindow) {
  UniqueWindow w = CreateTestWindow();
  EXPECT_EQ(ws.SendMessage(H(w), kDoubleMessage, 21, 0), 42);
  ASSERT_TRUE(ws.PostMessage(H(w), kRecordMessage, 7, 0));
  EXPECT_TRUE(WaitUntil([] { return ReceivedParams() == std::vector<WPARAM>{7}; }));
}

TEST_F(Win32WindowSystemTest, HotKeyCombinationIsHeldByOneWindow) {
  UniqueWindow first = CreateTestWindow();
  UniqueWindow second = CreateTestWindow();
  const std::uint32_t modifiers = kModControl | kModShift;

  ASSERT_TRUE(ws.RegisterHotKey(H(first), 1, modifiers, VK_F11));
  EXPECT_FALSE(ws.RegisterHotKey(H(second), 2, modifiers, VK_F11));
  EXPECT_TRUE(ws.RegisterHotKey(H(second), 3, modifiers | kModAlt, VK_F11));
  EXPECT_FALSE(ws.UnregisterHotKey(H(second), 2));  // never registered

  EXPECT_TRUE(ws.UnregisterHotKey(H(first), 1));
  EXPECT_TRUE(ws.RegisterHotKey(H(second), 2, modifiers, VK_F11));
  EXPECT_TRUE(ws.UnregisterHotKey(H(second), 2));
  EXPECT_TRUE(ws.UnregisterHotKey(H(second), 3));
}

TEST_F(Win32WindowSystemTest, HotKeyPressedWithSendInputArrivesAsWmHotKey) {
  UniqueWindow w = CreateTestWindow();
  ASSERT_TRUE(ws.RegisterHotKey(H(w), 205, kModControl | kModShift, VK_F12));

  INPUT keys[6]{};
  const WORD sequence[] = {VK_CONTROL, VK_SHIFT, VK_F12};
  for (int i = 0; i < 3; ++i) {
    keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = keys[5 - i].ki.wVk = sequence[i];
    keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  ASSERT_EQ(::SendInput(6, keys, sizeof(INPUT)), 6u);
  EXPECT_TRUE(WaitUntil([] { return ReceivedHotKeys() == std::vector<WPARAM>{205}; }));
  EXPECT_TRUE(ws.UnregisterHotKey(H(w), 205));
}

TEST_F(Win32WindowSystemTest, ScreenSizeIsTheSessionDesktop) {
  const Size screen = ws.ScreenSize();
  const std::string expected = Env("MIREL_WINE_SCREEN");  // set by tools/wine-session
  if (expected.empty()) {
    EXPECT_GT(screen.cx, 0);
    EXPECT_GT(screen.cy, 0);
  } else {
    EXPECT_EQ(std::to_string(screen.cx) + "x" + std::to_string(screen.cy), expected);
  }
}

}  // namespace
}  // namespace mirel::test
