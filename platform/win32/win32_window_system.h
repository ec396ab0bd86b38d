// The window-system layer over user32: each method is the one user32 call it names, with the
// wide ("W") functions; text is converted to and from UTF-8.
#pragma once

#include "platform/window_system.h"

namespace mirel::win32 {

class Win32WindowSystem : public IWindowSystem {
 public:
  std::vector<Hwnd> WindowsInZOrder() override;
  void EnumWindows(const std::function<bool(Hwnd)>& callback) override;

  Hwnd GetOwner(Hwnd window) override;
  bool IsWindow(Hwnd window) override;
  bool IsWindowVisible(Hwnd window) override;
  bool IsWindowCloaked(Hwnd window) override;
  bool IsWindowEnabled(Hwnd window) override;
  Size ScreenSize() override;
  Rect VirtualScreen() override;
  std::vector<MonitorInfo> Monitors() override;
  std::string GetWindowText(Hwnd window, int bufferChars) override;
  std::string GetClassName(Hwnd window, int bufferChars) override;
  bool GetWindowRect(Hwnd window, Rect& rect) override;
  bool GetWindowPlacement(Hwnd window, Placement& placement) override;
  std::uintptr_t GetClassIcon(Hwnd window) override;
  std::int32_t GetExStyle(Hwnd window) override;
  std::string GetProgramPath(Hwnd window) override;
  bool Responds(Hwnd window, unsigned timeoutMs) override;
  void EnableWindowAsync(Hwnd window, bool enable) override;
  void EnableWindows(const std::vector<std::pair<Hwnd, bool>>& windows,
                     unsigned timeoutMs) override;
  std::uint32_t GetWindowThreadId(Hwnd window) override;

  Hwnd GetForegroundWindow() override;
  bool SetForegroundWindow(Hwnd window) override;

  bool ShowWindow(Hwnd window, int command) override;
  bool ShowWindowAsync(Hwnd window, int command) override;
  bool EnableWindow(Hwnd window, bool enable) override;
  DeferBatch BeginDeferWindowPos(int count) override;
  DeferBatch DeferWindowPos(DeferBatch batch, Hwnd window, Hwnd insertAfter, int x, int y, int cx,
                            int cy, std::uint32_t flags) override;
  bool EndDeferWindowPos(DeferBatch batch) override;
  bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool MoveWindow(Hwnd window, int x, int y, int cx, int cy, bool repaint) override;
  bool SetExStyle(Hwnd window, std::int32_t exStyle) override;
  bool SetLayeredAlpha(Hwnd window, std::uint8_t alpha) override;

  bool PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::intptr_t SendMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool RegisterHotKey(Hwnd window, int id, std::uint32_t modifiers,
                      std::uint32_t virtualKey) override;
  bool UnregisterHotKey(Hwnd window, int id) override;
};

}  // namespace mirel::win32
