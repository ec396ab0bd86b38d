#include "engine/desktop_geometry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace mirel {

namespace {

// Windows keeps window coordinates within signed 16 bits and parks minimized windows at -32000:
// no cell may reach that far.
constexpr std::int64_t kIconicBound = 32000;
// Windows whose left or top lies this far out (or further) are parked by their application.
constexpr std::int64_t kParkingBound = 10000;

struct Extent {
  std::int64_t x;
  std::int64_t y;
};

// How far from the origin the cells of `layout` reach, whichever desktop is on screen.
Extent ExtentOf(const TDesktopLayout& layout) {
  const std::int64_t w = layout.Screen.Width();
  const std::int64_t h = layout.Screen.Height();
  const std::int64_t x0 = layout.Screen.left;
  const std::int64_t y0 = layout.Screen.top;
  return {std::max(std::abs(x0 - (layout.Columns - 1) * w), std::abs(x0 + layout.Columns * w)),
          std::max(std::abs(y0 - (layout.Rows - 1) * h), std::abs(y0 + layout.Rows * h))};
}

std::int32_t ToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The plane's offset of the cell of `desktop` in the four-by-two picture.
Point PlaneCell(const TDesktopLayout& layout, int desktop) {
  return {(desktop % kGridColumns) * layout.Screen.Width(),
          (desktop / kGridColumns) * layout.Screen.Height()};
}

Point Minus(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }

}  // namespace

Point TDesktopLayout::Offset(int from, int to) const {
  return {ToInt32(std::int64_t{ColumnOf(to) - ColumnOf(from)} * Screen.Width()),
          ToInt32(std::int64_t{RowOf(to) - RowOf(from)} * Screen.Height())};
}

Point TDesktopLayout::ParkingBound() const {
  const Extent extent = ExtentOf(*this);
  return {ToInt32(std::min(std::max(kParkingBound, extent.x), kIconicBound)),
          ToInt32(std::min(std::max(kParkingBound, extent.y), kIconicBound))};
}

TDesktopLayout ChooseLayout(const Rect& virtualScreen) {
  constexpr std::array<std::array<int, 2>, 4> kShapes{{{4, 2}, {2, 4}, {1, 8}, {8, 1}}};
  TDesktopLayout best{virtualScreen, 4, 2};
  std::int64_t bestOverflow = std::numeric_limits<std::int64_t>::max();
  for (const auto& [columns, rows] : kShapes) {
    const TDesktopLayout layout{virtualScreen, columns, rows};
    const Extent extent = ExtentOf(layout);
    const std::int64_t overflow = std::max(extent.x, extent.y) - kIconicBound;
    if (overflow <= 0) return layout;
    if (overflow < bestOverflow) {
      bestOverflow = overflow;
      best = layout;
    }
  }
  return best;
}

int DesktopAt(const TDesktopLayout& layout, int current, std::int64_t x, std::int64_t y) {
  if (!layout.Valid()) return current;
  const std::int64_t w = layout.Screen.Width();
  const std::int64_t h = layout.Screen.Height();
  // Truncating division: a window hanging less than a cell off the grid's left or top edge still
  // counts as the first column or row.
  std::int64_t column = (x - layout.Screen.left + w * layout.ColumnOf(current)) / w;
  std::int64_t row = (y - layout.Screen.top + h * layout.RowOf(current)) / h;
  // Right of the last column or below the last row, short of where windows count as parked, a
  // window belongs to the nearest cell: switches move it with that cell, and counting on into the
  // next row would give it a desktop whose cell it is not in (or none, and it would stay hidden).
  const Point bound = layout.ParkingBound();
  if (column >= layout.Columns && x < bound.x) column = layout.Columns - 1;
  if (row >= layout.Rows && y < bound.y) row = layout.Rows - 1;
  if (column >= layout.Columns || row >= layout.Rows) return kDesktopCount;
  if (layout.Columns != kGridColumns && column < 0) return -1;
  return static_cast<int>(
      std::clamp<std::int64_t>(column + layout.Columns * row, -0x7FFFFFFF, 0x7FFFFFFF));
}

int DesktopOfRect(const TDesktopLayout& layout, int current, const Rect& rect) {
  // 64-bit sums: a far-off window must not overflow. Division truncates toward zero.
  return DesktopAt(layout, current, (std::int64_t{rect.left} + rect.right) / 2,
                   (std::int64_t{rect.top} + rect.bottom) / 2);
}

Rect OffsetRect(const Rect& rect, Point offset) {
  return {rect.left + offset.x, rect.top + offset.y, rect.right + offset.x,
          rect.bottom + offset.y};
}

Rect KeepOnMonitors(const Rect& rect, const std::vector<MonitorInfo>& monitors) {
  if (monitors.empty()) return rect;
  const MonitorInfo* primary = &monitors.front();
  for (const MonitorInfo& monitor : monitors) {
    const Rect& a = monitor.Area;
    if (std::max(a.left, rect.left) < std::min(a.right, rect.right) &&
        std::max(a.top, rect.top) < std::min(a.bottom, rect.bottom)) {
      return rect;
    }
    if (monitor.Primary) primary = &monitor;
  }
  const Rect& area = primary->WorkArea;
  const std::int32_t left =
      std::clamp(rect.left, area.left, std::max(area.left, area.right - rect.Width()));
  const std::int32_t top =
      std::clamp(rect.top, area.top, std::max(area.top, area.bottom - rect.Height()));
  return OffsetRect(rect, {left - rect.left, top - rect.top});
}

Rect PlaneFromScreen(const TDesktopLayout& layout, int current, const Rect& rect) {
  const Point origin{layout.Screen.left, layout.Screen.top};
  int desktop = current;
  Point cellOffset{};
  if (layout.Columns != kGridColumns) {
    const int d = DesktopOfRect(layout, current, rect);
    if (d >= 0 && d < kDesktopCount) {
      desktop = d;
      cellOffset = layout.Offset(current, d);
    }
  } else {
    // One translation for every window, those outside the grid included.
    cellOffset = layout.Offset(current, desktop);
  }
  const Point shift = Minus(PlaneCell(layout, desktop), Minus(origin, Point{}));
  return OffsetRect(rect, Minus(shift, cellOffset));
}

Point ScreenFromPlane(const TDesktopLayout& layout, int current, Point plane, Size size) {
  const Point origin{layout.Screen.left, layout.Screen.top};
  int desktop = current;
  if (layout.Columns != kGridColumns && layout.Valid()) {
    const std::int64_t cx = std::int64_t{plane.x} + size.cx / 2;
    const std::int64_t cy = std::int64_t{plane.y} + size.cy / 2;
    const auto column = std::clamp<std::int64_t>(FloorDiv(cx, layout.Screen.Width()), 0, 3);
    const auto row = std::clamp<std::int64_t>(FloorDiv(cy, layout.Screen.Height()), 0, 1);
    desktop = static_cast<int>(column + kGridColumns * row);
  }
  const Point cell = PlaneCell(layout, desktop);
  const Point offset = layout.Offset(current, desktop);
  return {plane.x - cell.x + origin.x + offset.x, plane.y - cell.y + origin.y + offset.y};
}

std::string EncodeLayout(const TDesktopLayout& layout) {
  std::ostringstream text;
  text << layout.Screen.left << ' ' << layout.Screen.top << ' ' << layout.Screen.Width() << ' '
       << layout.Screen.Height() << ' ' << layout.Columns << ' ' << layout.Rows;
  return text.str();
}

std::optional<TDesktopLayout> DecodeLayout(const std::string& text) {
  std::array<std::int32_t, 6> numbers{};
  const char* p = text.data();
  const char* end = p + text.size();
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      if (p == end || *p != ' ') return std::nullopt;
      ++p;
    }
    const auto [next, ec] = std::from_chars(p, end, numbers[i]);
    if (ec != std::errc()) return std::nullopt;
    p = next;
  }
  if (p != end) return std::nullopt;
  const auto [left, top, width, height, columns, rows] = numbers;
  const bool shape = (columns == 4 && rows == 2) || (columns == 2 && rows == 4) ||
                     (columns == 1 && rows == 8) || (columns == 8 && rows == 1);
  if (!shape || width <= 0 || height <= 0 || width > 0x10000 || height > 0x10000 ||
      std::abs(std::int64_t{left}) > 0x10000 || std::abs(std::int64_t{top}) > 0x10000) {
    return std::nullopt;
  }
  return TDesktopLayout{{left, top, left + width, top + height}, columns, rows};
}

}  // namespace mirel
