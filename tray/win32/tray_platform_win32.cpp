#include "tray/win32/tray_platform_win32.h"

#include <iterator>
#include <utility>

#include "platform/win32/handle_cast.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"
#include "tray/win32/timer_platform_win32.h"
#include "tray/win32/window_hooks_win32.h"

#include <shellapi.h>
#include <shlwapi.h>

namespace mirel::win32 {

namespace {

// The Windows 2000 layout: notifications in the version-0 format, a 128-unit tip, no
// balloon or GUID members read by the shell.
constexpr DWORD kNotifyIconDataSize = NOTIFYICONDATAW_V2_SIZE;
#if defined(_WIN64)
static_assert(kNotifyIconDataSize == 952);
#else
static_assert(kNotifyIconDataSize == 936);
#endif
static_assert(std::size(NOTIFYICONDATAW{}.szTip) == kTrayTipSize);

HICON ToHicon(IconHandle icon) { return reinterpret_cast<HICON>(icon); }
IconHandle FromHicon(HICON icon) { return reinterpret_cast<IconHandle>(icon); }

class Win32TrayPlatform final : public ITrayPlatform {
 public:
  explicit Win32TrayPlatform(TErrorReport report)
      : timers_(std::move(report)), taskbarCreated_(RegisterTaskbarCreatedMessage()) {}

  ITimerPlatform& Timers() override { return timers_; }

  bool NotifyIcon(std::uint32_t message, const TTrayIconData& data) override {
    NOTIFYICONDATAW record{};
    record.cbSize = kNotifyIconDataSize;
    record.hWnd = ToHwnd(data.Wnd);
    record.uID = data.Id;
    record.uFlags = data.Flags;
    record.uCallbackMessage = data.CallbackMessage;
    record.hIcon = ToHicon(data.Icon);
    // The tip was cut to fit the buffer with its terminating zero, between characters.
    const std::wstring tip = Wide(data.Tip).substr(0, std::size(record.szTip) - 1);
    tip.copy(record.szTip, tip.size());
    return ::Shell_NotifyIconW(message, &record) != FALSE;
  }

  std::uint32_t TaskbarCreatedMessage() const override { return taskbarCreated_; }

  IconHandle CopyIcon(IconHandle icon) override { return FromHicon(::CopyIcon(ToHicon(icon))); }
  void DestroyIcon(IconHandle icon) override { ::DestroyIcon(ToHicon(icon)); }

  bool GetCursorPos(Point& position) override {
    POINT point{};
    if (!::GetCursorPos(&point)) return false;
    position = Point{point.x, point.y};
    return true;
  }
  bool IsKeyDown(int virtualKey) override {
    return (static_cast<unsigned short>(::GetAsyncKeyState(virtualKey)) & 0x8000U) != 0;
  }
  std::uint32_t GetDoubleClickTime() override { return ::GetDoubleClickTime(); }

  bool SetForegroundWindow(Hwnd window) override {
    return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
  }
  bool IsWindowVisible(Hwnd window) override { return ::IsWindowVisible(ToHwnd(window)) != FALSE; }
  bool ShowWindow(Hwnd window, int command) override {
    return ::ShowWindow(ToHwnd(window), command) != FALSE;
  }
  bool PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override {
    return ::PostMessageW(ToHwnd(window), message, wParam, lParam) != FALSE;
  }
  Hwnd GetParent(Hwnd window) override { return FromHwnd(::GetParent(ToHwnd(window))); }
  void SetFocus(Hwnd window) override { ::SetFocus(ToHwnd(window)); }

  void ProcessMessages() override {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The quit request belongs to the main loop: put it back and stop here.
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }

  WindowHookHandle HookWindow(Hwnd window,
                              std::function<void(const TMessage&)> handler) override {
    return InstallWindowHook(ToHwnd(window), std::move(handler), timers_.Report());
  }
  void UnhookWindow(WindowHookHandle hook) override { RemoveWindowHook(hook); }

 private:
  Win32TimerPlatform timers_;
  UINT taskbarCreated_;
};

}  // namespace

UINT RegisterTaskbarCreatedMessage() {
  bool recentEnough = true;  // unsure: assume a shell that broadcasts it
  if (const HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll")) {
    // DllGetVersion itself first appeared with version 4.71.
    const FARPROC address = ::GetProcAddress(comctl, "DllGetVersion");
    if (address == nullptr) {
      recentEnough = false;
    } else {
      const auto getVersion =
          reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(address));
      DLLVERSIONINFO version{};
      version.cbSize = sizeof(version);
      if (SUCCEEDED(getVersion(&version))) {
        recentEnough = version.dwMajorVersion > 4 ||
                       (version.dwMajorVersion == 4 && version.dwMinorVersion >= 71);
      }
    }
  }
  return recentEnough ? ::RegisterWindowMessageW(L"TaskbarCreated") : 0;
}

std::unique_ptr<ITrayPlatform> CreateWin32TrayPlatform(TErrorReport report) {
  return std::make_unique<Win32TrayPlatform>(std::move(report));
}

}  // namespace mirel::win32
