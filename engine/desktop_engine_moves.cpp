// Moving the active window's family to another desktop, with or without going along.
#include <algorithm>

#include "engine/desktop_engine.h"
#include "engine/window_family.h"

namespace mirel {

namespace {

bool Contains(const std::vector<Hwnd>& windows, Hwnd window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

}  // namespace

bool TDesktopEngine::Movable(Hwnd window) {
  if (window == 0 || !Contains(managedWindows_, window)) return false;
  // The program's own windows (dialogs included) share the main form's thread.
  const std::uint32_t thread = ws_.GetWindowThreadId(window);
  if (thread == 0 || thread == ws_.GetWindowThreadId(host_.MainWindow())) return false;
  return !(config_.StickyWindows && config_.StickyWindows->IsSticky(ws_, window));
}

Hwnd TDesktopEngine::ActingWindow(Hwnd foreground) {
  return IsOverlay(foreground) ? switchTarget_ : foreground;
}

void TDesktopEngine::MoveFamilyToDesktop(Hwnd activeWindow, int desktop, bool follow) {
  // Like a switch, a command that arrives while one runs is refused rather than interleaved.
  if (desktop < 0 || desktop >= kDesktopCount || switching_) return;
  FollowLayout();
  RefreshWindowList();
  threadAnswers_.clear();
  const Hwnd window = ActingWindow(activeWindow);
  if (!Movable(window) || LandingDesktop(window) == desktop) return;
  std::vector<Hwnd> family = WindowFamily(ws_, window, managedWindows_);
  std::erase_if(family, [this](Hwnd member) { return !Movable(member); });
  // The overlay of a switch just made would otherwise bring the moved window back to the front.
  if (host_.OverlayWindow() != 0) host_.HideOverlay();
  for (const Hwnd member : family) {
    if (LandingDesktop(member) != desktop) PlaceInCell(member, desktop);
  }
  EnsureFocusSlots();
  const std::uint16_t from = currentDesktop_;
  if (follow) {
    SwitchToDesktop(static_cast<std::uint16_t>(desktop), window);
    // The switch remembered the moved window for the desktop it left, where it no longer is.
    if (Contains(family, focusSlots_[from])) focusSlots_[from] = 0;
    return;
  }
  focusSlots_[static_cast<std::size_t>(desktop)] = window;
  if (config_.HideApps) ApplyHiding(currentDesktop_);
  ActivateNextWindow(family);
  host_.InvalidateMainForm();
  host_.RepaintVisualManagerIfShowing();
}

Hwnd TDesktopEngine::ActiveOrTopmost(Hwnd foreground) {
  RefreshWindowList();
  threadAnswers_.clear();
  if (Movable(ActingWindow(foreground))) return ActingWindow(foreground);
  for (const Hwnd window : managedWindows_) {
    if (Movable(window) && ws_.IsWindowVisible(window) &&
        LandingDesktop(window) == currentDesktop_) {
      return window;
    }
  }
  return 0;
}

void TDesktopEngine::ActivateNextWindow(const std::vector<Hwnd>& family) {
  auto eligible = [&](Hwnd window) {
    if (window == 0 || Contains(family, window) || !Contains(managedWindows_, window) ||
        IsOverlay(window) || !ws_.IsWindow(window)) {
      return false;
    }
    Placement placement;
    ws_.GetWindowPlacement(window, placement);
    const bool minimized = placement.showCmd == sw::kShowMinimized ||
                           placement.showCmd == sw::kMinimize ||
                           placement.showCmd == sw::kShowMinNoActive;
    return !minimized && LandingDesktop(window) == currentDesktop_;
  };
  Hwnd next = focusSlots_[currentDesktop_];
  if (!eligible(next)) {
    const auto topmost = std::find_if(managedWindows_.begin(), managedWindows_.end(), eligible);
    next = topmost != managedWindows_.end() ? *topmost : 0;
  }
  // The main form first, as in a switch: it may then hand the foreground on. With no window left,
  // keys go to the hidden main form rather than to a window on another desktop.
  ws_.SetForegroundWindow(host_.MainWindow());
  if (next != 0) ws_.SetForegroundWindow(next);
}

}  // namespace mirel
