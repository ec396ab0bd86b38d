// The hiding pass: the windows of the other desktops hidden and disabled, and recorded under
// "HiddenApps" before they are; the windows of the desktop on screen given back.
#include "engine/desktop_engine.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "engine/engine_internal.h"
#include "engine/win2tree.h"

namespace mirel {

using namespace engine_internal;

bool TDesktopEngine::StaysShown(Hwnd window, std::uint32_t showCmd, bool onDesktop) {
  // Kept in its state by switches, a minimized or maximized window of another desktop is hidden
  // like any other; otherwise it is one the user changed since the switch, and stays.
  return (!config_.KeepWindowState && IsIconicOrMaximized(showCmd)) || onDesktop ||
         IsOverlay(window) ||
         (config_.StickyWindows && config_.StickyWindows->IsSticky(ws_, window));
}

void TDesktopEngine::ApplyHiding(int desktop) {
  threadAnswers_.clear();
  const TPassKey passKey(*this);
  // The windows held hidden that this pass meets among the managed windows.
  std::unordered_set<Hwnd> met;
  for (auto it = managedWindows_.rbegin(); it != managedWindows_.rend(); ++it) {
    const Hwnd window = *it;
    TListing& listing = table_.At(window).Listing;
    // The switch's batch has shown or hidden it already, and enabled or disabled it.
    const TPlan plan = std::exchange(listing.Plan, TPlan::kUnplanned);
    const bool planned = plan != TPlan::kUnplanned;
    Placement placement;
    bool keep = plan == TPlan::kPlannedShown;
    if (!planned) {
      ws_.GetWindowPlacement(window, placement);
      keep = StaysShown(window, placement.showCmd, LandingDesktop(window) == desktop);
    }
    THiddenState* hidden = HeldHidden(window);
    if (hidden != nullptr) met.insert(window);
    if (keep) {
      if (planned) {
        ForgetShown(window);
      } else {
        KeepWindow(window, placement);
      }
    } else {
      // A window hidden by an earlier pass keeps its one entry; only WasForeground is refreshed,
      // and the record when the title changed: a run after a crash knows the window by it.
      if (hidden != nullptr) {
        hidden->WasForeground = lastForeground_ == window;
        if (planned && hidden->Title != listing.Title) RecordHiddenApp(window);
      } else {
        table_.Hide(window, lastForeground_ == window, ws_.IsWindowEnabled(window));
      }
      if (!planned) HideWindow(window);
    }
  }
  ForgetClosedHiddenWindows(met);
}

void TDesktopEngine::ForgetClosedHiddenWindows(const std::unordered_set<Hwnd>& met) {
  // A window closed while it was hidden leaves nothing behind: its hidden state and its value in
  // the key go. Only the windows the pass did not meet can be closed ones.
  for (const THiddenListItem& item : table_.HiddenWindows()) {
    if (met.contains(item.Handle) || ws_.IsWindow(item.Handle)) continue;
    ForgetHiddenApp(item.Handle);
    table_.Unhide(item.Handle);
  }
}

// Hiding, showing and enabling a window of another thread each wait for that thread, so a
// window already in the state asked for is left alone. Not so a window whose thread is stuck:
// calls queued for it earlier may still be waiting, and it gets every call, in order.

void TDesktopEngine::HideWindow(Hwnd window) {
  RecordHiddenApp(window);
  const bool answers = Answers(window);
  if (!answers || ws_.IsWindowEnabled(window)) EnableWithoutWaiting(window, false);
  if (!answers || ws_.IsWindowVisible(window)) ShowWithoutWaiting(window, sw::kHide);
}

void TDesktopEngine::KeepWindow(Hwnd window, const Placement& placement) {
  const bool answers = Answers(window);
  if (config_.KeepWindowState) {
    // Shown again in the state it was hidden in.
    if (!answers || !ws_.IsWindowVisible(window)) ShowWithoutWaiting(window, sw::kShowNa);
  } else if (!answers || !ws_.IsWindowVisible(window) || placement.showCmd != sw::kShowNormal) {
    ShowWithoutWaiting(window, sw::kRestore);
  }
  // Only what the program disabled is enabled: an application may have disabled its own window
  // on purpose (the owner of a modal dialog).
  const THiddenState* hidden = HeldHidden(window);
  if (hidden != nullptr && hidden->WasEnabled && (!answers || !ws_.IsWindowEnabled(window))) {
    EnableWithoutWaiting(window, true);
  }
  ForgetShown(window);
}

void TDesktopEngine::ForgetShown(Hwnd window) {
  // The record goes last: a run killed before this point finds the window in it and gives it
  // back at its start.
  ForgetHiddenApp(window);
  const THiddenState* hidden = HeldHidden(window);
  if (hidden == nullptr) return;
  if (config_.ActivateRestored && hidden->WasForeground) ws_.SetForegroundWindow(window);
  table_.Unhide(window);
}

RegKey TDesktopEngine::HiddenAppsKey() {
  // Within a pass the key is opened once (see TPassKey); a failed open is tried again at the next
  // window, so the failure is reported where a window is to be hidden.
  if (passKeyDepth_ > 0 && passKey_) return passKey_.get();
  ScopedRegKey key = OpenScopedKey(registry_, registry_.CurrentUser(), kHiddenAppsKeyPath, true);
  if (passKeyDepth_ > 0) {
    passKey_ = std::move(key);
    return passKey_.get();
  }
  singleKey_ = std::move(key);
  return singleKey_.get();
}

TDesktopEngine::TPassKey::TPassKey(TDesktopEngine& engine) : engine_(engine) {
  ++engine_.passKeyDepth_;
}

TDesktopEngine::TPassKey::~TPassKey() {
  // No key stays open between operations.
  if (--engine_.passKeyDepth_ == 0) engine_.passKey_.Reset();
}

void TDesktopEngine::RecordHiddenApp(Hwnd window) {
  const RegKey key = HiddenAppsKey();
  if (key == 0) throw AppError(std::string("Cannot create key : ") + kHiddenAppsKeyPath);
  std::string title = GetWindowTitle(ws_, window);
  registry_.SetString(key, HandleValueName(window), title);
  singleKey_.Reset();
  if (THiddenState* hidden = table_.HiddenOf(window)) hidden->Title = std::move(title);
}

void TDesktopEngine::ForgetHiddenApp(Hwnd window) {
  if (const RegKey key = HiddenAppsKey()) registry_.DeleteValue(key, HandleValueName(window));
  singleKey_.Reset();
}

void TDesktopEngine::HideAppsCBClick(bool checked) {
  config_.HideApps = checked;
  if (!checked) ReleaseHiddenWindows();
}

}  // namespace mirel
