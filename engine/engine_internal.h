// What the engine's files share: the limits of a pass and small helpers on placements and
// "HiddenApps" value names. Internal to engine/desktop_engine*.cpp and engine/engine_*.cpp.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/registry.h"
#include "platform/types.h"

namespace mirel::engine_internal {

inline constexpr const char* kProgramManager = "Program Manager";
// The notification area belongs to the shell, not to a desktop. Windows' taskbar has no title and
// is skipped with the untitled windows; Wine's stand-alone tray (no virtual desktop) has one, and
// hiding it would take the program's own icons away.
inline constexpr const char* kTaskbarClass = "Shell_TrayWnd";
inline constexpr const char* kStandaloneTrayClass = "__winex11_standalone_tray";
// Windows whose left or top lies this far out (or further) are parked by their application and
// never moved; the layout pushes the bound out to the far edge of its grid.
inline constexpr std::int32_t kParkingBound = 10000;
// How long a window's thread may take to answer before it counts as stuck for this pass.
inline constexpr unsigned kAnswerTimeoutMs = 50;
// How long a switch waits for the windows it enables and disables side by side; their threads
// answered just before, so only one that hangs in between makes it wait this long.
inline constexpr unsigned kEnableTimeoutMs = 1000;

inline bool IsIconic(std::uint32_t showCmd) {
  return showCmd == sw::kShowMinimized || showCmd == sw::kMinimize ||
         showCmd == sw::kShowMinNoActive;
}

inline bool IsIconicOrMaximized(std::uint32_t showCmd) {
  return IsIconic(showCmd) || showCmd == sw::kShowMaximized;
}

inline Point TopLeft(const Rect& r) { return {r.left, r.top}; }

inline std::string HandleValueName(Hwnd window) { return std::to_string(window); }

// A value name written by RecordHiddenApp: an unsigned decimal handle without leading zeros.
inline bool ParseHandleValueName(const std::string& name, Hwnd& window) {
  if (name.empty() || (name.size() > 1 && name[0] == '0')) return false;
  const char* end = name.data() + name.size();
  auto [ptr, ec] = std::from_chars(name.data(), end, window);
  return ec == std::errc() && ptr == end && window != 0;
}

inline std::string RegText(const RegValue& value) {
  std::string text(value.data.begin(), value.data.end());
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace mirel::engine_internal
