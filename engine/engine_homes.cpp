// Where the restore rectangles of minimized and maximized windows belong while switches keep
// window states.
#include "engine/desktop_engine.h"

#include <algorithm>
#include <cstdlib>

#include "engine/engine_internal.h"
#include "engine/win2tree.h"

namespace mirel {

using namespace engine_internal;

// ------------------------------------------------------------------------------------------------
// Minimized and maximized windows while switches keep window states
//
// Neither a move nor SetWindowPlacement can carry a minimized or maximized window's restore
// rectangle to another desktop: moving the window leaves the rectangle (and moves a minimized
// window's parked icon), and SetWindowPlacement pulls a rectangle that lies on no monitor back
// onto the screen (and under Wine refuses windows of other processes). So the rectangle stays
// where the system has it, which is right whenever its desktop is on screen, and the program
// keeps its home: where on the plane of the desktops it belongs. A window restored while its
// desktop is away goes there at the next switch.
// ------------------------------------------------------------------------------------------------

bool TDesktopEngine::KeepsMinimized(const Placement& placement) const {
  return config_.KeepWindowState && IsIconic(placement.showCmd);
}

Point TDesktopEngine::RestoreShift(const Placement& placement, const Rect& windowRect) {
  const int restoreDesktop = DesktopOfRect(placement.rcNormalPosition);
  const int desktop = DesktopOfRect(windowRect);
  const auto inGrid = [](int d) { return d >= 0 && d < kDesktopCount; };
  if (!inGrid(restoreDesktop) || !inGrid(desktop)) return {};
  return layout_.Offset(restoreDesktop, desktop);
}

bool TDesktopEngine::TakeHome(Hwnd window, const Placement& placement, const Rect& windowRect) {
  const Rect& restore = placement.rcNormalPosition;
  const TRestoreHome* had = table_.HomeOf(window);
  const bool sameRestore = had != nullptr && had->RestoreTopLeft == TopLeft(restore);
  // A minimized window's restore rectangle tells its desktop only when it has no home yet (it
  // was minimized since the last pass, or its application placed it anew); a maximized one
  // belongs to the cell its window rectangle lies in.
  Rect home = restore;
  if (IsIconic(placement.showCmd)) {
    if (sameRestore) return false;
    home = KnownRestoreRect(window, placement, windowRect);
  } else if (restore == windowRect) {
    return false;  // the system tells no restore rectangle and restores the window itself
  } else {
    home = OffsetRect(restore, RestoreShift(placement, windowRect));
  }
  const TRestoreHome taken{window, TopLeft(restore),
                             TopLeft(PlaneFromScreen(layout_, currentDesktop_, home))};
  if (sameRestore && *had == taken) return false;
  table_.At(window).Home = taken;
  return true;
}

Rect TDesktopEngine::KnownRestoreRect(Hwnd window, const Placement& placement,
                                      const Rect& windowRect) {
  // rcNormalPosition is in workspace coordinates: with the taskbar at the top or left it lies
  // that bar's size off the screen coordinates, which does not change the cell it falls in.
  const Rect& restore = placement.rcNormalPosition;
  if (restore != windowRect) return restore;
  // Wine tells another process a window's rectangle in place of its restore rectangle (measured
  // under Wine 8.0). A window minimized since the last switch lay where that switch left it;
  // without a switch, it is taken for a window of the desktop on screen.
  if (const TPlace* place = table_.PlaceOf(window)) {
    return OffsetRect(place->rect, layout_.Offset(currentDesktop_, place->current));
  }
  const Rect& screen = layout_.Screen;
  return {screen.left, screen.top, screen.left + restore.Width(), screen.top + restore.Height()};
}

Rect TDesktopEngine::HomeRect(Hwnd window, const Placement& placement, const Rect& windowRect) {
  const Rect& restore = placement.rcNormalPosition;
  const TRestoreHome* home = table_.HomeOf(window);
  if (home == nullptr || home->RestoreTopLeft != TopLeft(restore)) {
    return KnownRestoreRect(window, placement, windowRect);
  }
  const Size size{restore.Width(), restore.Height()};
  const Point p = ScreenFromPlane(layout_, currentDesktop_, home->PlaneTopLeft, size);
  return {p.x, p.y, p.x + size.cx, p.y + size.cy};
}

bool TDesktopEngine::ComeHome(Hwnd window, const Placement& placement, const Rect& r, Rect& at) {
  const TRestoreHome* had = table_.HomeOf(window);
  if (had == nullptr) return false;
  if (had->RestoreTopLeft == TopLeft(placement.rcNormalPosition)) {
    const Rect home = HomeRect(window, placement, r);
    const Rect& restore = placement.rcNormalPosition;
    at = OffsetRect(r, {home.left - restore.left, home.top - restore.top});
  }
  table_.At(window).Home.reset();
  return true;
}

bool TDesktopEngine::MoveMinimizedToDesktop(Hwnd window, int desktop) {
  Placement placement;
  if (!ws_.GetWindowPlacement(window, placement) || !KeepsMinimized(placement)) return false;
  Rect windowRect;
  ws_.GetWindowRect(window, windowRect);
  const Rect home = HomeRect(window, placement, windowRect);
  const Point p = CellPosition(home, desktop);
  const Rect plane = PlaneFromScreen(
      layout_, currentDesktop_, {p.x, p.y, p.x + home.Width(), p.y + home.Height()});
  table_.At(window).Home = TRestoreHome{window, TopLeft(placement.rcNormalPosition), TopLeft(plane)};
  SaveHomes();
  return true;
}

void TDesktopEngine::SaveHomes() {
  homesGone_ = false;
  record_.WriteRestoreHomes(table_.Homes());
}

}  // namespace mirel
