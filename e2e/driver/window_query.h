// What a test can see of top-level windows through the window manager: every check of the program's
// effect on other windows goes through these queries, never through the windows' own reports.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace mirel::e2e {

// One top-level window as the window manager reports it at one moment.
struct WindowSnapshot {
  HWND handle = nullptr;
  DWORD processId = 0;
  std::string title;
  std::string className;
  RECT rect{};
  bool visible = false;
  bool enabled = false;
  bool minimized = false;
  bool maximized = false;
};

std::string WindowTitle(HWND window);
std::string WindowClass(HWND window);
DWORD WindowProcess(HWND window);
RECT WindowRect(HWND window);
WindowSnapshot Snapshot(HWND window);

// All top-level windows in Z order, topmost first.
std::vector<HWND> TopLevelWindows();

// The first top-level window (in Z order) that satisfies `match`; null when none does.
HWND FindTopLevel(const std::function<bool(HWND)>& match);

// The top-level window of process `processId` with class `className` (and title `title` when
// given); null when there is none.
HWND FindWindowOf(DWORD processId, const std::string& className,
                  const std::optional<std::string>& title = std::nullopt);

// The visible pop-up menu window (class "#32768"), whoever owns it; null when none is open.
HWND FindOpenMenu();

// Whether `window`'s thread answers within `timeoutMs`.
inline bool Answers(HWND window, UINT timeoutMs) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &answer) != 0;
}

// "'Alpha' (0x1234) at (100,100)-(400,300), visible, enabled": for failure messages.
std::string Describe(HWND window);

}  // namespace mirel::e2e
