#include "app/visual_manager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/win2tree.h"

namespace mirel {

namespace {

std::int32_t ClampToInt32(double value) {
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(value)) return 0;
  return static_cast<std::int32_t>(std::clamp(value, kMin, kMax));
}

bool HasScreen(Size screen) { return screen.cx > 0 && screen.cy > 0; }

}  // namespace

// ------------------------------------------------------------------------------------------------
// Helpers
// ------------------------------------------------------------------------------------------------

std::int32_t RoundHalfEven(double value) {
  // Explicit rather than nearbyint: the result must not depend on the floating-point environment.
  const double lower = std::floor(value);
  const double fraction = value - lower;
  double result = lower;
  if (fraction > 0.5) {
    result = lower + 1.0;
  } else if (fraction == 0.5) {
    result = std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
  }
  return ClampToInt32(result);
}

bool PointInRect(const Rect& rect, std::int32_t x, std::int32_t y) {
  return rect.left <= x && x < rect.right && rect.top <= y && y < rect.bottom;
}

bool IsMinimized(IWindowSystem& ws, Hwnd window) {
  Placement placement;
  ws.GetWindowPlacement(window, placement);
  return placement.showCmd == sw::kShowMinimized || placement.showCmd == sw::kMinimize ||
         placement.showCmd == sw::kShowMinNoActive;
}

bool IsRestoreToMaximized(IWindowSystem& ws, Hwnd window) {
  Placement placement;
  ws.GetWindowPlacement(window, placement);
  return (placement.flags & kWpfRestoreToMaximized) != 0;
}

// ------------------------------------------------------------------------------------------------
// Geometry
// ------------------------------------------------------------------------------------------------

Size CellSizeFor(Size client, const TsDeskCFGWindow& cfg) {
  if (cfg.GridColumns <= 0 || cfg.GridRows <= 0) return {0, 0};
  return {RoundHalfEven(static_cast<double>(client.cx) / cfg.GridColumns),
          RoundHalfEven(static_cast<double>(client.cy) / cfg.GridRows)};
}

bool HasCells(const TsDeskCFGWindow& cfg) {
  return cfg.CellWidth > 0 && cfg.CellHeight > 0 && cfg.GridColumns > 0 && cfg.GridRows > 0;
}

Rect CellRect(const TsDeskCFGWindow& cfg, int desktop) {
  if (cfg.GridColumns <= 0) return {};
  const int column = desktop % cfg.GridColumns;
  const int row = desktop / cfg.GridColumns;
  return {column * cfg.CellWidth, row * cfg.CellHeight, (column + 1) * cfg.CellWidth,
          (row + 1) * cfg.CellHeight};
}

TVisualScale VisualScaleForDpi(int dpi) {
  return {LineWidthForDpi(dpi), ScaleToDpi(kCellLabelHeight, dpi),
          ScaleToDpi(kCellLabelIndent, dpi), ClickSlopForDpi(dpi)};
}

std::vector<TLine> GridLines(const TsDeskCFGWindow& cfg, Size client, int lineWidth) {
  std::vector<TLine> lines;
  for (int i = 0; i <= cfg.GridColumns; ++i) {
    const int x =
        i == cfg.GridColumns ? cfg.GridColumns * cfg.CellWidth - lineWidth : i * cfg.CellWidth;
    lines.push_back({{x, 0}, {x, client.cy}});
  }
  for (int j = 0; j <= cfg.GridRows; ++j) {
    const int y =
        j == cfg.GridRows ? cfg.GridRows * cfg.CellHeight - lineWidth : j * cfg.CellHeight;
    lines.push_back({{0, y}, {client.cx, y}});
  }
  return lines;
}

std::vector<TCellNumber> CellNumbers(const TsDeskCFGWindow& cfg, const TDesktopNames& names,
                                     const TVisualScale& scale) {
  std::vector<TCellNumber> numbers;
  for (int column = 0; column < cfg.GridColumns; ++column) {
    for (int row = 0; row < cfg.GridRows; ++row) {
      const int desktop = row * cfg.GridColumns + column;
      numbers.push_back({std::to_string(desktop + 1) + ". " + DesktopName(names, desktop),
                         {column * cfg.CellWidth + scale.TextIndent,
                          (row + 1) * cfg.CellHeight - scale.LabelHeight},
                         CellRect(cfg, desktop)});
    }
  }
  return numbers;
}

std::vector<Rect> MonitorOutlines(const TDesktopLayout& layout,
                                  const std::vector<MonitorInfo>& monitors,
                                  const TsDeskCFGWindow& cfg) {
  std::vector<Rect> outlines;
  if (monitors.size() < 2 || !layout.Valid()) return outlines;
  const Size cell = layout.Cell();
  for (int desktop = 0; desktop < kDesktopCount; ++desktop) {
    const Point origin{(desktop % kGridColumns) * cell.cx - layout.Screen.left,
                       (desktop / kGridColumns) * cell.cy - layout.Screen.top};
    for (const MonitorInfo& monitor : monitors) {
      outlines.push_back(ScaleToPicture(ShiftRect(monitor.Area, origin), cfg, cell));
    }
  }
  return outlines;
}

Point PlaneOffset(std::uint16_t currentDesktop, const TsDeskCFGWindow& cfg, Size screen) {
  if (cfg.GridColumns <= 0) return {};
  return {screen.cx * (currentDesktop % cfg.GridColumns),
          screen.cy * (currentDesktop / cfg.GridColumns)};
}

Rect ShiftRect(const Rect& rect, Point offset) {
  return {rect.left + offset.x, rect.top + offset.y, rect.right + offset.x,
          rect.bottom + offset.y};
}

Rect ScaleToPicture(const Rect& planeRect, const TsDeskCFGWindow& cfg, Size screen) {
  if (!HasScreen(screen)) return {};
  const double sx = static_cast<double>(cfg.CellWidth) / screen.cx;
  const double sy = static_cast<double>(cfg.CellHeight) / screen.cy;
  return {RoundHalfEven(planeRect.left * sx), RoundHalfEven(planeRect.top * sy),
          RoundHalfEven(planeRect.right * sx), RoundHalfEven(planeRect.bottom * sy)};
}

Point PictureToPlane(Point picture, const TsDeskCFGWindow& cfg, Size screen) {
  if (!HasCells(cfg)) return {};
  // The products are whole numbers; only the division is in floating point.
  const auto px = static_cast<double>(std::int64_t{picture.x} * screen.cx);
  const auto py = static_cast<double>(std::int64_t{picture.y} * screen.cy);
  return {RoundHalfEven(px / cfg.CellWidth), RoundHalfEven(py / cfg.CellHeight)};
}

Point DragPosition(Point dragStartPos, Point dragStartPoint, Point pointer,
                   const TsDeskCFGWindow& cfg, Size screen) {
  if (!HasCells(cfg)) return dragStartPos;
  const auto dx = static_cast<double>(std::int64_t{screen.cx} * (dragStartPoint.x - pointer.x));
  const auto dy = static_cast<double>(std::int64_t{screen.cy} * (dragStartPoint.y - pointer.y));
  return {dragStartPos.x - RoundHalfEven(dx / cfg.CellWidth),
          dragStartPos.y - RoundHalfEven(dy / cfg.CellHeight)};
}

std::optional<std::uint16_t> ReleaseCell(Point pointer, const TsDeskCFGWindow& cfg) {
  if (!HasCells(cfg) || pointer.x < 0 || pointer.y < 0) return std::nullopt;
  const int column = pointer.x / cfg.CellWidth;
  const int row = pointer.y / cfg.CellHeight;
  if (column >= cfg.GridColumns || row >= cfg.GridRows) return std::nullopt;
  const int desktop = row * cfg.GridColumns + column;
  if (desktop >= kDesktopCount) return std::nullopt;
  return static_cast<std::uint16_t>(desktop);
}

// ------------------------------------------------------------------------------------------------
// The page
// ------------------------------------------------------------------------------------------------

TVisualManager::TVisualManager(TDesktopEngine& engine, IVisualManagerHost& host)
    : engine_(engine), host_(host) {}

TVisualPicture TVisualManager::Compose(Size client) {
  TsDeskCFGWindow& cfg = engine_.Config().WindowCfg;
  const Size cell = CellSizeFor(client, cfg);
  cfg.CellWidth = cell.cx;
  cfg.CellHeight = cell.cy;

  TVisualPicture picture;
  picture.Client = client;
  picture.BackgroundColor = cfg.BackgroundColor;
  if (!HasCells(cfg)) return picture;

  picture.HasGrid = true;
  picture.CurrentCell = CellRect(cfg, engine_.CurrentDesktop());
  picture.CurrentCellColor = cfg.CurrentCellColor;
  picture.GridLines = GridLines(cfg, client, scale_.LineWidth);
  picture.GridLineColor = cfg.GridLineColor;
  picture.LineWidth = scale_.LineWidth;
  picture.TextIndent = scale_.TextIndent;
  picture.MonitorOutlines =
      MonitorOutlines(engine_.Layout(), engine_.Windows().Monitors(), cfg);
  picture.TitleColor = SysColor(cellNumbersDrawn_ ? kColorActiveCaption : kColorWindowText);
  DrawDesktopWindows(picture);
  if (cfg.ShowCellNumbers) {
    picture.CellNumbers = CellNumbers(cfg, engine_.Config().DesktopNames, scale_);
    picture.CellNumberColor = SysColor(kColorActiveCaption);
    cellNumbersDrawn_ = true;
  }
  return picture;
}

void TVisualManager::DrawDesktopWindows(TVisualPicture& picture) {
  engine_.RefreshWindowList();
  IWindowSystem& ws = engine_.Windows();
  const Hwnd foreground = ws.GetForegroundWindow();
  const TsDeskCFGWindow& cfg = engine_.Config().WindowCfg;
  const TDesktopLayout& layout = engine_.Layout();
  const auto& windows = engine_.ManagedWindows();
  // Bottom of the stacking order first, so that upper windows are drawn over lower ones.
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    TPictureWindow shape;
    shape.Handle = *it;
    shape.Title = GetWindowTitle(ws, shape.Handle);
    const Rect rect = engine_.DesktopRect(shape.Handle);
    shape.Bounds = ScaleToPicture(PlaneFromScreen(layout, engine_.CurrentDesktop(), rect), cfg,
                                  layout.Cell());
    shape.Foreground = shape.Handle == foreground;
    picture.Windows.push_back(std::move(shape));
  }
}

Hwnd TVisualManager::PickWindow(Point plane) {
  IWindowSystem& ws = engine_.Windows();
  const TsDeskCFGWindow& cfg = engine_.Config().WindowCfg;
  for (Hwnd window : engine_.ManagedWindows()) {
    const Rect rect = engine_.DesktopRect(window);
    const Rect onPlane = PlaneFromScreen(engine_.Layout(), engine_.CurrentDesktop(), rect);
    if (!PointInRect(onPlane, plane.x, plane.y)) continue;
    // A maximized window never stops the walk: a press on it reaches the windows beneath. Nor
    // does a minimized one drawn at its restore rectangle: there is no window there to drag.
    if (!cfg.MoveMaximized && IsRestoreToMaximized(ws, window)) continue;
    if (IsMinimized(ws, window)) continue;
    return window;
  }
  return 0;
}

void TVisualManager::MouseDown(TMouseButton button, Point pointer) {
  const TsDeskCFGWindow& cfg = engine_.Config().WindowCfg;
  if (!HasCells(cfg)) return;
  dragWindow_ = 0;
  allowMoveTag_ = 0;
  if (button != TMouseButton::mbLeft) return;
  engine_.RefreshWindowList();
  dragging_ = false;
  IWindowSystem& ws = engine_.Windows();
  const Hwnd picked = PickWindow(PictureToPlane(pointer, cfg, engine_.Layout().Cell()));
  if (picked == 0) return;
  dragging_ = true;
  dragWindow_ = picked;
  dragStartPoint_ = pointer;
  Rect rect;
  ws.GetWindowRect(picked, rect);
  dragStartPos_ = {rect.left, rect.top};
  host_.StartAllowMove(cfg.DragDelay);
}

void TVisualManager::AllowMoveTimer() {
  host_.StopAllowMove();
  allowMoveTag_ = 1;
}

void TVisualManager::MouseMove(Point pointer, Size client) {
  const TsDeskCFGWindow& cfg = engine_.Config().WindowCfg;
  if (!HasCells(cfg) || !dragging_ || allowMoveTag_ != 1) return;
  // Only while the pointer is strictly inside the paint box: outside it the window stays where it
  // is and follows again when the pointer comes back.
  if (pointer.x <= 0 || pointer.x >= client.cx || pointer.y <= 0 || pointer.y >= client.cy) return;
  // A window moved out of or into the current desktop by the previous step drops out of or comes
  // back into the taskbar.
  if (engine_.Config().HideApps) {
    engine_.Request([this] { engine_.ApplyHiding(engine_.CurrentDesktop()); });
  }
  IWindowSystem& ws = engine_.Windows();
  Rect rect;
  ws.GetWindowRect(dragWindow_, rect);
  // The drag runs on the plane, where the desktops lie four by two, and lands in the cell under
  // the window's centre there.
  const TDesktopLayout& layout = engine_.Layout();
  const int current = engine_.CurrentDesktop();
  const Rect start{dragStartPos_.x, dragStartPos_.y, dragStartPos_.x + rect.Width(),
                   dragStartPos_.y + rect.Height()};
  const Rect startOnPlane = PlaneFromScreen(layout, current, start);
  const Point onPlane = DragPosition({startOnPlane.left, startOnPlane.top}, dragStartPoint_,
                                     pointer, cfg, layout.Cell());
  const Point position =
      ScreenFromPlane(layout, current, onPlane, {rect.Width(), rect.Height()});
  ws.MoveWindow(dragWindow_, position.x, position.y, rect.Width(), rect.Height(), true);
  host_.RepaintPicture();
}

void TVisualManager::MouseUp(TMouseButton button, Point pointer) {
  host_.StopAllowMove();
  if (button != TMouseButton::mbLeft) return;
  // A press that picked nothing, or a click on a window's rectangle without movement (less than a
  // design pixel), switches to the cell under the pointer; a drag, or a release elsewhere within
  // the delay, switches nothing.
  const bool click = !dragging_ || (std::abs(pointer.x - dragStartPoint_.x) <= scale_.ClickSlop &&
                                     std::abs(pointer.y - dragStartPoint_.y) <= scale_.ClickSlop);
  dragging_ = false;
  if (click) {
    if (const auto desktop = ReleaseCell(pointer, engine_.Config().WindowCfg)) {
      engine_.Request([this, to = *desktop] { engine_.SwitchToDesktop(to); });
    }
  }
  host_.InvalidatePicture();
}

void TVisualManager::CaptureLost() {
  if (!dragging_) return;
  host_.StopAllowMove();
  dragging_ = false;
  host_.InvalidatePicture();
}

}  // namespace mirel
