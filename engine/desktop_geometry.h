// Where the desktops are. The cell of every desktop is the virtual screen: the bounding rectangle of
// all monitors, whose origin is negative when a monitor lies left of or above the primary one. The
// desktop on screen occupies the virtual screen itself; the others lie at whole-cell offsets from it.
//
// The user always sees eight desktops as four columns and two rows. In coordinates the cells lie
// four by two as long as that fits in the range the window manager keeps (signed 16 bits, with
// minimized windows parked at -32000); wider or taller screens lay the cells out two by four, one
// by eight or eight by one instead. Only the engine's arithmetic knows; pictures keep four by two.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace mirel {

inline constexpr int kDesktopCount = 8;
// The grid the user sees: four columns, two rows.
inline constexpr int kGridColumns = 4;
inline constexpr int kGridRows = 2;

// The desktop `step` places after `desktop` in the order 1 to 8, wrapping round at either end.
constexpr int StepDesktop(int desktop, int step) {
  return ((desktop + step) % kDesktopCount + kDesktopCount) % kDesktopCount;
}

struct TDesktopLayout {
  Rect Screen;      // the virtual screen: the cell of the desktop on screen
  int Columns = 4;  // how the eight cells lie in coordinates
  int Rows = 2;

  Size Cell() const { return {Screen.Width(), Screen.Height()}; }
  bool Valid() const { return Screen.Width() > 0 && Screen.Height() > 0 && Columns > 0; }
  int ColumnOf(int desktop) const { return desktop % Columns; }
  int RowOf(int desktop) const { return desktop / Columns; }
  // How far desktop `to`'s cell lies from desktop `from`'s, in screen pixels.
  Point Offset(int from, int to) const;
  // Beyond these distances from the origin a window counts as parked by its application and is
  // never moved: the far edge of the grid, at least 10000, never the iconic -32000.
  Point ParkingBound() const;

  friend bool operator==(const TDesktopLayout&, const TDesktopLayout&) = default;
};

// The layout for a virtual screen: four by two when it fits, else the first of two by four, one by
// eight, eight by one that fits; the one that overflows least when none does.
TDesktopLayout ChooseLayout(const Rect& virtualScreen);

// The desktop that holds a point, with `current` on screen: column and row by truncating division
// from the virtual screen's origin, index column + Columns * row. Outside the grid the index is
// below 0 or from 8 up (a window left of desktop 1 is -1, as far out as it lies).
int DesktopAt(const TDesktopLayout& layout, int current, std::int64_t x, std::int64_t y);
// The desktop of a window: the one that holds the centre of its rectangle.
int DesktopOfRect(const TDesktopLayout& layout, int current, const Rect& rect);

Rect OffsetRect(const Rect& rect, Point offset);

// A rectangle of the desktop on screen that lies on none of `monitors` is brought onto the primary
// one, within its work area, as the system does with a window whose monitor has gone.
Rect KeepOnMonitors(const Rect& rect, const std::vector<MonitorInfo>& monitors);

// The plane the user sees: the eight cells four by two, desktop 1's cell at (0, 0), each cell the
// size of the virtual screen. Screen rectangles map onto it by their cell; with the four-by-two
// layout that is one translation for all.
Rect PlaneFromScreen(const TDesktopLayout& layout, int current, const Rect& rect);
// Where a window of `size` whose top-left corner is `plane` on the plane lies on the screen: in the
// cell that holds its centre.
Point ScreenFromPlane(const TDesktopLayout& layout, int current, Point plane, Size size);

// The record of a layout in the registry: "left top width height columns rows".
std::string EncodeLayout(const TDesktopLayout& layout);
std::optional<TDesktopLayout> DecodeLayout(const std::string& text);

}  // namespace mirel
