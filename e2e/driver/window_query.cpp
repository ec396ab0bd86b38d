#include "e2e/driver/window_query.h"

#include <cstdio>
#include <iterator>

#include "platform/win32/wide_text.h"

namespace mirel::e2e {

std::string WindowTitle(HWND window) {
  wchar_t text[512] = {};
  const int length = GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  return win32::Utf8(std::wstring_view(text, length > 0 ? static_cast<std::size_t>(length) : 0));
}

std::string WindowClass(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return win32::Utf8(std::wstring_view(name, length > 0 ? static_cast<std::size_t>(length) : 0));
}

DWORD WindowProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

WindowSnapshot Snapshot(HWND window) {
  WindowSnapshot snapshot;
  snapshot.handle = window;
  snapshot.processId = WindowProcess(window);
  snapshot.title = WindowTitle(window);
  snapshot.className = WindowClass(window);
  snapshot.rect = WindowRect(window);
  snapshot.visible = IsWindowVisible(window) != FALSE;
  snapshot.enabled = IsWindowEnabled(window) != FALSE;
  snapshot.minimized = IsIconic(window) != FALSE;
  snapshot.maximized = IsZoomed(window) != FALSE;
  return snapshot;
}

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

}  // namespace

// EnumWindows takes its list at once; a GW_HWNDNEXT walk could skip windows that the program
// under test reorders meanwhile.
std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindTopLevel(const std::function<bool(HWND)>& match) {
  for (HWND window : TopLevelWindows()) {
    if (match(window)) return window;
  }
  return nullptr;
}

HWND FindWindowOf(DWORD processId, const std::string& className,
                  const std::optional<std::string>& title) {
  return FindTopLevel([&](HWND window) {
    return WindowProcess(window) == processId && WindowClass(window) == className &&
           (!title || WindowTitle(window) == *title);
  });
}

HWND FindOpenMenu() {
  return FindTopLevel([](HWND window) {
    return IsWindowVisible(window) && WindowClass(window) == "#32768";
  });
}

std::string Describe(HWND window) {
  if (window == nullptr) return "(no window)";
  if (!IsWindow(window)) return "(window gone)";
  const WindowSnapshot s = Snapshot(window);
  char text[256];
  std::snprintf(text, sizeof(text), " [%s] (%p) at (%ld,%ld)-(%ld,%ld), %s, %s", s.className.c_str(),
                static_cast<void*>(window), s.rect.left, s.rect.top, s.rect.right, s.rect.bottom,
                s.visible ? "visible" : "hidden", s.enabled ? "enabled" : "disabled");
  return "'" + s.title + "'" + text;
}

}  // namespace mirel::e2e
