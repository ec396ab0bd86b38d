#include "tray/win32/timer_platform_win32.h"

#include <utility>

#include "platform/win32/handle_cast.h"
#include "tray/tray_platform.h"

namespace mirel::win32 {

namespace {

constexpr wchar_t kMessageWindowClass[] = L"MirelMessageWindow";

// Registered once per process; the class lives until the process ends.
bool RegisterMessageWindowClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kMessageWindowClass;
    return ::RegisterClassExW(&windowClass) != 0 ||
           ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

Win32TimerPlatform::Win32TimerPlatform(TErrorReport report) : report_(std::move(report)) {}

Win32TimerPlatform::~Win32TimerPlatform() {
  // Windows still alive go without reaching their targets.
  while (!windows_.empty()) windows_.extract(windows_.begin());
}

Hwnd Win32TimerPlatform::CreateMessageWindow(IMessageTarget& target) {
  if (!RegisterMessageWindowClass(&WindowProc)) return 0;
  UniqueWindow window(::CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, ::GetModuleHandleW(nullptr), this));
  if (!window) return 0;
  const HWND handle = window.get();
  windows_.emplace(handle, Binding{std::move(window), &target});
  return FromHwnd(handle);
}

void Win32TimerPlatform::DestroyMessageWindow(Hwnd window) {
  // Taken out of the map first: the messages of the destruction go to DefWindowProcW.
  auto node = windows_.extract(ToHwnd(window));
}

bool Win32TimerPlatform::SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t milliseconds) {
  return ::SetTimer(ToHwnd(window), id, milliseconds, nullptr) != 0;
}

bool Win32TimerPlatform::KillTimer(Hwnd window, std::uintptr_t id) {
  return ::KillTimer(ToHwnd(window), id) != FALSE;
}

LRESULT CALLBACK Win32TimerPlatform::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32TimerPlatform*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return self->Dispatch(window, message, wParam, lParam);
}

LRESULT Win32TimerPlatform::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return ::DefWindowProcW(window, message, wParam, lParam);
  // The shell may deliver tray notifications as sent messages, and a thread receives sent messages
  // whenever it waits on another thread's window: in the middle of a desktop switch. Such a
  // notification goes back to the queue, so every command runs to its end before the next starts.
  if (message == kTrayCallbackMessage && ::InSendMessage()) {
    ::PostMessageW(window, message, wParam, lParam);
    return 0;
  }
  IMessageTarget* target = it->second.target;
  TMessage request{message, wParam, lParam, 0};
  bool handled = true;  // a message whose handling failed is not handled a second time
  // The target may destroy this window (and itself) while it runs: only locals are used after.
  RunAtBoundary(report_, [&] { handled = target->WindowMessage(request); });
  return handled ? request.Result : ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace mirel::win32
