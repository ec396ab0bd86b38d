#include "platform/sim/sim_window_system.h"

#include <algorithm>
#include <stdexcept>

#include "engine/desktop_geometry.h"
#include "platform/utf.h"

namespace mirel::sim {

namespace {

constexpr std::int32_t kIconicPosition = -32000;

bool IsIconicCommand(int command) {
  return command == sw::kShowMinimized || command == sw::kMinimize ||
         command == sw::kShowMinNoActive;
}

bool OnAnyMonitor(const Rect& r, const std::vector<MonitorInfo>& monitors) {
  return std::any_of(monitors.begin(), monitors.end(), [&r](const MonitorInfo& m) {
    return std::max(m.Area.left, r.left) < std::min(m.Area.right, r.right) &&
           std::max(m.Area.top, r.top) < std::min(m.Area.bottom, r.bottom);
  });
}

}  // namespace

SimWindowSystem::SimWindowSystem(int screenWidth, int screenHeight) {
  SetScreenSize(screenWidth, screenHeight);
}

void SimWindowSystem::SetScreenSize(int width, int height) {
  SetMonitors({{{0, 0, width, height}, {0, 0, width, height}, true}});
}

void SimWindowSystem::SetMonitors(std::vector<MonitorInfo> monitors) {
  monitors_ = std::move(monitors);
  screen_ = {};
  for (const MonitorInfo& m : monitors_) {
    if (m.Primary) screen_ = {m.Area.Width(), m.Area.Height()};
  }
}

void SimWindowSystem::ChangeMonitors(std::vector<MonitorInfo> monitors, bool pullOffScreen) {
  const std::vector<MonitorInfo> before = monitors_;
  SetMonitors(std::move(monitors));
  for (auto& [handle, w] : windows_) {
    if (w.placement.showCmd != sw::kShowNormal || OnAnyMonitor(w.rect, monitors_)) continue;
    if (!pullOffScreen && !OnAnyMonitor(w.rect, before)) continue;
    // Onto the primary monitor's work area, as the engine's own rule does.
    w.rect = KeepOnMonitors(w.rect, monitors_);
    w.placement.rcNormalPosition = w.rect;
  }
}

Rect SimWindowSystem::VirtualScreen() {
  if (monitors_.empty()) return {};
  Rect r = monitors_.front().Area;
  for (const MonitorInfo& m : monitors_) {
    r = {std::min(r.left, m.Area.left), std::min(r.top, m.Area.top),
         std::max(r.right, m.Area.right), std::max(r.bottom, m.Area.bottom)};
  }
  return r;
}

Hwnd SimWindowSystem::AddWindow(const std::string& title, Rect rect, Hwnd owner) {
  const Hwnd handle = nextHandle_;
  nextHandle_ += 4;
  SimWindow w;
  w.handle = handle;
  w.title = title;
  w.owner = owner;
  w.rect = rect;
  w.placement.showCmd = sw::kShowNormal;
  w.placement.ptMinPosition = {-1, -1};
  w.placement.ptMaxPosition = {-1, -1};
  w.placement.rcNormalPosition = rect;
  windows_.emplace(handle, std::move(w));
  zOrder_.push_back(handle);
  return handle;
}

Hwnd SimWindowSystem::AddWindowOnTop(const std::string& title, Rect rect, Hwnd owner) {
  const Hwnd handle = AddWindow(title, rect, owner);
  BringToTop(handle);
  return handle;
}

SimWindow& SimWindowSystem::Window(Hwnd window) {
  SimWindow* w = Find(window);
  if (w == nullptr) throw std::out_of_range("no such simulated window");
  return *w;
}

void SimWindowSystem::Minimize(Hwnd window) {
  SimWindow& w = Window(window);
  if (w.placement.showCmd == sw::kShowNormal) w.placement.rcNormalPosition = w.rect;
  w.placement.showCmd = sw::kShowMinimized;
  w.placement.ptMinPosition = {kIconicPosition, kIconicPosition};
  w.rect = {kIconicPosition, kIconicPosition, kIconicPosition + 160, kIconicPosition + 28};
}

void SimWindowSystem::Maximize(Hwnd window) {
  SimWindow& w = Window(window);
  if (w.placement.showCmd == sw::kShowNormal) w.placement.rcNormalPosition = w.rect;
  w.placement.showCmd = sw::kShowMaximized;
  w.placement.flags |= kWpfRestoreToMaximized;
  w.rect = {-4, -4, screen_.cx + 4, screen_.cy + 4};
}

void SimWindowSystem::Destroy(Hwnd window) {
  windows_.erase(window);
  waitingCalls_.erase(window);
  zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), window), zOrder_.end());
  if (foreground_ == window) foreground_ = 0;
}

bool SimWindowSystem::RegisterForeignHotKey(std::uint32_t modifiers, std::uint32_t vk) {
  return RegisterHotKey(0, -1, modifiers, vk);
}

void SimWindowSystem::Wake(Hwnd window) {
  SimWindow* w = Find(window);
  if (w == nullptr) return;
  w->hung = false;
  auto calls = std::move(waitingCalls_[window]);
  waitingCalls_.erase(window);
  for (auto& call : calls) call();
}

bool SimWindowSystem::QueueForWake(SimWindow& w, std::function<void()> call) {
  if (!holdAsync_ || !w.hung) return false;
  waitingCalls_[w.handle].push_back(std::move(call));
  return true;
}

void SimWindowSystem::ClearLog() {
  posted_.clear();
  foregroundRequests_.clear();
  batchesEnded_ = 0;
  movesOutsideBatch_ = 0;
  asyncCalls_ = 0;
  probes_ = 0;
  showCalls_ = 0;
  enableCalls_ = 0;
  blockingCallsOnHung_ = 0;
}

SimWindow* SimWindowSystem::Find(Hwnd window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

void SimWindowSystem::BringToTop(Hwnd window) {
  auto it = std::find(zOrder_.begin(), zOrder_.end(), window);
  if (it != zOrder_.end()) std::rotate(zOrder_.begin(), it, it + 1);
}

std::vector<Hwnd> SimWindowSystem::WindowsInZOrder() { return zOrder_; }

void SimWindowSystem::EnumWindows(const std::function<bool(Hwnd)>& callback) {
  // A copy, so a callback that destroys windows does not disturb the walk (as with user32).
  const std::vector<Hwnd> order = zOrder_;
  for (Hwnd window : order) {
    if (!callback(window)) break;
  }
}

Hwnd SimWindowSystem::GetOwner(Hwnd window) {
  const SimWindow* w = Find(window);
  return w ? w->owner : 0;
}

bool SimWindowSystem::IsWindow(Hwnd window) { return Find(window) != nullptr; }

bool SimWindowSystem::IsWindowVisible(Hwnd window) {
  const SimWindow* w = Find(window);
  return w && w->visible;
}

bool SimWindowSystem::IsWindowCloaked(Hwnd window) {
  const SimWindow* w = Find(window);
  return w && w->cloaked;
}

bool SimWindowSystem::IsWindowEnabled(Hwnd window) {
  const SimWindow* w = Find(window);
  return w && w->enabled;
}

std::string SimWindowSystem::GetWindowText(Hwnd window, int bufferChars) {
  const SimWindow* w = Find(window);
  if (!w || bufferChars <= 0) return {};
  return CutToUtf16Units(w->title, static_cast<std::size_t>(bufferChars - 1));
}

std::string SimWindowSystem::GetClassName(Hwnd window, int bufferChars) {
  const SimWindow* w = Find(window);
  if (!w || bufferChars <= 0) return {};
  return CutToUtf16Units(w->className, static_cast<std::size_t>(bufferChars - 1));
}

bool SimWindowSystem::GetWindowRect(Hwnd window, Rect& rect) {
  if (OnGetWindowRect) OnGetWindowRect(window);
  const SimWindow* w = Find(window);
  if (!w) return false;
  rect = w->rect;
  return true;
}

bool SimWindowSystem::GetWindowPlacement(Hwnd window, Placement& placement) {
  const SimWindow* w = Find(window);
  if (!w) return false;
  placement = w->placement;
  if (w->placement.showCmd == sw::kShowNormal || windowRectAsRestore_) {
    placement.rcNormalPosition = w->rect;
  }
  return true;
}

std::uintptr_t SimWindowSystem::GetClassIcon(Hwnd window) {
  const SimWindow* w = Find(window);
  return w ? w->classIcon : 0;
}

std::int32_t SimWindowSystem::GetExStyle(Hwnd window) {
  const SimWindow* w = Find(window);
  return w ? w->exStyle : 0;
}

bool SimWindowSystem::Responds(Hwnd window, unsigned) {
  ++probes_;
  if (OnSentMessages) OnSentMessages();
  const SimWindow* w = Find(window);
  return w && !w->hung;
}

std::uint32_t SimWindowSystem::GetWindowThreadId(Hwnd window) {
  const SimWindow* w = Find(window);
  if (!w) return 0;
  return w->thread != 0 ? w->thread : static_cast<std::uint32_t>(window);
}

bool SimWindowSystem::SetForegroundWindow(Hwnd window) {
  foregroundRequests_.push_back(window);
  if (!Find(window)) return false;
  foreground_ = window;
  BringToTop(window);
  return true;
}

void SimWindowSystem::Show(SimWindow& w, int command) {
  const bool wasIconic = IsIconicCommand(static_cast<int>(w.placement.showCmd));
  const bool wasMaximized = w.placement.showCmd == sw::kShowMaximized;
  switch (command) {
    case sw::kHide:
      w.visible = false;
      return;
    case sw::kShowNormal:
    case sw::kRestore:
      if (wasIconic || wasMaximized) {
        w.rect = w.placement.rcNormalPosition;
        // Restoring keeps the iconic position of the placement; the maximized flag goes.
        w.placement.flags &= ~kWpfRestoreToMaximized;
      }
      w.placement.showCmd = sw::kShowNormal;
      w.visible = true;
      return;
    case sw::kMinimize:
    case sw::kShowMinimized:
    case sw::kShowMinNoActive:
      Minimize(w.handle);
      w.visible = true;
      return;
    case sw::kShowMaximized:
      Maximize(w.handle);
      w.visible = true;
      return;
    default:
      w.visible = true;
      return;
  }
}

bool SimWindowSystem::ShowWindow(Hwnd window, int command) {
  ++showCalls_;
  if (OnShowWindow) OnShowWindow(window);
  if (OnSentMessages) OnSentMessages();
  SimWindow* w = Find(window);
  if (!w) return false;
  if (w->hung) ++blockingCallsOnHung_;
  const bool wasVisible = w->visible;
  Show(*w, command);
  return wasVisible;
}

bool SimWindowSystem::ShowWindowAsync(Hwnd window, int command) {
  ++asyncCalls_;
  ++showCalls_;
  SimWindow* w = Find(window);
  if (!w) return false;
  if (QueueForWake(*w, [this, window, command] {
        if (SimWindow* later = Find(window)) Show(*later, command);
      })) {
    return true;
  }
  Show(*w, command);
  return true;
}

void SimWindowSystem::EnableWindowAsync(Hwnd window, bool enable) {
  ++asyncCalls_;
  ++enableCalls_;
  SimWindow* w = Find(window);
  if (!w) return;
  if (QueueForWake(*w, [this, window, enable] {
        if (SimWindow* later = Find(window)) later->enabled = enable;
      })) {
    return;
  }
  w->enabled = enable;
}

bool SimWindowSystem::EnableWindow(Hwnd window, bool enable) {
  ++enableCalls_;
  if (OnEnableWindow) OnEnableWindow(window);
  SimWindow* w = Find(window);
  if (!w) return false;
  if (w->hung) ++blockingCallsOnHung_;
  const bool wasDisabled = !w->enabled;
  w->enabled = enable;
  return wasDisabled;
}

void SimWindowSystem::EnableWindows(const std::vector<std::pair<Hwnd, bool>>& windows,
                                    unsigned) {
  for (const auto& [window, enable] : windows) EnableWindow(window, enable);
}

DeferBatch SimWindowSystem::BeginDeferWindowPos(int count) {
  if (failBeginDefer_ || count < 0) return 0;
  const DeferBatch batch = nextBatch_++;
  batches_[batch].reserve(static_cast<std::size_t>(count));
  return batch;
}

DeferBatch SimWindowSystem::DeferWindowPos(DeferBatch batch, Hwnd window, Hwnd, int x, int y,
                                           int cx, int cy, std::uint32_t flags) {
  auto it = batches_.find(batch);
  if (it == batches_.end()) return 0;
  if (!Find(window) || window == refusedDefer_) {
    // user32 gives up the whole batch when one window is invalid.
    batches_.erase(it);
    return 0;
  }
  it->second.push_back({window, {x, y, x + cx, y + cy}, flags});
  return batch;
}

bool SimWindowSystem::EndDeferWindowPos(DeferBatch batch) {
  if (OnSentMessages) OnSentMessages();
  auto it = batches_.find(batch);
  if (it == batches_.end()) return false;
  for (const PendingMove& move : it->second) {
    if (SimWindow* w = Find(move.window)) {
      if (w->hung) ++blockingCallsOnHung_;
      Place(*w, move.rect.left, move.rect.top, move.rect.Width(), move.rect.Height(), move.flags);
    }
  }
  batches_.erase(it);
  ++batchesEnded_;
  return true;
}

void SimWindowSystem::Place(SimWindow& w, int x, int y, int cx, int cy, std::uint32_t flags) {
  if (OnPlace) OnPlace(w.handle);
  Rect r = w.rect;
  if (!(flags & kSwpNoMove)) {
    r.right = x + r.Width();
    r.bottom = y + r.Height();
    r.left = x;
    r.top = y;
  }
  if (!(flags & kSwpNoSize)) {
    r.right = r.left + cx;
    r.bottom = r.top + cy;
  }
  w.rect = r;
  if (flags & kSwpShowWindow) w.visible = true;
  if (flags & kSwpHideWindow) w.visible = false;
}

bool SimWindowSystem::SetWindowPos(Hwnd window, Hwnd, int x, int y, int cx, int cy,
                                   std::uint32_t flags) {
  SimWindow* w = Find(window);
  if (!w) return false;
  if (flags & kSwpAsyncWindowPos) {
    ++asyncCalls_;
  } else if (w->hung) {
    ++blockingCallsOnHung_;
  }
  ++movesOutsideBatch_;
  if ((flags & kSwpAsyncWindowPos) &&
      QueueForWake(*w, [this, window, x, y, cx, cy, flags] {
        if (SimWindow* later = Find(window)) Place(*later, x, y, cx, cy, flags);
      })) {
    return true;
  }
  Place(*w, x, y, cx, cy, flags);
  return true;
}

bool SimWindowSystem::MoveWindow(Hwnd window, int x, int y, int cx, int cy, bool) {
  SimWindow* w = Find(window);
  if (!w) return false;
  if (w->hung) ++blockingCallsOnHung_;
  ++movesOutsideBatch_;
  Place(*w, x, y, cx, cy, 0);
  return true;
}

bool SimWindowSystem::SetExStyle(Hwnd window, std::int32_t exStyle) {
  SimWindow* w = Find(window);
  if (!w) return false;
  w->exStyle = exStyle;
  return true;
}

bool SimWindowSystem::SetLayeredAlpha(Hwnd window, std::uint8_t alpha) {
  SimWindow* w = Find(window);
  if (!w || !(w->exStyle & kWsExLayered)) return false;
  w->alpha = alpha;
  w->layeredAlphaSet = true;
  return true;
}

bool SimWindowSystem::PostMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
  if (!Find(window)) return false;
  posted_.push_back({window, message, wParam, lParam});
  return true;
}

std::intptr_t SimWindowSystem::SendMessage(Hwnd window, std::uint32_t message,
                                           std::uintptr_t wParam, std::intptr_t lParam) {
  if (!Find(window)) return 0;
  posted_.push_back({window, message, wParam, lParam});
  return 0;
}

bool SimWindowSystem::RegisterHotKey(Hwnd window, int id, std::uint32_t modifiers,
                                     std::uint32_t virtualKey) {
  for (const HotKeyRegistration& r : hotKeys_) {
    if (r.modifiers == modifiers && r.virtualKey == virtualKey) return false;
  }
  hotKeys_.push_back({window, id, modifiers, virtualKey});
  return true;
}

bool SimWindowSystem::UnregisterHotKey(Hwnd window, int id) {
  auto it = std::find_if(hotKeys_.begin(), hotKeys_.end(), [&](const HotKeyRegistration& r) {
    return r.window == window && r.id == id;
  });
  if (it == hotKeys_.end()) return false;
  hotKeys_.erase(it);
  return true;
}

}  // namespace mirel::sim
