// Plain value types shared by the engine and the window-system layer. Nothing here includes
// <windows.h>: the engine and its tests compile on any host.
#pragma once

#include <cstdint>

namespace mirel {

// A window handle as the window manager hands it out. 0 is "no window".
using Hwnd = std::uintptr_t;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// One monitor as the window manager reports it (GetMonitorInfo).
struct MonitorInfo {
  Rect Area;
  Rect WorkArea;  // without the taskbar and docked bars
  bool Primary = false;
  friend bool operator==(const MonitorInfo&, const MonitorInfo&) = default;
};

// The fields of WINDOWPLACEMENT that the program reads.
struct Placement {
  std::uint32_t flags = 0;
  std::uint32_t showCmd = 0;
  Point ptMinPosition;
  Point ptMaxPosition;
  Rect rcNormalPosition;
};

// Show commands, placement flags, styles and messages by their Win32 values.
namespace sw {
inline constexpr int kHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowNoActivate = 4;
inline constexpr int kShow = 5;
inline constexpr int kMinimize = 6;
inline constexpr int kShowMinNoActive = 7;
inline constexpr int kShowNa = 8;
inline constexpr int kRestore = 9;
}  // namespace sw

inline constexpr std::uint32_t kWpfRestoreToMaximized = 2;
inline constexpr std::int32_t kWsExLayered = 0x80000;
inline constexpr std::uint32_t kLwaAlpha = 2;

inline constexpr std::uint32_t kSwpNoSize = 0x0001;
inline constexpr std::uint32_t kSwpNoMove = 0x0002;
inline constexpr std::uint32_t kSwpNoZOrder = 0x0004;
inline constexpr std::uint32_t kSwpNoActivate = 0x0010;
inline constexpr std::uint32_t kSwpShowWindow = 0x0040;
inline constexpr std::uint32_t kSwpHideWindow = 0x0080;
inline constexpr std::uint32_t kSwpAsyncWindowPos = 0x4000;
inline constexpr Hwnd kHwndBottom = 1;

inline constexpr std::uint32_t kModAlt = 1;
inline constexpr std::uint32_t kModControl = 2;
inline constexpr std::uint32_t kModShift = 4;

inline constexpr std::uint32_t kWmNull = 0x0000;
inline constexpr std::uint32_t kWmQuit = 0x0012;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;
inline constexpr std::uint32_t kWmTimer = 0x0113;
inline constexpr std::uint32_t kWmHotKey = 0x0312;

}  // namespace mirel
