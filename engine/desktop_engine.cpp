// The desktop model: which windows are managed, where each one is and will land, and how a
// window of a stuck thread is reached without waiting for it.
#include "engine/desktop_engine.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "engine/engine_internal.h"
#include "engine/win2tree.h"

namespace mirel {

using namespace engine_internal;

TDesktopEngine::TDesktopEngine(IWindowSystem& ws, IRegistry& registry, TsDeskCFG& config,
                               IEngineHost& host)
    : ws_(ws),
      registry_(registry),
      config_(config),
      host_(host),
      record_(registry),
      layout_(ChooseLayout(ws.VirtualScreen())) {}

bool TDesktopEngine::IsOverlay(Hwnd window) {
  const Hwnd overlay = host_.OverlayWindow();
  return overlay != 0 && !host_.Terminating() && window == overlay;
}

bool TDesktopEngine::Answers(Hwnd window) {
  const std::uint32_t thread = ws_.GetWindowThreadId(window);
  if (thread == 0) return false;  // closed: no call on it can matter
  if (const auto known = threadAnswers_.find(thread); known != threadAnswers_.end()) {
    return known->second;
  }
  // The probe waits for the thread and lets sent messages in: no iterator is held across it.
  const bool answers = ws_.Responds(window, kAnswerTimeoutMs);
  threadAnswers_[thread] = answers;
  return answers;
}

void TDesktopEngine::ShowWithoutWaiting(Hwnd window, int command) {
  if (Answers(window)) {
    ws_.ShowWindow(window, command);
  } else {
    ws_.ShowWindowAsync(window, command);
  }
}

void TDesktopEngine::EnableWithoutWaiting(Hwnd window, bool enable) {
  if (Answers(window)) {
    ws_.EnableWindow(window, enable);
  } else {
    ws_.EnableWindowAsync(window, enable);
  }
}

void TDesktopEngine::RefreshWindowList() {
  managedWindows_.clear();
  lastForeground_ = ws_.GetForegroundWindow();
  const Hwnd mainWindow = host_.MainWindow();
  const Hwnd appWindow = host_.ApplicationWindow();
  const std::vector<Hwnd> all = ws_.WindowsInZOrder();
  // The records of windows that have gone go too (handles are reused).
  homesGone_ |= table_.KeepOnly({all.begin(), all.end()});
  for (Hwnd window : all) {
    if (window == mainWindow || window == appWindow) continue;
    if (IsOverlay(window)) continue;
    if (config_.LeftAloneWindows.contains(window)) continue;
    const bool hiddenByUs = HiddenByUs(window);
    const bool visible = ws_.IsWindowVisible(window);
    if (!visible && !hiddenByUs) continue;
    const std::string title = GetWindowTitle(ws_, window);
    if (title.empty() || title == kProgramManager) continue;
    if (IsNotificationArea(window)) continue;
    // Out of sight though visible (suspended apps, windows of the system's own virtual desktops).
    // The hiding option only hides windows, never cloaks them: what it holds stays managed. So
    // does a window cloaked while the program held it on another desktop: left there, it would
    // stay off screen for good.
    if (!hiddenByUs && ws_.IsWindowCloaked(window) && !HeldOffScreen(window)) continue;
    managedWindows_.push_back(window);
    table_.At(window).Listing = {visible, title, TPlan::kUnplanned};
  }
}

bool TDesktopEngine::HeldOffScreen(Hwnd window) {
  const TPlace* place = table_.PlaceOf(window);
  return place != nullptr && DesktopOfRect(place->rect) != currentDesktop_;
}

bool TDesktopEngine::IsNotificationArea(Hwnd window) {
  // Asked once per window: the class does not change, and a switch must not pay for it again.
  std::optional<bool>& known = table_.At(window).NotificationArea;
  if (!known) {
    const std::string className = GetWindowClass(ws_, window);
    known = className == kTaskbarClass || className == kStandaloneTrayClass;
  }
  return *known;
}

const THiddenState* TDesktopEngine::HeldHidden(Hwnd window) const {
  return config_.HideApps ? table_.HiddenOf(window) : nullptr;
}

THiddenState* TDesktopEngine::HeldHidden(Hwnd window) {
  return config_.HideApps ? table_.HiddenOf(window) : nullptr;
}

int TDesktopEngine::DesktopOfWindow(Hwnd window) { return DesktopOfRect(DesktopRect(window)); }

Rect TDesktopEngine::DesktopRect(Hwnd window) {
  Rect r;
  ws_.GetWindowRect(window, r);
  if (!config_.KeepWindowState) return r;
  Placement placement;
  if (!ws_.GetWindowPlacement(window, placement) || !IsIconic(placement.showCmd)) return r;
  return HomeRect(window, placement, r);
}

Rect TDesktopEngine::LandingRect(Hwnd window, bool answers) {
  Rect r;
  ws_.GetWindowRect(window, r);
  const Rect* queued = table_.QueuedMoveOf(window);
  if (queued == nullptr) return r;
  if (answers) {
    table_.At(window).QueuedMove.reset();
    return r;
  }
  return *queued;
}

int TDesktopEngine::LandingDesktop(Hwnd window) {
  if (table_.QueuedMoveOf(window) == nullptr) return DesktopOfWindow(window);
  return DesktopOfRect(LandingRect(window, Answers(window)));
}

int TDesktopEngine::DesktopOfRect(const Rect& r) {
  return mirel::DesktopOfRect(layout_, currentDesktop_, r);
}

void TDesktopEngine::ShiftLimits(const Placement& placement, std::int32_t& limitX,
                                 std::int32_t& limitY) {
  if (placement.ptMinPosition.x > -kParkingBound) {
    const Point bound = layout_.ParkingBound();
    limitX = -bound.x;
    limitY = -bound.y;
  } else {
    limitX = placement.ptMinPosition.x;
    limitY = placement.ptMinPosition.y;
  }
}

}  // namespace mirel
