// Top-level windows of the test's own classes, with a window procedure that records what it
// receives.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/win32/handles.h"

namespace mirel::test {

inline constexpr char kTestClass[] = "MirelWin32TestWindow";       // has a class icon
inline constexpr char kNoIconClass[] = "MirelWin32TestNoIcon";     // has none
inline constexpr UINT kDoubleMessage = WM_APP + 1;  // answers wParam * 2
inline constexpr UINT kRecordMessage = WM_APP + 2;  // recorded in ReceivedParams()

// Registers both classes once per process.
void RegisterTestClasses();
// The icon of kTestClass.
HICON TestClassIcon();

struct WindowOptions {
  const char* className = kTestClass;
  std::string title = "Mirel test window";
  Rect rect{100, 100, 400, 300};
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  HWND owner = nullptr;
  bool show = true;  // SW_SHOWNOACTIVATE
};

win32::UniqueWindow CreateTestWindow(const WindowOptions& options = {});

inline Hwnd H(const win32::UniqueWindow& window) { return reinterpret_cast<Hwnd>(window.get()); }

// wParam of every kRecordMessage and id of every WM_HOTKEY the test windows received.
std::vector<WPARAM>& ReceivedParams();
std::vector<WPARAM>& ReceivedHotKeys();

}  // namespace mirel::test
