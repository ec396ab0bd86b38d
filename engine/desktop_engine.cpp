#include "engine/desktop_engine.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

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

bool IsIconicOrMaximized(std::uint32_t showCmd) {
  return showCmd == sw::kShowMinimized || showCmd == sw::kShowMaximized ||
         showCmd == sw::kMinimize || showCmd == sw::kShowMinNoActive;
}

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
  auto [it, inserted] = threadAnswers_.try_emplace(thread, true);
  if (inserted) it->second = ws_.Responds(window, kAnswerTimeoutMs);
  return it->second;
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
  for (Hwnd window : ws_.WindowsInZOrder()) {
    if (window == mainWindow || window == appWindow) continue;
    if (IsOverlay(window)) continue;
    if (!ws_.IsWindowVisible(window) && IndexOfHidden(window) < 0) continue;
    const std::string title = GetWindowTitle(ws_, window);
    if (title.empty() || title == kProgramManager) continue;
    if (IsNotificationArea(window)) continue;
    managedWindows_.push_back(window);
  }
  // Forget the answers for windows that have gone (handles are reused).
  if (notificationArea_.size() > 2 * managedWindows_.size() + 64) notificationArea_.clear();
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
      std::make_unique<THiddenListItem>(THiddenListItem{window, wasForeground, wasEnabled}));
}

int TDesktopEngine::DesktopOfWindow(Hwnd window) {
  Rect r;
  ws_.GetWindowRect(window, r);
  return DesktopOfRect(r);
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
  for (Hwnd window : managedWindows_) {
    const bool answers = Answers(window);
    // Every window is to be in the normal state before it is measured. Showing one that already
    // is changes nothing but costs a round trip to its thread, the largest part of a switch after
    // the batch itself. A window the hiding option holds hidden stays hidden here: the hiding
    // pass that follows every switch shows it when its desktop comes on screen, and otherwise it
    // would be shown only to be hidden again.
    Placement placement;
    const bool normal =
        ws_.GetWindowPlacement(window, placement) && placement.showCmd == sw::kShowNormal;
    if (!normal) {
      if (answers) {
        ws_.ShowWindow(window, sw::kShowNormal);
      } else {
        ws_.ShowWindowAsync(window, sw::kShowNormal);
      }
      ws_.GetWindowPlacement(window, placement);
    }
    const Rect r = LandingRect(window, answers);
    std::int32_t limitX = 0;
    std::int32_t limitY = 0;
    ShiftLimits(placement, limitX, limitY);
    if (std::abs(std::int64_t{r.left}) < std::abs(std::int64_t{limitX}) &&
        std::abs(std::int64_t{r.top}) < std::abs(std::int64_t{limitY})) {
      (answers ? moves : stuckMoves).push_back({window, r, OffsetRect(r, {dx, dy})});
    }
  }
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
  places_.clear();
  RememberPlaces(moves, to);
  RememberPlaces(stuckMoves, to);
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
                                 m.to.Width(), m.to.Height(), kBatchFlags);
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
  // behind on a desktop that has gone.
  for (const TMove& m : refused) {
    if (!ws_.IsWindow(m.window)) continue;
    ws_.SetWindowPos(m.window, 0, m.to.left, m.to.top, 0, 0, kBatchFlags);
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
  for (auto it = managedWindows_.rbegin(); it != managedWindows_.rend(); ++it) {
    const Hwnd window = *it;
    Placement placement;
    ws_.GetWindowPlacement(window, placement);
    const bool keep = IsIconicOrMaximized(placement.showCmd) ||
                      LandingDesktop(window) == desktop || IsOverlay(window) ||
                      (config_.StickyWindows && config_.StickyWindows->IsSticky(ws_, window));
    const int hiddenIndex = IndexOfHidden(window);
    if (hiddenIndex >= 0 && static_cast<std::size_t>(hiddenIndex) < met.size()) {
      met[static_cast<std::size_t>(hiddenIndex)] = true;
    }
    if (keep) {
      KeepWindow(window, hiddenIndex, placement);
    } else {
      // A window hidden by an earlier pass keeps its one entry; only WasForeground is refreshed.
      if (hiddenIndex >= 0) {
        hiddenWindows_[static_cast<std::size_t>(hiddenIndex)]->WasForeground =
            lastForeground_ == window;
      } else {
        AddHiddenEntry(window, lastForeground_ == window, ws_.IsWindowEnabled(window));
      }
      HideWindow(window);
    }
  }
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
  if (!answers || !ws_.IsWindowVisible(window) || placement.showCmd != sw::kShowNormal) {
    ShowWithoutWaiting(window, sw::kRestore);
  }
  if (hiddenIndex < 0) {
    ForgetHiddenApp(window);
    return;
  }
  // Only what the program disabled is enabled: an application may have disabled its own window
  // on purpose (the owner of a modal dialog).
  auto& entry = hiddenWindows_[static_cast<std::size_t>(hiddenIndex)];
  if (entry->WasEnabled && (!answers || !ws_.IsWindowEnabled(window))) {
    EnableWithoutWaiting(window, true);
  }
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
  registry_.SetString(key, HandleValueName(window), GetWindowTitle(ws_, window));
  singleKey_.Reset();
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
    // onto the screen from another cell; otherwise its rectangle does.
    Rect before = r;
    int desktop = mirel::DesktopOfRect(from, current, r);
    if (const auto place = places_.find(window); usePlaces && place != places_.end()) {
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
    (target == r ? staying : answers ? moves : stuck).push_back({window, r, target});
  }
  if (!moves.empty() || !stuck.empty()) PlaceWindows(moves, stuck);
  places_.clear();
  for (const auto* list : {&moves, &stuck, &staying}) RememberPlaces(*list, current);
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
    (Answers(w.Handle) ? moves : stuck).push_back({w.Handle, r, OffsetRect(r, record.Delta)});
  }
  if (!moves.empty() || !stuck.empty()) PlaceWindows(moves, stuck);
  currentDesktop_ = static_cast<std::uint16_t>(record.To);
}

void TDesktopEngine::TakeOverDesktops(bool recovered) {
  threadAnswers_.clear();
  const TDesktopState state = record_.Read();
  const TDesktopLayout live = ChooseLayout(ws_.VirtualScreen());
  layout_ = state.Layout.value_or(live);
  currentDesktop_ = static_cast<std::uint16_t>(state.Current.value_or(0));
  if (state.Switch) FinishRecordedSwitch(*state.Switch);
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
    host_.ShowOverlay(target, "Desktop " + std::to_string(currentDesktop_ + 1));
  }
  host_.RepaintVisualManagerIfShowing();
}

void TDesktopEngine::MoveWindowToDesktop(Hwnd window, int desktop) {
  FollowLayout();
  threadAnswers_.clear();
  PlaceInCell(window, desktop);
}

void TDesktopEngine::PlaceInCell(Hwnd window, int desktop) {
  if (!layout_.Valid()) return;
  const Size screen = layout_.Cell();
  const bool answers = Answers(window);
  Rect r = LandingRect(window, answers);
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
  r = LandingRect(window, answers);
  const int x = static_cast<int>(offset.x + x0);
  const int y = static_cast<int>(offset.y + y0);
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
