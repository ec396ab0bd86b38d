// The visual manager page as portable logic: the miniature of the eight desktops (one cell per
// desktop, every managed window as a scaled rectangle with its title) and the mouse work on it (a
// click switches desktop, a press held past a short delay drags a real window across the plane).
//
// The picture is composed here as a list of shapes (TVisualPicture); the Win32 page draws them into
// an off-screen bitmap and copies it to the screen in one piece. Geometry: W and H are the size of a
// desktop's cell (the virtual screen, desktop_geometry.h); "round" rounds halves to the even
// neighbour. The picture is four by two whatever layout the cells have in coordinates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/dpi_scale.h"
#include "engine/desktop_engine.h"
#include "platform/types.h"
#include "platform/window_system.h"
#include "settings/config.h"
#include "tray/tray_icon.h"  // TMouseButton, the program's one mouse-button type

namespace mirel {

// --- Helpers -------------------------------------------------------------------------------------

// Round to nearest, halves to the even neighbour: 95.5 -> 96, 94.5 -> 94, -2.5 -> -2.
std::int32_t RoundHalfEven(double value);

// Left <= x < Right and Top <= y < Bottom: right and bottom edges excluded.
bool PointInRect(const Rect& rect, std::int32_t x, std::int32_t y);

// The window's placement says it is restored to maximized: the program's test for a maximized
// window.
bool IsRestoreToMaximized(IWindowSystem& ws, Hwnd window);
// The window is minimized (its placement's show command says so).
bool IsMinimized(IWindowSystem& ws, Hwnd window);

// --- Geometry ------------------------------------------------------------------------------------

// The cell size for a paint box of `client` pixels: round(width / columns), round(height / rows).
// 0 when the grid has no columns or rows.
Size CellSizeFor(Size client, const TsDeskCFGWindow& cfg);
// Cells of at least one pixel each way: the mouse handlers divide by the cell size.
bool HasCells(const TsDeskCFGWindow& cfg);

// The cell of `desktop`, right and bottom edges exclusive.
Rect CellRect(const TsDeskCFGWindow& cfg, int desktop);

struct TLine {
  Point From;
  Point To;
  friend bool operator==(const TLine&, const TLine&) = default;
};
// Vertical lines first (x = i * CellWidth, from y 0 to the client height), then horizontal ones;
// the closing line of each direction lies one line width inside the grid's outer edge. A line of
// width w covers the w pixels from its coordinate on (right of or below it).
std::vector<TLine> GridLines(const TsDeskCFGWindow& cfg, Size client, int lineWidth = 1);

// The height the cell labels keep free at the bottom of each cell, and their indent from the
// cell's left edge (design pixels at 96 DPI).
inline constexpr int kCellLabelHeight = 10;
inline constexpr int kCellLabelIndent = 2;

// The picture's sizes at the DPI of the monitor it is drawn on.
struct TVisualScale {
  int LineWidth = 1;                      // grid lines and window outlines
  int LabelHeight = kCellLabelHeight;     // room of the cell labels
  int TextIndent = kCellLabelIndent;      // labels and titles from their left edge
  int ClickSlop = 0;                      // a release this near its press is still a click
};
TVisualScale VisualScaleForDpi(int dpi);
struct TCellNumber {
  std::string Text;  // "1. " .. "8. " and the desktop's name
  Point At;          // top-left corner, near the cell's bottom-left corner, clear of the titles
  Rect Cell;         // the text is cut off at the cell's edge
  friend bool operator==(const TCellNumber&, const TCellNumber&) = default;
};
// Column by column, each column top row first.
std::vector<TCellNumber> CellNumbers(const TsDeskCFGWindow& cfg,
                                     const TDesktopNames& names = DefaultDesktopNames(),
                                     const TVisualScale& scale = {});

// Every monitor's outline in every cell of the picture; none for a single monitor.
std::vector<Rect> MonitorOutlines(const TDesktopLayout& layout,
                                  const std::vector<MonitorInfo>& monitors,
                                  const TsDeskCFGWindow& cfg);

// How far the first desktop's screen area lies from the current one's on the plane.
Point PlaneOffset(std::uint16_t currentDesktop, const TsDeskCFGWindow& cfg, Size screen);
Rect ShiftRect(const Rect& rect, Point offset);
// A plane rectangle scaled into the picture: round(edge * CellWidth / W) with the factor taken
// first, as the picture's scale.
Rect ScaleToPicture(const Rect& planeRect, const TsDeskCFGWindow& cfg, Size screen);
// A paint-box point mapped onto the plane: round(X * W / CellWidth), round(Y * H / CellHeight).
Point PictureToPlane(Point picture, const TsDeskCFGWindow& cfg, Size screen);
// The dragged window's new top-left: its position at the press minus the pointer's displacement
// since the press, scaled up to screen pixels. Measured from the press every time, so rounding
// errors do not add up over many moves.
Point DragPosition(Point dragStartPos, Point dragStartPoint, Point pointer,
                   const TsDeskCFGWindow& cfg, Size screen);
// The desktop of the cell under a release point; nothing when the point lies outside the grid
// (the pointer is captured during a press, so a release may land anywhere on the screen).
std::optional<std::uint16_t> ReleaseCell(Point pointer, const TsDeskCFGWindow& cfg);

// --- The picture ---------------------------------------------------------------------------------

struct TPictureWindow {
  Hwnd Handle = 0;
  Rect Bounds;  // scaled into the picture
  std::string Title;
  bool Foreground = false;  // filled in the window colour, the others in the button highlight
};

struct TVisualPicture {
  Size Client;
  TColor BackgroundColor = 0;
  // Nothing below is drawn when the paint box is too small for the grid (cell size 0).
  bool HasGrid = false;
  Rect CurrentCell;
  TColor CurrentCellColor = 0;
  std::vector<TLine> GridLines;
  TColor GridLineColor = 0;
  int LineWidth = 1;   // of the grid lines and the windows' outlines
  int TextIndent = 2;  // of the titles from their rectangle's left edge
  // With several monitors, each monitor's outline in every cell, drawn in the grid's colour.
  std::vector<Rect> MonitorOutlines;
  std::vector<TPictureWindow> Windows;  // bottom of the stacking order first
  // Titles keep the colour the picture's font last had: the window text until cell numbers have
  // been drawn once, the active caption from then on.
  TColor TitleColor = 0;
  std::vector<TCellNumber> CellNumbers;  // empty unless ShowCellNumbers
  TColor CellNumberColor = 0;
};

// What the page needs of its window: the drag-delay timer, repainting and mouse-capture state.
class IVisualManagerHost {
 public:
  virtual ~IVisualManagerHost() = default;
  // Sets the AllowMove timer's interval and enables it; disables it.
  virtual void StartAllowMove(int intervalMs) = 0;
  virtual void StopAllowMove() = 0;
  // Draws the picture again at once.
  virtual void RepaintPicture() = 0;
  // Asks for a repaint of the page at the next opportunity.
  virtual void InvalidatePicture() = 0;
};

class TVisualManager {
 public:
  TVisualManager(TDesktopEngine& engine, IVisualManagerHost& host);

  // The paint: sets the cell size from the paint box's client size and composes the picture. The
  // window list is enumerated afresh.
  TVisualPicture Compose(Size client);
  // The sizes of the picture and the mouse work at the DPI of the page's monitor.
  void SetScale(const TVisualScale& scale) { scale_ = scale; }

  // Mouse events of the paint box, in paint-box pixels.
  void MouseDown(TMouseButton button, Point pointer);
  void AllowMoveTimer();
  void MouseMove(Point pointer, Size client);
  void MouseUp(TMouseButton button, Point pointer);
  // The paint box lost the mouse capture without a release (another window took it): the drag
  // ends where the last move left the window.
  void CaptureLost();

  bool Dragging() const { return dragging_; }
  Hwnd DragWindow() const { return dragWindow_; }
  Point DragStartPoint() const { return dragStartPoint_; }
  Point DragStartPos() const { return dragStartPos_; }
  // The move-allowed flag: 0 while the delay runs, 1 once the picked window may move.
  int AllowMoveTag() const { return allowMoveTag_; }

 private:
  void DrawDesktopWindows(TVisualPicture& picture);
  // The topmost managed window under a plane point that may be picked; 0 when none.
  Hwnd PickWindow(Point plane);

  TDesktopEngine& engine_;
  IVisualManagerHost& host_;
  bool dragging_ = false;
  Hwnd dragWindow_ = 0;
  Point dragStartPoint_;
  Point dragStartPos_;
  int allowMoveTag_ = 0;
  bool cellNumbersDrawn_ = false;
  TVisualScale scale_;
};

}  // namespace mirel
