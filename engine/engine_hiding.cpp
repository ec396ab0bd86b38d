// The hiding pass: the windows of the other desktops hidden and disabled, and recorded under
// "HiddenApps" before they are; the windows of the desktop on screen given back.
#include "engine/desktop_engine.h"

#include <algorithm>
#include <cstdlib>

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
  // The entries held before this pass that it meets among the managed windows.
  std::vector<bool> met(hiddenWindows_.size(), false);
  for (std::size_t slot = managedWindows_.size(); slot-- > 0;) {
    const Hwnd window = managedWindows_[slot];
    // The switch's batch has shown or hidden it already, and enabled or disabled it.
    const TPlan plan = slot < plan_.size() ? plan_[slot] : kUnplanned;
    const bool planned = plan != kUnplanned;
    Placement placement;
    bool keep = plan == kPlannedShown;
    if (!planned) {
      ws_.GetWindowPlacement(window, placement);
      keep = StaysShown(window, placement.showCmd, LandingDesktop(window) == desktop);
    }
    const int hiddenIndex = IndexOfHidden(window);
    if (hiddenIndex >= 0 && static_cast<std::size_t>(hiddenIndex) < met.size()) {
      met[static_cast<std::size_t>(hiddenIndex)] = true;
    }
    if (keep) {
      if (planned) {
        ForgetShown(window, hiddenIndex);
      } else {
        KeepWindow(window, hiddenIndex, placement);
      }
    } else {
      // A window hidden by an earlier pass keeps its one entry; only WasForeground is refreshed,
      // and the record when the title changed: a run after a crash knows the window by it.
      if (hiddenIndex >= 0) {
        THiddenListItem& entry = *hiddenWindows_[static_cast<std::size_t>(hiddenIndex)];
        entry.WasForeground = lastForeground_ == window;
        if (planned && entry.Title != managedTitles_[slot]) RecordHiddenApp(window);
      } else {
        AddHiddenEntry(window, lastForeground_ == window, ws_.IsWindowEnabled(window));
      }
      if (!planned) HideWindow(window);
    }
  }
  plan_.clear();
  ForgetClosedHiddenWindows(met);
  RemoveEmptyHiddenEntries();
}

void TDesktopEngine::ForgetClosedHiddenWindows(const std::vector<bool>& met) {
  // A window closed while it was hidden leaves nothing behind: its entry and its value in the
  // key go. Only the entries the pass did not meet can belong to closed windows.
  for (std::size_t i = 0; i < met.size() && i < hiddenWindows_.size(); ++i) {
    auto& entry = hiddenWindows_[i];
    if (met[i] || !entry || ws_.IsWindow(entry->Handle)) continue;
    ForgetHiddenApp(entry->Handle);
    hiddenIndex_.erase(entry->Handle);
    entry.reset();
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

void TDesktopEngine::KeepWindow(Hwnd window, int hiddenIndex, const Placement& placement) {
  const bool answers = Answers(window);
  if (config_.KeepWindowState) {
    // Shown again in the state it was hidden in.
    if (!answers || !ws_.IsWindowVisible(window)) ShowWithoutWaiting(window, sw::kShowNa);
  } else if (!answers || !ws_.IsWindowVisible(window) || placement.showCmd != sw::kShowNormal) {
    ShowWithoutWaiting(window, sw::kRestore);
  }
  // Only what the program disabled is enabled: an application may have disabled its own window
  // on purpose (the owner of a modal dialog).
  if (hiddenIndex >= 0 && hiddenWindows_[static_cast<std::size_t>(hiddenIndex)]->WasEnabled &&
      (!answers || !ws_.IsWindowEnabled(window))) {
    EnableWithoutWaiting(window, true);
  }
  ForgetShown(window, hiddenIndex);
}

void TDesktopEngine::ForgetShown(Hwnd window, int hiddenIndex) {
  if (hiddenIndex < 0) {
    ForgetHiddenApp(window);
    return;
  }
  auto& entry = hiddenWindows_[static_cast<std::size_t>(hiddenIndex)];
  // The record goes last: a run killed before this point finds the window in it and gives it
  // back at its start.
  ForgetHiddenApp(window);
  if (config_.ActivateRestored && entry->WasForeground) ws_.SetForegroundWindow(window);
  hiddenIndex_.erase(window);
  entry.reset();
}

void TDesktopEngine::RemoveEmptyHiddenEntries() {
  // Compacts in place; only the entries that move get their index updated.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < hiddenWindows_.size(); ++i) {
    if (!hiddenWindows_[i]) continue;
    if (i != kept) {
      hiddenWindows_[kept] = std::move(hiddenWindows_[i]);
      hiddenIndex_[hiddenWindows_[kept]->Handle] = kept;
    }
    ++kept;
  }
  hiddenWindows_.resize(kept);
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
  if (const auto it = hiddenIndex_.find(window); it != hiddenIndex_.end()) {
    if (auto& entry = hiddenWindows_[it->second]) entry->Title = std::move(title);
  }
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
