#include "platform/win32/win32_window_system.h"

#include <exception>
#include <string>

#include "platform/win32/detached_thread.h"
#include "platform/win32/enable_side_by_side.h"
#include "platform/win32/handle_cast.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {
namespace {

HDWP ToHdwp(DeferBatch batch) { return reinterpret_cast<HDWP>(batch); }
DeferBatch FromHdwp(HDWP batch) { return reinterpret_cast<DeferBatch>(batch); }

Point FromPoint(const POINT& p) { return {static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y)}; }

Rect FromRect(const RECT& r) {
  return {static_cast<std::int32_t>(r.left), static_cast<std::int32_t>(r.top),
          static_cast<std::int32_t>(r.right), static_cast<std::int32_t>(r.bottom)};
}

// Reads a string the way GetWindowTextW/GetClassNameW fill a buffer of `bufferChars` UTF-16 units:
// the returned count is the length. A surrogate pair cut in half at the buffer's end loses its
// first half, so the text ends between characters.
template <typename Reader>
std::string ReadIntoBuffer(int bufferChars, Reader read) {
  if (bufferChars <= 0) return {};
  std::wstring text(static_cast<std::size_t>(bufferChars), L'\0');
  const int count = read(text.data(), bufferChars);
  text.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  if (text.size() == static_cast<std::size_t>(bufferChars - 1) && !text.empty() &&
      text.back() >= 0xD800 && text.back() <= 0xDBFF) {
    text.pop_back();
  }
  return Utf8(text);
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (::GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<MonitorInfo>*>(param)->push_back(
        {FromRect(info.rcMonitor), FromRect(info.rcWork),
         (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

// EnumWindows calls back through user32, which must not be unwound by a C++ exception: the
// callback's exception is held here and rethrown once EnumWindows has returned.
struct EnumState {
  const std::function<bool(Hwnd)>* callback;
  std::exception_ptr error;
};

BOOL CALLBACK EnumWindowsThunk(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  try {
    return (*state->callback)(FromHwnd(window)) ? TRUE : FALSE;
  } catch (...) {
    state->error = std::current_exception();
    return FALSE;
  }
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<Hwnd>*>(param)->push_back(FromHwnd(window));
  return TRUE;
}

}  // namespace

std::vector<Hwnd> Win32WindowSystem::WindowsInZOrder() {
  // EnumWindows gives the top-level windows in Z order, topmost first, as a walk with GetWindow
  // does, but from one snapshot: a window closing or moving in the Z order meanwhile cannot end
  // the walk early or send it round in a loop (GetWindow, Remarks).
  std::vector<Hwnd> windows;
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

void Win32WindowSystem::EnumWindows(const std::function<bool(Hwnd)>& callback) {
  EnumState state{&callback, nullptr};
  ::EnumWindows(EnumWindowsThunk, reinterpret_cast<LPARAM>(&state));
  if (state.error) std::rethrow_exception(state.error);
}

Hwnd Win32WindowSystem::GetOwner(Hwnd window) {
  return FromHwnd(::GetWindow(ToHwnd(window), GW_OWNER));
}

bool Win32WindowSystem::IsWindow(Hwnd window) { return ::IsWindow(ToHwnd(window)) != FALSE; }

bool Win32WindowSystem::IsWindowVisible(Hwnd window) {
  // Asked of top-level windows only, whose parent, the desktop window, is always visible: their
  // own WS_VISIBLE says it. IsWindowVisible would walk the parents too, a second round trip to
  // the window server under Wine for every window of a switch and of the tray menu.
  return (::GetWindowLongW(ToHwnd(window), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Win32WindowSystem::IsWindowCloaked(Hwnd window) {
  // dwmapi is looked up at run time: the program must also start where it is missing or lacks
  // the attribute (Windows 7 knows no DWMWA_CLOAKED and fails the call; Wine cloaks nothing).
  using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const GetAttribute getAttribute = [] {
    // Kept loaded for the life of the process: the pointer is used until the end.
    return SystemFunction<GetAttribute>(L"dwmapi.dll", "DwmGetWindowAttribute");
  }();
  if (getAttribute == nullptr) return false;
  constexpr DWORD kDwmwaCloaked = 14;  // DWMWA_CLOAKED, Windows 8 and later
  DWORD cloaked = 0;
  const HRESULT result = getAttribute(ToHwnd(window), kDwmwaCloaked, &cloaked, sizeof(cloaked));
  return SUCCEEDED(result) && cloaked != 0;
}

bool Win32WindowSystem::IsWindowEnabled(Hwnd window) {
  return ::IsWindowEnabled(ToHwnd(window)) != FALSE;
}

Size Win32WindowSystem::ScreenSize() {
  return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

Rect Win32WindowSystem::VirtualScreen() {
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
          top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<MonitorInfo> Win32WindowSystem::Monitors() {
  std::vector<MonitorInfo> monitors;
  ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

std::string Win32WindowSystem::GetWindowText(Hwnd window, int bufferChars) {
  return ReadIntoBuffer(bufferChars, [window](wchar_t* buffer, int chars) {
    return ::GetWindowTextW(ToHwnd(window), buffer, chars);
  });
}

std::string Win32WindowSystem::GetClassName(Hwnd window, int bufferChars) {
  return ReadIntoBuffer(bufferChars, [window](wchar_t* buffer, int chars) {
    return ::GetClassNameW(ToHwnd(window), buffer, chars);
  });
}

bool Win32WindowSystem::GetWindowRect(Hwnd window, Rect& rect) {
  RECT r{};
  if (!::GetWindowRect(ToHwnd(window), &r)) return false;
  rect = FromRect(r);
  return true;
}

bool Win32WindowSystem::GetWindowPlacement(Hwnd window, Placement& placement) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);  // 44 bytes; the call fails on any other length
  if (!::GetWindowPlacement(ToHwnd(window), &wp)) return false;
  placement.flags = wp.flags;
  placement.showCmd = wp.showCmd;
  placement.ptMinPosition = FromPoint(wp.ptMinPosition);
  placement.ptMaxPosition = FromPoint(wp.ptMaxPosition);
  placement.rcNormalPosition = FromRect(wp.rcNormalPosition);
  return true;
}

std::uintptr_t Win32WindowSystem::GetClassIcon(Hwnd window) {
#ifdef _WIN64
  // A handle does not fit GetClassLongW's 32-bit result on 64-bit Windows.
  return static_cast<std::uintptr_t>(::GetClassLongPtrW(ToHwnd(window), GCLP_HICON));
#else
  return static_cast<std::uintptr_t>(::GetClassLongW(ToHwnd(window), GCL_HICON));
#endif
}

std::int32_t Win32WindowSystem::GetExStyle(Hwnd window) {
  return static_cast<std::int32_t>(::GetWindowLongW(ToHwnd(window), GWL_EXSTYLE));
}

bool Win32WindowSystem::Responds(Hwnd window, unsigned timeoutMs) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                               &result) != 0;
}

void Win32WindowSystem::EnableWindowAsync(Hwnd window, bool enable) {
  // A thread of its own waits for the stuck window; the GUI thread goes on at once. It touches
  // nothing but the window handle. Without a thread to be had it is dropped: waiting here could
  // hold the program for as long as the window is stuck.
  (void)StartDetachedThread([window, enable] { ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE); });
}

void Win32WindowSystem::EnableWindows(const std::vector<std::pair<Hwnd, bool>>& windows,
                                      unsigned timeoutMs) {
  EnableSideBySide(windows, timeoutMs);
}

std::uint32_t Win32WindowSystem::GetWindowThreadId(Hwnd window) {
  return ::GetWindowThreadProcessId(ToHwnd(window), nullptr);
}

std::string Win32WindowSystem::GetProgramPath(Hwnd window) {
  DWORD processId = 0;
  if (::GetWindowThreadProcessId(ToHwnd(window), &processId) == 0) return {};
  // The limited right is granted for processes of other users and elevated ones too.
  const UniqueKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD size = static_cast<DWORD>(path.size());
    if (::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size) != FALSE) {
      path.resize(size);
      return Utf8(path);
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    path.resize(path.size() * 4);
  }
  return {};
}

Hwnd Win32WindowSystem::GetForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }

bool Win32WindowSystem::SetForegroundWindow(Hwnd window) {
  return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
}

// As user32 reports it: whether the window was visible before.
bool Win32WindowSystem::ShowWindow(Hwnd window, int command) {
  return ::ShowWindow(ToHwnd(window), command) != FALSE;
}

// As user32 reports it: whether the request was posted.
bool Win32WindowSystem::ShowWindowAsync(Hwnd window, int command) {
  return ::ShowWindowAsync(ToHwnd(window), command) != FALSE;
}

// As user32 reports it: whether the window was disabled before.
bool Win32WindowSystem::EnableWindow(Hwnd window, bool enable) {
  return ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE) != FALSE;
}

DeferBatch Win32WindowSystem::BeginDeferWindowPos(int count) {
  return FromHdwp(::BeginDeferWindowPos(count));
}

DeferBatch Win32WindowSystem::DeferWindowPos(DeferBatch batch, Hwnd window, Hwnd insertAfter, int x,
                                             int y, int cx, int cy, std::uint32_t flags) {
  return FromHdwp(::DeferWindowPos(ToHdwp(batch), ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy,
                                   flags));
}

bool Win32WindowSystem::EndDeferWindowPos(DeferBatch batch) {
  return ::EndDeferWindowPos(ToHdwp(batch)) != FALSE;
}

bool Win32WindowSystem::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                                     std::uint32_t flags) {
  return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags) != FALSE;
}

bool Win32WindowSystem::MoveWindow(Hwnd window, int x, int y, int cx, int cy, bool repaint) {
  return ::MoveWindow(ToHwnd(window), x, y, cx, cy, repaint ? TRUE : FALSE) != FALSE;
}

bool Win32WindowSystem::SetExStyle(Hwnd window, std::int32_t exStyle) {
  // The previous style is returned, and 0 is a valid previous style: only the error tells.
  ::SetLastError(ERROR_SUCCESS);
  const LONG previous = ::SetWindowLongW(ToHwnd(window), GWL_EXSTYLE, exStyle);
  return previous != 0 || ::GetLastError() == ERROR_SUCCESS;
}

bool Win32WindowSystem::SetLayeredAlpha(Hwnd window, std::uint8_t alpha) {
  return ::SetLayeredWindowAttributes(ToHwnd(window), 0, alpha, LWA_ALPHA) != FALSE;
}

bool Win32WindowSystem::PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
  return ::PostMessageW(ToHwnd(window), message, wParam, lParam) != FALSE;
}

std::intptr_t Win32WindowSystem::SendMessage(Hwnd window, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
  return ::SendMessageW(ToHwnd(window), message, wParam, lParam);
}

bool Win32WindowSystem::RegisterHotKey(Hwnd window, int id, std::uint32_t modifiers,
                                       std::uint32_t virtualKey) {
  return ::RegisterHotKey(ToHwnd(window), id, modifiers, virtualKey) != FALSE;
}

bool Win32WindowSystem::UnregisterHotKey(Hwnd window, int id) {
  return ::UnregisterHotKey(ToHwnd(window), id) != FALSE;
}

}  // namespace mirel::win32
