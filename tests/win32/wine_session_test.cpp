// What tests under tools/wine-session rely on: the virtual desktop, Unix tools started from a
// Windows test, and input sent with SendInput or as real X events reaching Wine's windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/win32/support/unix_command.h"
#include "tests/win32/support/wait.h"
#include "tests/win32/test_windows.h"

#include <shellapi.h>

namespace mirel::test {
namespace {

constexpr UINT kTrayCallback = 0x800;

bool InSession() { return !Env("MIREL_WINE_SESSION").empty(); }

// Mouse messages a notification-area icon reports to its owner (lParam of the callback).
std::vector<LPARAM>& TrayEvents() {
  static std::vector<LPARAM> events;
  return events;
}

LRESULT CALLBACK TrayOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallback) {
    TrayEvents().push_back(lParam);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

// A notification-area icon owned by a hidden window of its own class.
class TrayIcon {
 public:
  TrayIcon() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TrayOwnerProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MirelSessionTrayOwner";
    ::RegisterClassA(&windowClass);
    owner_.Reset(::CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, windowClass.hInstance, nullptr));
    data_.cbSize = sizeof(data_);
    data_.hWnd = owner_.get();
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kTrayCallback;
    data_.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynA(data_.szTip, "Mirel session test", sizeof(data_.szTip));
    added_ = ::Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
  }
  ~TrayIcon() {
    if (added_) ::Shell_NotifyIconA(NIM_DELETE, &data_);
  }
  bool added() const { return added_; }

 private:
  win32::UniqueWindow owner_;
  NOTIFYICONDATAA data_{};
  bool added_ = false;
};

// Absolute mouse coordinates for SendInput: 0..65535 across the primary screen.
INPUT MouseInput(int x, int y, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = (x * 65536 + ::GetSystemMetrics(SM_CXSCREEN) / 2) / ::GetSystemMetrics(SM_CXSCREEN);
  input.mi.dy = (y * 65536 + ::GetSystemMetrics(SM_CYSCREEN) / 2) / ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  return input;
}

// The first icon added sits rightmost in the bar at the bottom, 20 x 20 pixels.
POINT FirstTrayIconCentre() {
  return {::GetSystemMetrics(SM_CXSCREEN) - 10, ::GetSystemMetrics(SM_CYSCREEN) - 10};
}

class WineSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InSession()) << "run through tools/wine-run (CTest does)";
    TrayEvents().clear();
  }
};

TEST_F(WineSessionTest, UnixCommandReportsOutputAndStatus) {
  const UnixCommandResult result = RunUnixCommand("echo \"it's $((6 * 7))\"; exit 3");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(result.exitStatus, 3);
  EXPECT_EQ(result.output, "it's 42\n");
}

TEST_F(WineSessionTest, XToolsSeeTheSessionDisplay) {
  const std::string xdotool = Env("MIREL_XDOTOOL");
  ASSERT_FALSE(xdotool.empty());
  const UnixCommandResult result = RunUnixCommand("'" + xdotool + "' getdisplaygeometry");
  ASSERT_TRUE(result.finished) << result.output;
  EXPECT_EQ(result.exitStatus, 0) << result.output;
  std::string geometry = Env("MIREL_WINE_SCREEN");
  geometry[geometry.find('x')] = ' ';
  EXPECT_EQ(result.output, geometry + "\n");
}

// Clicks the icon until its owner hears the button go up: the bar appears with the first icon
// and may move under the first clicks. Every click is counted; more than one is printed.
void ExpectClickReachesOwner(const std::function<void()>& click) {
  constexpr auto kClickEvery = std::chrono::milliseconds(500);
  int clicks = 0;
  auto lastClick = std::chrono::steady_clock::now() - kClickEvery;
  const auto heard = [] {
    return std::find(TrayEvents().begin(), TrayEvents().end(), WM_LBUTTONUP) != TrayEvents().end();
  };
  const bool reached = WaitUntil([&] {
    if (heard()) return true;
    if (std::chrono::steady_clock::now() - lastClick >= kClickEvery) {
      click();
      ++clicks;
      lastClick = std::chrono::steady_clock::now();
    }
    return false;
  });
  std::string events;  // message numbers, decimal
  for (const LPARAM event : TrayEvents()) events += " " + std::to_string(event);
  EXPECT_TRUE(reached) << clicks << " clicks; the owner heard:" << events;
  if (clicks > 1) std::printf("tray icon clicked %d times before its owner heard one\n", clicks);
}

TEST_F(WineSessionTest, SendInputClickOnATrayIconReachesItsOwner) {
  TrayIcon icon;
  ASSERT_TRUE(icon.added());
  const POINT centre = FirstTrayIconCentre();
  INPUT click[] = {MouseInput(centre.x, centre.y, 0),
                   MouseInput(centre.x, centre.y, MOUSEEVENTF_LEFTDOWN),
                   MouseInput(centre.x, centre.y, MOUSEEVENTF_LEFTUP)};
  ExpectClickReachesOwner([&] { ::SendInput(3, click, sizeof(INPUT)); });
}

TEST_F(WineSessionTest, RealXClickOnATrayIconReachesItsOwner) {
  TrayIcon icon;
  ASSERT_TRUE(icon.added());
  const POINT centre = FirstTrayIconCentre();
  const std::string click = "'" + Env("MIREL_XDOTOOL") + "' mousemove " +
                            std::to_string(centre.x) + " " + std::to_string(centre.y) +
                            " click 1";
  ExpectClickReachesOwner([&] { RunUnixCommand(click); });
}

}  // namespace
}  // namespace mirel::test
