// The window-system layer: every call the program makes on top-level windows goes through this
// interface. The Win32 implementation forwards to user32; the simulation (platform/sim) stands in for
// it in host tests and benchmarks.
//
// Calls on a window that has closed fail harmlessly (false, 0 or an empty result), as user32's do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace mirel {

// Opaque handle of a deferred-position batch (HDWP). 0 means "no batch".
using DeferBatch = std::uintptr_t;

class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;

  // --- Enumeration -----------------------------------------------------------------------------
  // The top-level windows in Z order, topmost first, as the walk GetWindow(GetDesktopWindow(),
  // GW_CHILD) then GW_HWNDNEXT until 0 gives them.
  virtual std::vector<Hwnd> WindowsInZOrder() = 0;
  // EnumWindows: every top-level window once, topmost first, until the callback returns false.
  virtual void EnumWindows(const std::function<bool(Hwnd)>& callback) = 0;

  // --- Queries ---------------------------------------------------------------------------------
  virtual Hwnd GetOwner(Hwnd window) = 0;  // GetWindow(GW_OWNER); 0 when none
  virtual bool IsWindow(Hwnd window) = 0;
  virtual bool IsWindowVisible(Hwnd window) = 0;  // of a top-level window
  virtual bool IsWindowEnabled(Hwnd window) = 0;
  // The window manager keeps the window out of sight though it reads as visible
  // (DwmGetWindowAttribute DWMWA_CLOAKED non-zero). False where that cannot be asked.
  virtual bool IsWindowCloaked(Hwnd window) = 0;
  // GetSystemMetrics(SM_CXSCREEN / SM_CYSCREEN): the primary screen, read afresh at each call.
  virtual Size ScreenSize() = 0;
  // The bounding rectangle of all monitors (SM_XVIRTUALSCREEN .. SM_CYVIRTUALSCREEN); its origin is
  // negative when a monitor lies left of or above the primary one.
  virtual Rect VirtualScreen() = 0;
  // Every monitor (EnumDisplayMonitors, GetMonitorInfo), the primary one flagged.
  virtual std::vector<MonitorInfo> Monitors() = 0;
  // GetWindowTextW / GetClassNameW into a buffer of bufferChars UTF-16 units (terminating zero
  // included), converted to UTF-8: the text of at most bufferChars - 1 units, cut between
  // characters (a surrogate pair is never split).
  virtual std::string GetWindowText(Hwnd window, int bufferChars) = 0;
  virtual std::string GetClassName(Hwnd window, int bufferChars) = 0;
  virtual bool GetWindowRect(Hwnd window, Rect& rect) = 0;
  virtual bool GetWindowPlacement(Hwnd window, Placement& placement) = 0;
  virtual std::uintptr_t GetClassIcon(Hwnd window) = 0;  // GetClassLongPtrW(GCLP_HICON); 0 when none
  virtual std::int32_t GetExStyle(Hwnd window) = 0;      // GetWindowLongW(GWL_EXSTYLE)
  // False when the window answers nothing within timeoutMs (SendMessageTimeout WM_NULL with
  // SMTO_ABORTIFHUNG): its thread is hung or busy.
  virtual bool Responds(Hwnd window, unsigned timeoutMs) = 0;
  // The thread that created the window (GetWindowThreadProcessId); 0 when it no longer exists.
  virtual std::uint32_t GetWindowThreadId(Hwnd window) = 0;
  // The full path of the program file of the window's process (QueryFullProcessImageNameW with
  // PROCESS_QUERY_LIMITED_INFORMATION), UTF-8; empty when it cannot be known.
  virtual std::string GetProgramPath(Hwnd window) = 0;

  // --- Foreground ------------------------------------------------------------------------------
  virtual Hwnd GetForegroundWindow() = 0;
  virtual bool SetForegroundWindow(Hwnd window) = 0;

  // --- Changes ---------------------------------------------------------------------------------
  virtual bool ShowWindow(Hwnd window, int command) = 0;
  virtual bool ShowWindowAsync(Hwnd window, int command) = 0;
  virtual bool EnableWindow(Hwnd window, bool enable) = 0;
  // EnableWindow without waiting: the window's thread may not answer (EnableWindow sends it
  // WM_ENABLE and would wait for as long as it is stuck).
  virtual void EnableWindowAsync(Hwnd window, bool enable) = 0;
  // EnableWindow for each of `windows`, the windows of different threads side by side; returns
  // when all are done, or after `timeoutMs` with the rest still under way.
  virtual void EnableWindows(const std::vector<std::pair<Hwnd, bool>>& windows,
                             unsigned timeoutMs) = 0;
  virtual DeferBatch BeginDeferWindowPos(int count) = 0;
  virtual DeferBatch DeferWindowPos(DeferBatch batch, Hwnd window, Hwnd insertAfter, int x, int y,
                                    int cx, int cy, std::uint32_t flags) = 0;
  virtual bool EndDeferWindowPos(DeferBatch batch) = 0;
  virtual bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                            std::uint32_t flags) = 0;
  virtual bool MoveWindow(Hwnd window, int x, int y, int cx, int cy, bool repaint) = 0;
  virtual bool SetExStyle(Hwnd window, std::int32_t exStyle) = 0;  // SetWindowLongW(GWL_EXSTYLE)
  // SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA).
  virtual bool SetLayeredAlpha(Hwnd window, std::uint8_t alpha) = 0;

  // --- Messages and hot keys -------------------------------------------------------------------
  virtual bool PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  virtual std::intptr_t SendMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;
  virtual bool RegisterHotKey(Hwnd window, int id, std::uint32_t modifiers,
                              std::uint32_t virtualKey) = 0;
  virtual bool UnregisterHotKey(Hwnd window, int id) = 0;
};

}  // namespace mirel
