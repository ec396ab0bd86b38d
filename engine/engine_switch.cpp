// The switch: every managed window moved by whole cells in one batch, the windows leaving and
// arriving hidden and shown in it, and single windows carried into a cell.
#include "engine/desktop_engine.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "engine/engine_internal.h"
#include "engine/win2tree.h"

namespace mirel {

using namespace engine_internal;

void TDesktopEngine::ShiftWindows(std::int32_t dx, std::int32_t dy) {
  Shift(dx, dy, currentDesktop_, currentDesktop_);
}

void TDesktopEngine::Shift(std::int32_t dx, std::int32_t dy, int from, int to) {
  RefreshWindowList();
  if (managedWindows_.empty()) return;

  threadAnswers_.clear();
  std::vector<TMove> moves;
  std::vector<TMove> stuckMoves;
  moves.reserve(managedWindows_.size());
  bool homesChanged = false;
  for (const Hwnd window : managedWindows_) {
    if (config_.AllDesktopsWindows.contains(window)) continue;
    const bool answers = Answers(window);
    // Every window is to be in the normal state before it is measured, unless switches keep
    // window states. Showing one that already is changes nothing but costs a round trip to its
    // thread, the largest part of a switch after the batch itself. A window the hiding option
    // holds hidden stays hidden here: the hiding pass that follows every switch shows it when its
    // desktop comes on screen, and otherwise it would be shown only to be hidden again.
    Placement placement;
    const bool placed = ws_.GetWindowPlacement(window, placement);
    if (placed && KeepsMinimized(placement)) {
      // It stays parked where the system parks it; its home carries its restore rectangle.
      homesChanged |= TakeHome(window, placement, LandingRect(window, answers));
      continue;
    }
    const bool normal = placed && placement.showCmd == sw::kShowNormal;
    const bool maximized = placed && placement.showCmd == sw::kShowMaximized;
    if (maximized && config_.KeepWindowState) {
      homesChanged |= TakeHome(window, placement, LandingRect(window, answers));
    }
    // A maximized window moved with its desktop while its restore rectangle stayed: restored, it
    // is carried back to the desktop it was maximized on.
    Point restoreShift{};
    // A stuck window takes the restore queued for it before the move: it moves from its restore
    // rectangle, not from the rectangle it has now.
    std::optional<Rect> restoredLater;
    if (!normal && !config_.KeepWindowState) {
      if (maximized) restoreShift = RestoreShift(placement, LandingRect(window, answers));
      if (!answers && placed && table_.QueuedMoveOf(window) == nullptr) {
        restoredLater = placement.rcNormalPosition;
      }
      if (answers) {
        ws_.ShowWindow(window, sw::kShowNormal);
      } else {
        ws_.ShowWindowAsync(window, sw::kShowNormal);
      }
      // Showing it normally shows it: one held hidden in that state is now to be hidden again.
      table_.At(window).Listing.Visible = true;
      ws_.GetWindowPlacement(window, placement);
    }
    const Rect r = restoredLater.value_or(LandingRect(window, answers));
    Rect at = OffsetRect(r, restoreShift);
    if (placement.showCmd == sw::kShowNormal) {
      homesChanged |= ComeHome(window, placement, r, at);
    }
    std::int32_t limitX = 0;
    std::int32_t limitY = 0;
    ShiftLimits(placement, limitX, limitY);
    if (std::abs(std::int64_t{r.left}) < std::abs(std::int64_t{limitX}) &&
        std::abs(std::int64_t{r.top}) < std::abs(std::int64_t{limitY})) {
      (answers ? moves : stuckMoves)
          .push_back({window, r, OffsetRect(at, {dx, dy}), placement.showCmd, 0});
    }
  }
  if (from != to && config_.HideApps) PlanHiding(moves, to);
  // Where every window stood goes to the registry first: a run killed anywhere in the moves finds
  // out at its start which windows have moved and finishes the switch.
  if (from != to) {
    TRecordedSwitch record{from, to, {dx, dy}, {}};
    record.Windows.reserve(moves.size() + stuckMoves.size());
    for (const auto* list : {&moves, &stuckMoves}) {
      for (const TMove& m : *list) record.Windows.push_back({m.window, {m.from.left, m.from.top}});
    }
    record_.BeginSwitch(record);
  }
  PlaceWindows(moves, stuckMoves);
  // Disabled after the batch: a window is never disabled while it is still shown.
  std::vector<std::pair<Hwnd, bool>> disable;
  for (const TMove& m : moves) {
    if ((m.flags & kSwpHideWindow) && ws_.IsWindowEnabled(m.window)) {
      disable.emplace_back(m.window, false);
    }
  }
  ws_.EnableWindows(disable, kEnableTimeoutMs);
  table_.ClearPlaces();
  RememberPlaces(moves, to);
  RememberPlaces(stuckMoves, to);
  // The homes of windows closed since they were last saved go from the record too.
  if (homesChanged || homesGone_) SaveHomes();
}

void TDesktopEngine::PlanHiding(std::vector<TMove>& moves, int to) {
  const TPassKey passKey(*this);
  std::vector<std::pair<Hwnd, bool>> enable;
  // Bottom first, as the hiding pass walks: when the record cannot be written, the windows from
  // there up are left to the pass, which reports the failure at the same window.
  for (auto it = moves.rbegin(); it != moves.rend(); ++it) {
    TMove& m = *it;
    TListing& listing = table_.At(m.window).Listing;
    const bool shown = listing.Visible;
    const bool stays =
        StaysShown(m.window, m.showCmd, mirel::DesktopOfRect(layout_, to, m.to) == to);
    const THiddenState* hidden = HeldHidden(m.window);
    if (stays && hidden != nullptr) {
      // Enabled before it is shown: a window that is shown is never disabled. One its application
      // showed while it was held hidden is visible already, and still disabled.
      if (hidden->WasEnabled && !ws_.IsWindowEnabled(m.window)) {
        enable.emplace_back(m.window, true);
      }
      if (!shown) m.flags = kSwpShowWindow;
    } else if (!stays && shown) {
      // Recorded before it is hidden: a run killed after the batch gives it back at its start.
      if (HiddenAppsKey() == 0) break;
      if (hidden == nullptr) {
        table_.Hide(m.window, lastForeground_ == m.window, ws_.IsWindowEnabled(m.window));
      }
      RecordHiddenApp(m.window);
      m.flags = kSwpHideWindow;
    } else if (stays != shown) {
      continue;  // not the program's to show: the hiding pass decides
    }
    listing.Plan = stays ? TPlan::kPlannedShown : TPlan::kPlannedHidden;
  }
  ws_.EnableWindows(enable, kEnableTimeoutMs);
}

void TDesktopEngine::PlaceWindows(std::vector<TMove>& moves, const std::vector<TMove>& stuck) {
  // A window whose thread is stuck would hold up the whole batch: it gets its move queued and
  // lands on its desktop once its thread wakes.
  for (const TMove& m : stuck) {
    ws_.SetWindowPos(m.window, 0, m.to.left, m.to.top, 0, 0,
                     kSwpNoSize | kSwpNoZOrder | kSwpNoActivate | kSwpAsyncWindowPos);
    table_.At(m.window).QueuedMove = m.to;
  }

  // All moves land in one batch. A window that closes meanwhile makes DeferWindowPos give up the
  // whole batch; then the batch is built again without it, so the others still move together.
  // The size stays as it is (SWP_NOSIZE): a window that resized itself since it was measured
  // keeps its new size, and Wine moves a window without a size in about two thirds of the time.
  constexpr std::uint32_t kBatchFlags = kSwpNoSize | kSwpNoZOrder | kSwpNoActivate;
  std::vector<TMove> refused;
  while (true) {
    DeferBatch batch = ws_.BeginDeferWindowPos(static_cast<int>(managedWindows_.size()) - 1);
    if (batch == 0) return;
    std::size_t failed = moves.size();
    for (std::size_t i = 0; i < moves.size() && batch != 0; ++i) {
      const TMove& m = moves[i];
      batch = ws_.DeferWindowPos(batch, m.window, kHwndBottom, m.to.left, m.to.top,
                                 m.to.Width(), m.to.Height(), kBatchFlags | m.flags);
      if (batch == 0) failed = i;
    }
    if (batch != 0) {
      ws_.EndDeferWindowPos(batch);
      break;
    }
    refused.push_back(moves[failed]);
    moves.erase(moves.begin() + static_cast<std::ptrdiff_t>(failed));
  }
  // A window the batch refused though it still exists is moved on its own: no window stays
  // behind on a desktop that has gone. It is one of the moves again, so a window this hides is
  // also disabled and its place remembered.
  for (const TMove& m : refused) {
    if (!ws_.IsWindow(m.window)) continue;
    ws_.SetWindowPos(m.window, 0, m.to.left, m.to.top, 0, 0, kBatchFlags | m.flags);
    moves.push_back(m);
  }
}

void TDesktopEngine::RememberPlaces(const std::vector<TMove>& moves, int current) {
  for (const TMove& m : moves) table_.SetPlace(m.window, {m.to, current});
}

void TDesktopEngine::EnsureFocusSlots() {
  if (focusSlots_.size() == kDesktopCount) return;
  focusSlots_.assign(kDesktopCount, 0);
}

void TDesktopEngine::SwitchToDesktop(std::uint16_t index, Hwnd activate) {
  // A switch runs to its end before the next one starts; a request that arrives inside one (a
  // message delivered while it waited on another application's window) is refused rather than
  // interleaved with it.
  if (index >= kDesktopCount || switching_) return;
  switching_ = true;
  struct TSwitchEnd {
    bool& flag;
    ~TSwitchEnd() { flag = false; }
  } switchEnd{switching_};
  const bool terminating = host_.Terminating();
  FollowLayout();
  Hwnd target = 0;
  if (index != currentDesktop_) {
    const Point offset = layout_.Offset(currentDesktop_, index);
    if (!terminating) {
      EnsureFocusSlots();
      if (currentDesktop_ < focusSlots_.size() && index < focusSlots_.size()) {
        // Left while the name of the last switch still shows: the window that switch activated.
        focusSlots_[currentDesktop_] = ActingWindow(ws_.GetForegroundWindow());
        target = focusSlots_[index];
      }
    }
    if (host_.OverlayWindow() != 0) host_.HideOverlay();
    Shift(-offset.x, -offset.y, currentDesktop_, index);
    currentDesktop_ = index;
    record_.Write(currentDesktop_, layout_);
    if (config_.HideApps) ApplyHiding(index);
    host_.InvalidateMainForm();
  }

  if (activate != 0 && ws_.IsWindow(activate)) target = activate;
  if (!terminating && index < focusSlots_.size()) {
    if (!ws_.IsWindow(target) || target == host_.MainWindow()) {
      // The topmost managed window of the desktop now on screen, if there is one. A window whose
      // thread sleeps counts where its queued move will put it, not where it still stands.
      for (Hwnd window : managedWindows_) {
        if (LandingDesktop(window) == currentDesktop_ && !IsOverlay(window)) {
          target = window;
          break;
        }
      }
    }
    if (ws_.IsWindow(target)) {
      ws_.SetForegroundWindow(host_.MainWindow());
      ws_.SetForegroundWindow(target);
    }
  }

  if (!terminating) {
    switchTarget_ = target;
    host_.ShowOverlay(target, DesktopName(config_.DesktopNames, currentDesktop_));
  }
  host_.RepaintVisualManagerIfShowing();
}

Point TDesktopEngine::CellPosition(const Rect& r, int desktop) {
  const Size screen = layout_.Cell();
  // Measured from the virtual screen's origin, so the window keeps its monitor within the cell.
  std::int64_t left = std::int64_t{r.left} + 5 - layout_.Screen.left;
  std::int64_t top = std::int64_t{r.top} + 5 - layout_.Screen.top;
  const Point offset = layout_.Offset(currentDesktop_, desktop);
  // A window hanging off the left or top edge by no more than 0.6 of the screen keeps its overhang.
  const double bandX = 0.6 * screen.cx;
  const double bandY = 0.6 * screen.cy;
  while (left < 0 && static_cast<double>(-left) > bandX) left += screen.cx;
  const std::int64_t x0 = left % screen.cx - 5 + layout_.Screen.left;
  while (top < 0 && static_cast<double>(-top) > bandY) top += screen.cy;
  const std::int64_t y0 = top % screen.cy - 5 + layout_.Screen.top;
  return {static_cast<int>(offset.x + x0), static_cast<int>(offset.y + y0)};
}

void TDesktopEngine::MoveWindowToDesktop(Hwnd window, int desktop) {
  FollowLayout();
  threadAnswers_.clear();
  PlaceInCell(window, desktop);
}

void TDesktopEngine::PlaceInCell(Hwnd window, int desktop) {
  if (!layout_.Valid()) return;
  if (MoveMinimizedToDesktop(window, desktop)) return;
  const bool answers = Answers(window);
  Rect r = LandingRect(window, answers);
  const Point target = CellPosition(r, desktop);
  r = LandingRect(window, answers);
  const int x = target.x;
  const int y = target.y;
  table_.SetPlace(window, {{x, y, x + r.Width(), y + r.Height()}, currentDesktop_});
  if (answers) {
    ws_.MoveWindow(window, x, y, r.Width(), r.Height(), true);
  } else {
    ws_.SetWindowPos(window, 0, x, y, r.Width(), r.Height(),
                     kSwpNoZOrder | kSwpNoActivate | kSwpAsyncWindowPos);
    table_.At(window).QueuedMove = Rect{x, y, x + r.Width(), y + r.Height()};
  }
}

void TDesktopEngine::MoveHereClick(std::intptr_t tag) {
  if (tag != -1) {
    const Hwnd window = static_cast<Hwnd>(tag);
    MoveWindowToDesktop(window, currentDesktop_);
    ws_.SetForegroundWindow(window);
  }
  if (config_.HideApps) ApplyHiding(currentDesktop_);
}

void TDesktopEngine::SwitchToClick(std::intptr_t tag) {
  if (tag == -1) return;
  const Hwnd window = static_cast<Hwnd>(tag);
  const int desktop = DesktopOfWindow(window);
  if (desktop >= 0 && desktop < kDesktopCount) {
    // The chosen window is also the one the name overlay activates when it hides.
    SwitchToDesktop(static_cast<std::uint16_t>(desktop), window);
  } else {
    // Outside the grid there is no desktop to go to: bring the window here instead.
    MoveWindowToDesktop(window, currentDesktop_);
  }
  ws_.SetForegroundWindow(window);
  if (config_.HideApps) ApplyHiding(currentDesktop_);
}

}  // namespace mirel
