// Subclassing of windows the tray icons do not own (the application's window, the owner form's
// window) by replacing their window procedure: each hook keeps the procedure it replaced, runs its
// handler, and always passes the message on to that procedure. The newest hook of a window runs
// first; removing a hook puts back the procedure it replaced.
#pragma once

#include <functional>

#include "platform/win32/windows_api.h"
#include "tray/message_window.h"
#include "tray/tray_platform.h"
#include "tray/win32/boundary_win32.h"

namespace mirel::win32 {

// Hooks `window` (of this thread); 0 when it does not exist or all hook slots are taken. Errors
// thrown by `handler` go to `report`, which must outlive the hook.
WindowHookHandle InstallWindowHook(HWND window, std::function<void(const TMessage&)> handler,
                                   const TErrorReport& report);

// Removes the hook. When a newer procedure that still calls this hook's procedure sits on top (the
// hooks of a window were not removed newest first), the hook stays in the chain passing messages
// on, so that no procedure is ever called after it has gone.
void RemoveWindowHook(WindowHookHandle hook);

}  // namespace mirel::win32
