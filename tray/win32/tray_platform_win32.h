// The tray icons' platform on Win32: Shell_NotifyIconW with the Windows 2000 record, icon copies,
// pointer and keys, the window calls, subclassing, and the hidden windows and timers.
#pragma once

#include <memory>

#include "tray/tray_platform.h"
#include "tray/win32/boundary_win32.h"

namespace mirel::win32 {

// One per process, on the GUI thread, created before the first tray icon and destroyed after the
// last one. Registers "TaskbarCreated" when it is created. `report` receives the errors thrown by
// tray events, timer callbacks and hooked-window handlers (the application's error box); without
// one they go to the debugger output.
std::unique_ptr<ITrayPlatform> CreateWin32TrayPlatform(TErrorReport report);

// RegisterWindowMessageW("TaskbarCreated") when the common controls are version 4.71 or later
// (the shell broadcasts the message from then on; when unsure, it is registered); otherwise 0.
UINT RegisterTaskbarCreatedMessage();

}  // namespace mirel::win32
