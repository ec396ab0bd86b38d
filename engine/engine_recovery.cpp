// Keeping windows safe across runs: hidden windows given back at the end, and what a run that
// did not end cleanly left taken back and finished at the next start.
#include "engine/desktop_engine.h"

#include <algorithm>
#include <cstdlib>

#include "engine/engine_internal.h"
#include "engine/win2tree.h"

namespace mirel {

using namespace engine_internal;

void TDesktopEngine::ShowAndForget(const THiddenListItem& entry) {
  ShowWithoutWaiting(entry.Handle, sw::kShowNa);
  if (entry.State.WasEnabled) EnableWithoutWaiting(entry.Handle, true);
  ForgetHiddenApp(entry.Handle);
}

void TDesktopEngine::ReleaseHiddenWindows() {
  threadAnswers_.clear();
  const TPassKey passKey(*this);
  for (const THiddenListItem& entry : table_.TakeHiddenWindows()) ShowAndForget(entry);
}

bool TDesktopEngine::RecoverHiddenApps() {
  threadAnswers_.clear();
  ScopedRegKey key = OpenScopedKey(registry_, registry_.CurrentUser(), kHiddenAppsKeyPath, false);
  if (!key) return false;
  bool recovered = false;
  for (const std::string& name : registry_.ValueNames(key.get())) {
    Hwnd window = 0;
    RegValue value;
    const bool recorded = ParseHandleValueName(name, window) &&
                          registry_.QueryValue(key.get(), name, value) == RegRead::kOk &&
                          (value.type == kRegSz || value.type == kRegExpandSz);
    // Only the very window that was recorded is touched: same handle, same title.
    if (!recorded || !ws_.IsWindow(window) || GetWindowTitle(ws_, window) != RegText(value)) {
      registry_.DeleteValue(key.get(), name);
      continue;
    }
    recovered = true;
    if (!ws_.IsWindowVisible(window)) {
      if (config_.HideApps && !HiddenByUs(window)) {
        table_.Hide(window, false, true);
        continue;
      }
      ShowWithoutWaiting(window, sw::kShowNa);
    }
    EnableWithoutWaiting(window, true);
    registry_.DeleteValue(key.get(), name);
  }
  key.Reset();
  RefreshWindowList();
  return recovered;
}

void TDesktopEngine::FinishRecordedSwitch(const TRecordedSwitch& record) {
  // The switch was killed somewhere in its moves: a window still where it stood before gets the
  // move it missed; a window that moved, or that something else moved since, stays.
  std::vector<TMove> moves;
  std::vector<TMove> stuck;
  for (const TRecordedWindow& w : record.Windows) {
    Rect r;
    if (!ws_.IsWindow(w.Handle) || !ws_.GetWindowRect(w.Handle, r)) continue;
    if (r.left != w.TopLeft.x || r.top != w.TopLeft.y) continue;
    (Answers(w.Handle) ? moves : stuck)
        .push_back({w.Handle, r, OffsetRect(r, record.Delta), sw::kShowNormal, 0});
  }
  if (!moves.empty() || !stuck.empty()) PlaceWindows(moves, stuck);
  currentDesktop_ = static_cast<std::uint16_t>(record.To);
}

void TDesktopEngine::TakeOverDesktops(bool recovered, bool anotherCopyRuns) {
  threadAnswers_.clear();
  const TDesktopLayout live = ChooseLayout(ws_.VirtualScreen());
  if (anotherCopyRuns) {
    layout_ = live;
    RefreshWindowList();
    return;
  }
  const TDesktopState state = record_.Read();
  layout_ = state.Layout.value_or(live);
  currentDesktop_ = static_cast<std::uint16_t>(state.Current.value_or(0));
  // A switch record whose offset is not the one between its desktops was not written by the
  // program: its moves would be anything, and their sums could overflow.
  if (state.Switch) {
    const Point offset = layout_.Offset(state.Switch->From, state.Switch->To);
    if (state.Switch->Delta == Point{-offset.x, -offset.y}) FinishRecordedSwitch(*state.Switch);
  }
  for (const TRestoreHome& home : state.RestoreHomes) {
    // A home far beyond the plane of the desktops was not written by the program.
    constexpr std::int64_t kPlaneReach = 1 << 20;
    const bool onPlane = std::abs(std::int64_t{home.PlaneTopLeft.x}) < kPlaneReach &&
                         std::abs(std::int64_t{home.PlaneTopLeft.y}) < kPlaneReach;
    if (onPlane && ws_.IsWindow(home.Handle)) table_.At(home.Handle).Home = home;
  }
  // Monitors that changed between the runs: the windows follow as they would have at once.
  if (layout_ != live) Relayout(layout_, live, false);
  layout_ = live;
  record_.Write(currentDesktop_, layout_);
  RefreshWindowList();
  if (currentDesktop_ == 0 && !state.Switch && !recovered) return;
  // The last run did not end cleanly: the desktop on screen shows its windows, whatever the hiding
  // pass it was killed in had done to them, and the others are hidden as a switch would leave them.
  EnsureFocusSlots();
  if (config_.HideApps) ApplyHiding(currentDesktop_);
}

}  // namespace mirel
