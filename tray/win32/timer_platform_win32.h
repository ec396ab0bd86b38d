// Hidden message windows and their timers on Win32, for the window-less timers and the tray
// icons' shared handler window.
//
// The windows are message-only (parent HWND_MESSAGE) of a private class: they never show, are not
// enumerated with the top-level windows, and still receive posted and sent messages, WM_TIMER and
// the shell's tray notifications. They receive no broadcasts; the tray icons get "TaskbarCreated"
// through the application's top-level window instead.
#pragma once

#include <map>

#include "platform/win32/handles.h"
#include "tray/win32/boundary_win32.h"
#include "tray/windowless_timer.h"

namespace mirel::win32 {

class Win32TimerPlatform final : public ITimerPlatform {
 public:
  // `report` receives the errors thrown by message targets (timer callbacks, tray events).
  explicit Win32TimerPlatform(TErrorReport report);
  Win32TimerPlatform(const Win32TimerPlatform&) = delete;
  Win32TimerPlatform& operator=(const Win32TimerPlatform&) = delete;
  ~Win32TimerPlatform() override;

  Hwnd CreateMessageWindow(IMessageTarget& target) override;
  void DestroyMessageWindow(Hwnd window) override;
  bool SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t milliseconds) override;
  bool KillTimer(Hwnd window, std::uintptr_t id) override;

  const TErrorReport& Report() const { return report_; }

 private:
  struct Binding {
    UniqueWindow window;
    IMessageTarget* target;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TErrorReport report_;
  std::map<HWND, Binding> windows_;
};

}  // namespace mirel::win32
