// Window events of other programs: SetWinEventHook out of context, skipping this process, for the
// creation, showing, destruction and title changes of top-level windows. The callback runs on this
// thread from its message waits, a switch's waits included: the handler must only take note.
#pragma once

#include <functional>

#include "engine/new_windows.h"
#include "platform/win32/windows_api.h"
#include "tray/win32/boundary_win32.h"

namespace mirel::win32 {

class TWindowEventHooks {
 public:
  using THandler = std::function<void(Hwnd window, TWindowEvent event)>;
  // One instance at a time: the hook procedure has no context pointer. Errors thrown by `handler`
  // go to `report`.
  TWindowEventHooks(THandler handler, TErrorReport report);
  TWindowEventHooks(const TWindowEventHooks&) = delete;
  TWindowEventHooks& operator=(const TWindowEventHooks&) = delete;
  ~TWindowEventHooks();

  // Whether every hook was set.
  bool Installed() const { return installed_; }

 private:
  static void CALLBACK HookProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG idObject,
                                LONG idChild, DWORD thread, DWORD time);
  THandler handler_;
  TErrorReport report_;
  HWINEVENTHOOK createToShow_ = nullptr;
  HWINEVENTHOOK nameChange_ = nullptr;
  bool installed_ = false;
};

}  // namespace mirel::win32
