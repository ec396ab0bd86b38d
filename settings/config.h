// The process-wide configuration record and its defaults.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_set>

#include "engine/sticky.h"
#include "settings/desktop_names.h"

namespace mirel {

// A colour value: an RGB colour (0x00BBGGRR) or, with the top bit set, a system colour index.
using TColor = std::int32_t;
constexpr TColor RgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
constexpr bool IsSysColor(TColor color) { return (static_cast<std::uint32_t>(color) & 0x80000000u) != 0; }
constexpr int SysColorIndex(TColor color) { return static_cast<int>(color & 0xFF); }

inline constexpr int kColorActiveCaption = 2;
inline constexpr int kColorInactiveCaption = 3;
inline constexpr int kColorWindow = 5;
inline constexpr int kColorWindowText = 8;
inline constexpr int kColorBtnHighlight = 20;
inline constexpr int kColorHotLight = 26;

// Settings of the visual manager.
struct TsDeskCFGWindow {
  std::int32_t GridColumns = 4;
  std::int32_t GridRows = 2;
  std::int32_t CellWidth = 10;
  std::int32_t CellHeight = 25;
  bool MoveMaximized = false;
  std::int32_t DragDelay = 150;
  bool ShowCellNumbers = true;
  TColor CurrentCellColor = SysColor(kColorInactiveCaption);
  TColor BackgroundColor = SysColor(kColorWindow);
  TColor GridLineColor = RgbColor(0, 0, 0);
};

struct TsDeskCFG {
  TsDeskCFGWindow WindowCfg;
  bool HideApps = false;
  bool ActivateRestored = false;
  TDesktopNames DesktopNames = DefaultDesktopNames();
  // The one sticky-rule list; created empty with the record and kept for the whole process.
  std::shared_ptr<TStickyWindows> StickyWindows = std::make_shared<TStickyWindows>();
  // Switches leave maximized and minimized windows in their state instead of restoring them.
  bool KeepWindowState = false;
  // Windows a rule leaves alone: no switch moves, hides or lists them.
  std::unordered_set<Hwnd> LeftAloneWindows;
  // Windows a rule puts on all desktops: switches leave them on screen (they are sticky too).
  std::unordered_set<Hwnd> AllDesktopsWindows;
};

// The program's configuration, filled with the defaults before the program body runs.
extern TsDeskCFG DeskCFG;

}  // namespace mirel
