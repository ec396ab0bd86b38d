// What the tray icon component needs of the platform: the shell's notification area, icon copies,
// the pointer and modifier keys, a few window calls and window subclassing. The Win32
// implementation lives in tray/win32; host tests use a fake.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/types.h"
#include "tray/message_window.h"
#include "tray/windowless_timer.h"

namespace mirel {

// An icon handle (HICON). 0 is "no icon".
using IconHandle = std::uintptr_t;
// A window subclassing installed by ITrayPlatform::HookWindow. 0 is "none".
using WindowHookHandle = std::uintptr_t;

// Shell_NotifyIcon messages and NOTIFYICONDATA flags.
inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;

// The message the shell sends to the tray handler's window for every entry (WM_USER + 0x400).
inline constexpr std::uint32_t kTrayCallbackMessage = 0x800;
inline constexpr std::size_t kTrayTipSize = 128;  // szTip, terminating zero included

// Window messages seen by the tray component.
inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmSize = 0x0005;
inline constexpr std::uint32_t kWmActivate = 0x0006;
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmQueryEndSession = 0x0011;
inline constexpr std::uint32_t kWmEndSession = 0x0016;
inline constexpr std::uint32_t kWmShowWindow = 0x0018;
inline constexpr std::uint32_t kWmWindowPosChanged = 0x0047;
inline constexpr std::uint32_t kWmNcDestroy = 0x0082;
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMButtonUp = 0x0208;
inline constexpr std::uint32_t kWmMButtonDblClk = 0x0209;
inline constexpr std::uint32_t kNinBalloonHide = 0x0403;
inline constexpr std::uint32_t kNinBalloonTimeout = 0x0404;
inline constexpr std::uint32_t kNinBalloonUserClick = 0x0405;
inline constexpr std::uintptr_t kSizeMinimized = 1;
inline constexpr std::uintptr_t kWaActive = 1;
inline constexpr std::uintptr_t kWaClickActive = 2;
inline constexpr int kVkShift = 0x10;
inline constexpr int kVkControl = 0x11;
inline constexpr int kVkMenu = 0x12;

// The members of NOTIFYICONDATAW that the component sets; every other member is zero. The Win32
// implementation passes them in the Windows 2000 layout (cbSize NOTIFYICONDATAW_V2_SIZE, 936 bytes
// on 32-bit Windows) with uVersion 0, so notifications come as wParam = Id, lParam = the mouse
// message.
struct TTrayIconData {
  Hwnd Wnd = 0;
  std::uint32_t Id = 0;
  std::uint32_t Flags = kNifMessage | kNifIcon | kNifTip;
  std::uint32_t CallbackMessage = kTrayCallbackMessage;
  IconHandle Icon = 0;
  std::string Tip;  // UTF-8, at most kTrayTipSize - 1 UTF-16 units
};

class ITrayPlatform {
 public:
  virtual ~ITrayPlatform() = default;

  // --- Hidden windows and timers ---------------------------------------------------------------
  virtual ITimerPlatform& Timers() = 0;  // also makes the tray handler's message window

  // --- Shell -----------------------------------------------------------------------------------
  // Shell_NotifyIconA.
  virtual bool NotifyIcon(std::uint32_t message, const TTrayIconData& data) = 0;
  // The registered "TaskbarCreated" message, 0 when it was not registered.
  virtual std::uint32_t TaskbarCreatedMessage() const = 0;

  // --- Icons -----------------------------------------------------------------------------------
  virtual IconHandle CopyIcon(IconHandle icon) = 0;  // 0 when it cannot be copied
  virtual void DestroyIcon(IconHandle icon) = 0;

  // --- Pointer and keys ------------------------------------------------------------------------
  virtual bool GetCursorPos(Point& position) = 0;
  virtual bool IsKeyDown(int virtualKey) = 0;  // GetAsyncKeyState, high bit
  virtual std::uint32_t GetDoubleClickTime() = 0;

  // --- Windows ---------------------------------------------------------------------------------
  virtual bool SetForegroundWindow(Hwnd window) = 0;
  virtual bool IsWindowVisible(Hwnd window) = 0;
  virtual bool ShowWindow(Hwnd window, int command) = 0;
  virtual bool PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  virtual Hwnd GetParent(Hwnd window) = 0;
  virtual void SetFocus(Hwnd window) = 0;
  // Dispatches the messages waiting in the GUI thread's queue; a quit request stays queued for
  // the main loop.
  virtual void ProcessMessages() = 0;

  // --- Subclassing -----------------------------------------------------------------------------
  // Replaces the window's procedure by one that calls `handler` and then the procedure it
  // replaced. The newest hook of a window runs first. 0 when the window cannot be hooked.
  virtual WindowHookHandle HookWindow(Hwnd window,
                                      std::function<void(const TMessage&)> handler) = 0;
  // Puts back the procedure the hook replaced (hooks of one window come off newest first).
  virtual void UnhookWindow(WindowHookHandle hook) = 0;
};

// A window hook removed with its owner.
class TScopedWindowHook {
 public:
  TScopedWindowHook() = default;
  TScopedWindowHook(ITrayPlatform& platform, Hwnd window,
                    std::function<void(const TMessage&)> handler)
      : platform_(&platform), hook_(platform.HookWindow(window, std::move(handler))) {}
  TScopedWindowHook(TScopedWindowHook&& other) noexcept
      : platform_(other.platform_), hook_(std::exchange(other.hook_, 0)) {}
  TScopedWindowHook& operator=(TScopedWindowHook&& other) noexcept {
    if (this != &other) {
      Reset();
      platform_ = other.platform_;
      hook_ = std::exchange(other.hook_, 0);
    }
    return *this;
  }
  TScopedWindowHook(const TScopedWindowHook&) = delete;
  TScopedWindowHook& operator=(const TScopedWindowHook&) = delete;
  ~TScopedWindowHook() { Reset(); }

  explicit operator bool() const { return hook_ != 0; }
  void Reset() {
    if (hook_ != 0) platform_->UnhookWindow(std::exchange(hook_, 0));
  }

 private:
  ITrayPlatform* platform_ = nullptr;
  WindowHookHandle hook_ = 0;
};

// An icon copy owned by the component (CopyIcon, released with DestroyIcon).
class TOwnedIcon {
 public:
  explicit TOwnedIcon(ITrayPlatform& platform) : platform_(&platform) {}
  TOwnedIcon(TOwnedIcon&& other) noexcept
      : platform_(other.platform_), icon_(std::exchange(other.icon_, 0)) {}
  TOwnedIcon& operator=(TOwnedIcon&& other) noexcept {
    if (this != &other) {
      Reset();
      platform_ = other.platform_;
      icon_ = std::exchange(other.icon_, 0);
    }
    return *this;
  }
  TOwnedIcon(const TOwnedIcon&) = delete;
  TOwnedIcon& operator=(const TOwnedIcon&) = delete;
  ~TOwnedIcon() { Reset(); }

  IconHandle get() const { return icon_; }
  // Holds a copy of `source` (none when `source` is 0 or cannot be copied).
  void CopyFrom(IconHandle source) {
    const IconHandle copy = source != 0 ? platform_->CopyIcon(source) : 0;
    Reset();
    icon_ = copy;
  }
  void Reset() {
    if (icon_ != 0) platform_->DestroyIcon(std::exchange(icon_, 0));
  }

 private:
  ITrayPlatform* platform_;
  IconHandle icon_ = 0;
};

}  // namespace mirel
