#include "engine/desktop_engine.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <optional>

#include "engine/win2tree.h"

namespace mirel {

namespace {

constexpr const char* kProgramManager = "Program Manager";
// The notification area belongs to the shell, not to a desktop. Windows' taskbar has no title and
// is skipped with the untitled windows; Wine's stand-alone tray (no virtual desktop) has one, and
// hiding it would take the program's own icons away.
constexpr const char* kTaskbarClass = "Shell_TrayWnd";
constexpr const char* kStandaloneTrayClass = "__winex11_standalone_tray";
// Windows whose left or top lies this far out (or further) are parked by their application and
// never moved; the layout pushes the bound out to the far edge of its grid.
constexpr std::int32_t kParkingBound = 10000;
// How long a window's thread may take to answer before it counts as stuck for this pass.
constexpr unsigned kAnswerTimeoutMs = 50;
// How long a switch waits for the windows it enables and disables side by side; their threads
// answered just before, so only one that hangs in between makes it wait this long.
constexpr unsigned kEnableTimeoutMs = 1000;

bool IsIconic(std::uint32_t showCmd) {
  return showCmd == sw::kShowMinimized || showCmd == sw::kMinimize ||
         showCmd == sw::kShowMinNoActive;
}

bool IsIconicOrMaximized(std::uint32_t showCmd) {
  return IsIconic(showCmd) || showCmd == sw::kShowMaximized;
}

Point TopLeft(const Rect& r) { return {r.left, r.top}; }

std::string HandleValueName(Hwnd window) { return std::to_string(window); }

// A value name written by RecordHiddenApp: an unsigned decimal handle without leading zeros.
bool ParseHandleValueName(const std::string& name, Hwnd& window) {
  if (name.empty() || (name.size() > 1 && name[0] == '0')) return false;
  const char* end = name.data() + name.size();
  auto [ptr, ec] = std::from_chars(name.data(), end, window);
  return ec == std::errc() && ptr == end && window != 0;
}

std::string RegText(const RegValue& value) {
  std::string text(value.data.begin(), value.data.end());
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace

TDesktopEngine::TDesktopEngine(IWindowSystem& ws, IRegistry& registry, TsDeskCFG& config,
                               IEngineHost& host)
    : ws_(ws),
      registry_(registry),
      config_(config),
      host_(host),
      record_(registry),
      layout_(ChooseLayout(ws.VirtualScreen())) {}

// ------------------------------------------------------------------------------------------------
// Desktop model
// ------------------------------------------------------------------------------------------------

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
  managedVisible_.clear();
  managedTitles_.clear();
  plan_.clear();
  lastForeground_ = ws_.GetForegroundWindow();
  const Hwnd mainWindow = host_.MainWindow();
  const Hwnd appWindow = host_.ApplicationWindow();
  for (Hwnd window : ws_.WindowsInZOrder()) {
    if (window == mainWindow || window == appWindow) continue;
    if (IsOverlay(window)) continue;
    const bool hiddenByUs = IndexOfHidden(window) >= 0;
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
    managedVisible_.push_back(visible);
    managedTitles_.push_back(title);
  }
  // Forget the answers for windows that have gone (handles are reused).
  if (notificationArea_.size() > 2 * managedWindows_.size() + 64) notificationArea_.clear();
}

bool TDesktopEngine::HeldOffScreen(Hwnd window) {
  const auto place = places_.find(window);
  return place != places_.end() && DesktopOfRect(place->second.rect) != currentDesktop_;
}

bool TDesktopEngine::IsNotificationArea(Hwnd window) {
  // Asked once per window: the class does not change, and a switch must not pay for it again.
  auto [it, inserted] = notificationArea_.try_emplace(window, false);
  if (inserted) {
    const std::string className = GetWindowClass(ws_, window);
    it->second = className == kTaskbarClass || className == kStandaloneTrayClass;
  }
  return it->second;
}

int TDesktopEngine::IndexOfHidden(Hwnd window) const {
  if (!config_.HideApps) return -1;
  const auto it = hiddenIndex_.find(window);
  return it == hiddenIndex_.end() ? -1 : static_cast<int>(it->second);
}

void TDesktopEngine::AddHiddenEntry(Hwnd window, bool wasForeground, bool wasEnabled) {
  hiddenIndex_.emplace(window, hiddenWindows_.size());
  hiddenWindows_.push_back(
      std::make_unique<THiddenListItem>(THiddenListItem{window, wasForeground, wasEnabled, {}}));
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
  const auto queued = queuedMoves_.find(window);
  if (queued == queuedMoves_.end()) return r;
  if (answers) {
    queuedMoves_.erase(queued);
    return r;
  }
  return queued->second;
}

int TDesktopEngine::LandingDesktop(Hwnd window) {
  if (!queuedMoves_.contains(window)) return DesktopOfWindow(window);
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

void TDesktopEngine::ShiftWindows(std::int32_t dx, std::int32_t dy) {
  Shift(dx, dy, currentDesktop_, currentDesktop_);
}

void TDesktopEngine::Shift(std::int32_t dx, std::int32_t dy, int from, int to) {
  RefreshWindowList();
  if (managedWindows_.empty()) return;

  threadAnswers_.clear();
  std::erase_if(queuedMoves_, [this](const auto& entry) { return !ws_.IsWindow(entry.first); });
  std::vector<TMove> moves;
  std::vector<TMove> stuckMoves;
  moves.reserve(managedWindows_.size());
  bool homesChanged = false;
  for (std::size_t slot = 0; slot < managedWindows_.size(); ++slot) {
    const Hwnd window = managedWindows_[slot];
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
      if (!answers && placed && !queuedMoves_.contains(window)) {
        restoredLater = placement.rcNormalPosition;
      }
      if (answers) {
        ws_.ShowWindow(window, sw::kShowNormal);
      } else {
        ws_.ShowWindowAsync(window, sw::kShowNormal);
      }
      // Showing it normally shows it: one held hidden in that state is now to be hidden again.
      managedVisible_[slot] = true;
      ws_.GetWindowPlacement(window, placement);
    }
    const Rect r = restoredLater.value_or(LandingRect(window, answers));
    Rect at = OffsetRect(r, restoreShift);
    if (!restoreHomes_.empty() && placement.showCmd == sw::kShowNormal) {
      homesChanged |= ComeHome(window, placement, r, at);
    }
    std::int32_t limitX = 0;
    std::int32_t limitY = 0;
    ShiftLimits(placement, limitX, limitY);
    if (std::abs(std::int64_t{r.left}) < std::abs(std::int64_t{limitX}) &&
        std::abs(std::int64_t{r.top}) < std::abs(std::int64_t{limitY})) {
      (answers ? moves : stuckMoves)
          .push_back({window, r, OffsetRect(at, {dx, dy}), placement.showCmd, 0, slot});
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
  places_.clear();
  RememberPlaces(moves, to);
  RememberPlaces(stuckMoves, to);
  homesChanged |= std::erase_if(restoreHomes_, [this](const auto& entry) {
                    return !ws_.IsWindow(entry.first);
                  }) > 0;
  if (homesChanged) SaveHomes();
}

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
  const auto it = restoreHomes_.find(window);
  const bool sameRestore =
      it != restoreHomes_.end() && it->second.RestoreTopLeft == TopLeft(restore);
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
  if (sameRestore && it->second == taken) return false;
  restoreHomes_[window] = taken;
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
  if (const auto place = places_.find(window); place != places_.end()) {
    return OffsetRect(place->second.rect, layout_.Offset(currentDesktop_, place->second.current));
  }
  const Rect& screen = layout_.Screen;
  return {screen.left, screen.top, screen.left + restore.Width(), screen.top + restore.Height()};
}

Rect TDesktopEngine::HomeRect(Hwnd window, const Placement& placement, const Rect& windowRect) {
  const Rect& restore = placement.rcNormalPosition;
  const auto it = restoreHomes_.find(window);
  if (it == restoreHomes_.end() || it->second.RestoreTopLeft != TopLeft(restore)) {
    return KnownRestoreRect(window, placement, windowRect);
  }
  const Size size{restore.Width(), restore.Height()};
  const Point p = ScreenFromPlane(layout_, currentDesktop_, it->second.PlaneTopLeft, size);
  return {p.x, p.y, p.x + size.cx, p.y + size.cy};
}

bool TDesktopEngine::ComeHome(Hwnd window, const Placement& placement, const Rect& r, Rect& at) {
  const auto it = restoreHomes_.find(window);
  if (it == restoreHomes_.end()) return false;
  if (it->second.RestoreTopLeft == TopLeft(placement.rcNormalPosition)) {
    const Rect home = HomeRect(window, placement, r);
    const Rect& restore = placement.rcNormalPosition;
    at = OffsetRect(r, {home.left - restore.left, home.top - restore.top});
  }
  restoreHomes_.erase(it);
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
  restoreHomes_[window] = {window, TopLeft(placement.rcNormalPosition), TopLeft(plane)};
  SaveHomes();
  return true;
}

void TDesktopEngine::SaveHomes() {
  std::vector<TRestoreHome> homes;
  homes.reserve(restoreHomes_.size());
  for (const auto& entry : restoreHomes_) homes.push_back(entry.second);
  std::sort(homes.begin(), homes.end(),
            [](const TRestoreHome& a, const TRestoreHome& b) { return a.Handle < b.Handle; });
  record_.WriteRestoreHomes(homes);
}

void TDesktopEngine::PlanHiding(std::vector<TMove>& moves, int to) {
  const TPassKey passKey(*this);
  plan_.assign(managedWindows_.size(), kUnplanned);
  std::vector<std::pair<Hwnd, bool>> enable;
  // Bottom first, as the hiding pass walks: when the record cannot be written, the windows from
  // there up are left to the pass, which reports the failure at the same window.
  for (auto it = moves.rbegin(); it != moves.rend(); ++it) {
    TMove& m = *it;
    const bool shown = managedVisible_[m.slot];
    const bool stays =
        StaysShown(m.window, m.showCmd, mirel::DesktopOfRect(layout_, to, m.to) == to);
    const int hiddenIndex = IndexOfHidden(m.window);
    if (stays && hiddenIndex >= 0) {
      // Enabled before it is shown: a window that is shown is never disabled. One its application
      // showed while it was held hidden is visible already, and still disabled.
      if (hiddenWindows_[static_cast<std::size_t>(hiddenIndex)]->WasEnabled &&
          !ws_.IsWindowEnabled(m.window)) {
        enable.emplace_back(m.window, true);
      }
      if (!shown) m.flags = kSwpShowWindow;
    } else if (!stays && shown) {
      // Recorded before it is hidden: a run killed after the batch gives it back at its start.
      if (HiddenAppsKey() == 0) break;
      if (hiddenIndex < 0) {
        AddHiddenEntry(m.window, lastForeground_ == m.window, ws_.IsWindowEnabled(m.window));
      }
      RecordHiddenApp(m.window);
      m.flags = kSwpHideWindow;
    } else if (stays != shown) {
      continue;  // not the program's to show: the hiding pass decides
    }
    plan_[m.slot] = stays ? kPlannedShown : kPlannedHidden;
  }
  ws_.EnableWindows(enable, kEnableTimeoutMs);
}

bool TDesktopEngine::StaysShown(Hwnd window, std::uint32_t showCmd, bool onDesktop) {
  // Kept in its state by switches, a minimized or maximized window of another desktop is hidden
  // like any other; otherwise it is one the user changed since the switch, and stays.
  return (!config_.KeepWindowState && IsIconicOrMaximized(showCmd)) || onDesktop ||
         IsOverlay(window) ||
         (config_.StickyWindows && config_.StickyWindows->IsSticky(ws_, window));
}

void TDesktopEngine::PlaceWindows(std::vector<TMove>& moves, const std::vector<TMove>& stuck) {
  // A window whose thread is stuck would hold up the whole batch: it gets its move queued and
  // lands on its desktop once its thread wakes.
  for (const TMove& m : stuck) {
    ws_.SetWindowPos(m.window, 0, m.to.left, m.to.top, 0, 0,
                     kSwpNoSize | kSwpNoZOrder | kSwpNoActivate | kSwpAsyncWindowPos);
    queuedMoves_[m.window] = m.to;
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
  for (const TMove& m : moves) places_[m.window] = {m.to, current};
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

// ------------------------------------------------------------------------------------------------
// Monitors
// ------------------------------------------------------------------------------------------------

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
    if (const auto place = places_.find(window);
        usePlaces && monitorsChanged && desktop == current && place != places_.end()) {
      const int placed = mirel::DesktopOfRect(from, place->second.current, place->second.rect);
      if (place->second.current == current && placed != current && placed >= 0 &&
          placed < kDesktopCount && r != place->second.rect) {
        desktop = placed;
        before = place->second.rect;
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
        .push_back({window, r, target, sw::kShowNormal, 0, kNoSlot});
  }
  if (!moves.empty() || !stuck.empty()) PlaceWindows(moves, stuck);
  places_.clear();
  for (const auto* list : {&moves, &stuck, &staying}) RememberPlaces(*list, current);
  RemapHomes(from, to, monitors);
}

void TDesktopEngine::RemapHomes(const TDesktopLayout& from, const TDesktopLayout& to,
                                const std::vector<MonitorInfo>& monitors) {
  if (restoreHomes_.empty()) return;
  const int current = currentDesktop_;
  for (auto& [window, home] : restoreHomes_) {
    Placement placement;
    if (!ws_.GetWindowPlacement(window, placement)) continue;
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

// ------------------------------------------------------------------------------------------------
// Keeping windows safe across runs
// ------------------------------------------------------------------------------------------------

void TDesktopEngine::ShowAndForget(const THiddenListItem& entry) {
  ShowWithoutWaiting(entry.Handle, sw::kShowNa);
  if (entry.WasEnabled) EnableWithoutWaiting(entry.Handle, true);
  ForgetHiddenApp(entry.Handle);
}

void TDesktopEngine::ReleaseHiddenWindows() {
  threadAnswers_.clear();
  const TPassKey passKey(*this);
  std::vector<std::unique_ptr<THiddenListItem>> held;
  held.swap(hiddenWindows_);
  hiddenIndex_.clear();
  for (const auto& entry : held) {
    if (entry) ShowAndForget(*entry);
  }
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
      if (config_.HideApps && IndexOfHidden(window) < 0) {
        AddHiddenEntry(window, false, true);
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
        .push_back({w.Handle, r, OffsetRect(r, record.Delta), sw::kShowNormal, 0, kNoSlot});
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
    if (onPlane && ws_.IsWindow(home.Handle)) restoreHomes_[home.Handle] = home;
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

// ------------------------------------------------------------------------------------------------
// Switching
// ------------------------------------------------------------------------------------------------

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
  places_[window] = {{x, y, x + r.Width(), y + r.Height()}, currentDesktop_};
  if (answers) {
    ws_.MoveWindow(window, x, y, r.Width(), r.Height(), true);
  } else {
    ws_.SetWindowPos(window, 0, x, y, r.Width(), r.Height(),
                     kSwpNoZOrder | kSwpNoActivate | kSwpAsyncWindowPos);
    queuedMoves_[window] = {x, y, x + r.Width(), y + r.Height()};
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
