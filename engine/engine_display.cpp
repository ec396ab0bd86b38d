// Display changes: the windows follow the monitors into the new layout, each on its desktop.
#include "engine/desktop_engine.h"

#include <algorithm>
#include <cstdlib>

#include "engine/engine_internal.h"
#include "engine/win2tree.h"

namespace mirel {

using namespace engine_internal;

void TDesktopEngine::FollowLayout() {
  if (ChooseLayout(ws_.VirtualScreen()) != layout_) DisplayChanged();
}

void TDesktopEngine::DisplayChanged() {
  const TDesktopLayout live = ChooseLayout(ws_.VirtualScreen());
  Relayout(layout_, live, true);
  layout_ = live;
  record_.Write(currentDesktop_, layout_);
  host_.RepaintVisualManagerIfShowing();
}

void TDesktopEngine::Relayout(const TDesktopLayout& from, const TDesktopLayout& to,
                              bool usePlaces) {
  if (!from.Valid() || !to.Valid()) return;
  const std::vector<MonitorInfo> monitors = ws_.Monitors();
  const int current = currentDesktop_;
  RefreshWindowList();
  threadAnswers_.clear();
  std::vector<TMove> moves;
  std::vector<TMove> stuck;
  std::vector<TMove> staying;
  for (Hwnd window : managedWindows_) {
    const bool answers = Answers(window);
    const Rect r = LandingRect(window, answers);
    // Where the last pass left the window tells its desktop when the system has since pulled it
    // onto the screen from another cell, which it does only when the monitors change; otherwise
    // its rectangle does (a window dragged or moved by its application since went where it is).
    Rect before = r;
    int desktop = mirel::DesktopOfRect(from, current, r);
    const bool monitorsChanged = from != to;
    if (const TPlace* place = table_.PlaceOf(window);
        usePlaces && monitorsChanged && desktop == current && place != nullptr) {
      const int placed = mirel::DesktopOfRect(from, place->current, place->rect);
      if (place->current == current && placed != current && placed >= 0 &&
          placed < kDesktopCount && r != place->rect) {
        desktop = placed;
        before = place->rect;
        before.right = before.left + r.Width();
        before.bottom = before.top + r.Height();
      }
    }
    if (desktop < 0 || desktop >= kDesktopCount) continue;
    // Its place within the cell, as if its desktop were on screen, kept on a monitor of the new
    // layout, then carried out to its cell there.
    const Point offset = from.Offset(current, desktop);
    const Rect local = KeepOnMonitors(OffsetRect(before, {-offset.x, -offset.y}), monitors);
    const Rect target = OffsetRect(local, to.Offset(current, desktop));
    (target == r ? staying : answers ? moves : stuck)
        .push_back({window, r, target, sw::kShowNormal, 0});
  }
  if (!moves.empty() || !stuck.empty()) PlaceWindows(moves, stuck);
  table_.ClearPlaces();
  for (const auto* list : {&moves, &stuck, &staying}) RememberPlaces(*list, current);
  RemapHomes(from, to, monitors);
}

void TDesktopEngine::RemapHomes(const TDesktopLayout& from, const TDesktopLayout& to,
                                const std::vector<MonitorInfo>& monitors) {
  const std::vector<TRestoreHome*> homes = table_.MutableHomes();
  if (homes.empty()) return;
  const int current = currentDesktop_;
  for (TRestoreHome* entry : homes) {
    TRestoreHome& home = *entry;
    Placement placement;
    if (!ws_.GetWindowPlacement(home.Handle, placement)) continue;
    const Size size{placement.rcNormalPosition.Width(), placement.rcNormalPosition.Height()};
    const Point p = ScreenFromPlane(from, current, home.PlaneTopLeft, size);
    const Rect r{p.x, p.y, p.x + size.cx, p.y + size.cy};
    const int desktop = mirel::DesktopOfRect(from, current, r);
    if (desktop < 0 || desktop >= kDesktopCount) continue;
    // The same place within its desktop's cell as a window there gets, on a monitor of it.
    const Point offset = from.Offset(current, desktop);
    const Rect local = KeepOnMonitors(OffsetRect(r, {-offset.x, -offset.y}), monitors);
    home.PlaneTopLeft =
        TopLeft(PlaneFromScreen(to, current, OffsetRect(local, to.Offset(current, desktop))));
  }
  SaveHomes();
}

}  // namespace mirel
