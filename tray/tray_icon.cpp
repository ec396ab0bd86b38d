#include "tray/tray_icon.h"

#include <utility>

#include "platform/utf.h"
#include "tray/tray_data.h"

namespace mirel {

namespace {

constexpr std::uint32_t kExitPollMilliseconds = 20;
constexpr std::size_t kMaxHintLength = 255;

std::uint32_t LowWord(std::uintptr_t value) { return static_cast<std::uint32_t>(value & 0xFFFF); }

bool Ask(const std::function<bool()>& question) { return question && question(); }

void Fire(const TTrayIcon::TNotifyEvent& event, TTrayIcon& sender) {
  if (event) event(sender);
}

TShiftState ButtonState(TMouseButton button) {
  switch (button) {
    case TMouseButton::mbLeft: return ssLeft;
    case TMouseButton::mbRight: return ssRight;
    case TMouseButton::mbMiddle: return ssMiddle;
  }
  return 0;
}

}  // namespace

TTrayIcon::TTrayIcon(ITrayPlatform& platform, TTrayIconOwner owner)
    : platform_(platform),
      owner_(std::move(owner)),
      lease_(platform, *this),
      icon_(platform),
      cycleTimer_(platform.Timers(), this, &CycleTimerTimer),
      clickTimer_(platform.Timers(), this, &ClickTimerTimer),
      exitTimer_(platform.Timers(), this, &ExitTimerTimer) {
  iconData_.Wnd = lease_.Handler().MessageWindow();
  iconData_.Id = lease_.IconId();
  if (owner_.ApplicationWindow != 0) {
    appHook_ = TScopedWindowHook(platform_, owner_.ApplicationWindow,
                                 [this](const TMessage& m) { ApplicationWindowMessage(m); });
  }
  if (owner_.OwnerWindow != 0) {
    ownerHook_ = TScopedWindowHook(platform_, owner_.OwnerWindow,
                                   [this](const TMessage& m) { OwnerWindowMessage(m); });
  }
}

TTrayIcon::~TTrayIcon() {
  DeleteTrayEntry();
  // The members then go in reverse order: timers, hooks, the icon copy, and last the
  // registration with the shared handler.
}

void TTrayIcon::Loaded() {
  if (owner_.OwnerWindow != 0) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(*this, showMainForm);
    if (!showMainForm) {
      if (owner_.DontShowMainForm) owner_.DontShowMainForm();
      HideToTray();
    }
  }
  ModifyTrayEntry();
  SetIconVisible(iconVisible_);
  SetCycleIcons(cycleIcons_);
  SetWantEnterExitEvents(wantEnterExitEvents_);
}

// --- Properties ----------------------------------------------------------------------------------

void TTrayIcon::SetIconVisible(bool visible) {
  if (visible) {
    AddTrayEntry();
  } else {
    DeleteTrayEntry();
  }
}

void TTrayIcon::SetIcon(IconHandle source) {
  icon_.CopyFrom(source);
  ModifyTrayEntry();
}

void TTrayIcon::SetHint(std::string_view hint) {
  hint_ = CutToUtf16Units(hint, kMaxHintLength);
  ModifyTrayEntry();
}

void TTrayIcon::SetShowHint(bool show) {
  showHint_ = show;
  ModifyTrayEntry();
}

void TTrayIcon::SetIconList(IIconList* list) {
  iconList_ = list;
  SetIconIndex(0);
}

void TTrayIcon::SetIconIndex(int index) {
  if (iconList_ != nullptr) {
    const int count = iconList_->Count();
    iconIndex_ = ClampIconIndex(index, count);
    if (count > 0) icon_.CopyFrom(iconList_->IconAt(iconIndex_));
  } else {
    iconIndex_ = 0;
  }
  ModifyTrayEntry();
}

void TTrayIcon::SetCycleIcons(bool cycle) {
  cycleIcons_ = cycle;
  if (cycle) {
    SetIconIndex(0);
    cycleTimer_.Start(cycleInterval_);
  } else {
    cycleTimer_.Stop();
  }
}

void TTrayIcon::SetCycleInterval(std::uint32_t milliseconds) {
  cycleInterval_ = milliseconds;
  SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetWantEnterExitEvents(bool want) {
  wantEnterExitEvents_ = want;
  if (want) {
    exitTimer_.Start(kExitPollMilliseconds);
  } else {
    exitTimer_.Stop();
  }
}

void TTrayIcon::Notification(const TPopupMenu* removed) {
  if (removed != nullptr && removed == PopupMenu) PopupMenu = nullptr;
}

void TTrayIcon::Notification(const IIconList* removed) {
  if (removed != nullptr && removed == iconList_) {
    iconList_ = nullptr;
    iconIndex_ = 0;
  }
}

// --- Shell entry ---------------------------------------------------------------------------------

void TTrayIcon::PrepareTrayData() {
  iconData_.Icon = icon_.get();
  iconData_.Tip = MakeTrayTip(hint_, showHint_);
}

// The shell refuses to add an entry it still holds (a "TaskbarCreated" broadcast while the
// taskbar lives on, minimising with the entry shown) and to modify one it lost (the taskbar was
// re-created unnoticed); the other message then brings the entry up to date.
bool TTrayIcon::ShowEntry(std::uint32_t first, std::uint32_t fallback) {
  PrepareTrayData();
  iconShown_ = platform_.NotifyIcon(first, iconData_) || platform_.NotifyIcon(fallback, iconData_);
  return iconShown_;
}

bool TTrayIcon::AddTrayEntry() {
  iconVisible_ = true;
  return ShowEntry(kNimAdd, kNimModify);
}

bool TTrayIcon::ModifyTrayEntry() {
  // An entry the program does not want shown has nothing to update.
  if (!iconVisible_) return false;
  return ShowEntry(kNimModify, kNimAdd);
}

bool TTrayIcon::DeleteTrayEntry() {
  iconVisible_ = false;
  iconShown_ = false;
  PrepareTrayData();
  return platform_.NotifyIcon(kNimDelete, iconData_);
}

void TTrayIcon::MinimizeIntoTray() {
  HideToTray();
  SetIconVisible(true);
}

void TTrayIcon::HideToTray() {
  if (owner_.OwnerWindow == 0 || !Ask(owner_.HasMainForm)) return;
  if (owner_.HideMainForm) owner_.HideMainForm();
  HideApplicationButton();
}

void TTrayIcon::HideApplicationButton() {
  if (platform_.IsWindowVisible(owner_.ApplicationWindow)) {
    platform_.ShowWindow(owner_.ApplicationWindow, sw::kHide);
  }
}

// --- Notifications -------------------------------------------------------------------------------

void TTrayIcon::HandleNotification(std::uint32_t message) {
  switch (message) {
    case kNinBalloonHide: return Fire(OnBalloonHintHide, *this);
    case kNinBalloonTimeout: return Fire(OnBalloonHintTimeout, *this);
    case kNinBalloonUserClick: return Fire(OnBalloonHintClick, *this);
    default: break;
  }
  if (!Enabled) return;
  switch (message) {
    case kWmMouseMove: return TrayMouseMove();
    case kWmLButtonDown: return TrayLButtonDown();
    case kWmLButtonUp: return TrayLButtonUp();
    case kWmLButtonDblClk: return TrayLButtonDblClk();
    case kWmRButtonDown: return TrayButtonDown(TMouseButton::mbRight);
    case kWmRButtonUp: return TrayButtonUp(TMouseButton::mbRight);
    case kWmMButtonDown: return TrayButtonDown(TMouseButton::mbMiddle);
    case kWmMButtonUp: return TrayButtonUp(TMouseButton::mbMiddle);
    default: return;  // the other double clicks and anything unknown
  }
}

void TTrayIcon::TrayMouseMove() {
  const TShiftState keys = Keys();
  const Point at = Pointer();
  if (wantEnterExitEvents_ && pointerOutside_) FireMouseEnter();
  pointerOutside_ = false;
  FireMouseMove(keys, at);
  lastPointer_ = at;
}

void TTrayIcon::TrayLButtonDown() {
  const TShiftState keys = Keys();
  const Point at = Pointer();
  // Only a program that tells double clicks apart makes a click wait for the double-click time.
  if (OnDblClick) clickTimer_.Start(platform_.GetDoubleClickTime());
  FireMouseDown(TMouseButton::mbLeft, keys | ssLeft, at);
  clickStarted_ = true;
  if (LeftPopup) ShowPopupAtPointer();
}

void TTrayIcon::TrayLButtonUp() {
  const TShiftState keys = Keys();
  const Point at = Pointer();
  if (clickStarted_) {
    clickReady_ = true;
    if (!clickTimer_.Active()) {
      clickStarted_ = false;
      clickReady_ = false;
      FireClick();
    }
  }
  clickStarted_ = false;
  FireMouseUp(TMouseButton::mbLeft, keys | ssLeft, at);
}

void TTrayIcon::TrayLButtonDblClk() {
  clickReady_ = false;
  doubleClickSeen_ = true;
  FireDblClick();
  ClickDefaultMenuItem();
}

void TTrayIcon::TrayButtonDown(TMouseButton button) {
  const TShiftState keys = Keys();
  const Point at = Pointer();
  FireMouseDown(button, keys | ButtonState(button), at);
  if (button == TMouseButton::mbRight) ShowPopupAtPointer();
}

void TTrayIcon::TrayButtonUp(TMouseButton button) {
  const TShiftState keys = Keys();
  const Point at = Pointer();
  FireMouseUp(button, keys | ButtonState(button), at);
}

void TTrayIcon::ClickDefaultMenuItem() {
  if (PopupMenu != nullptr && PopupMenu->AutoPopup && !LeftPopup) PopupMenu->ClickDefaultItem();
}

// A menu opened for a notification-area icon disappears when the user clicks elsewhere only if
// the program's window is the foreground window when it opens (TrackPopupMenu, Remarks); the
// message posted after it closes makes the next opening work as well.
void TTrayIcon::ShowPopupAtPointer() {
  if (PopupMenu == nullptr || !PopupMenu->AutoPopup) return;
  Point at;
  if (!platform_.GetCursorPos(at)) return;
  if (owner_.ApplicationWindow != 0) platform_.SetForegroundWindow(owner_.ApplicationWindow);
  if (owner_.ProcessMessages) {
    owner_.ProcessMessages();
  } else {
    platform_.ProcessMessages();
  }
  // The waiting messages may have removed the menu.
  if (PopupMenu == nullptr) return;
  PopupMenu->PopupComponent = this;
  PopupMenu->Popup(at.x, at.y);
  const Hwnd menuOwner = owner_.OwnerWindow != 0 ? owner_.OwnerWindow : owner_.ApplicationWindow;
  if (menuOwner != 0) platform_.PostMessage(menuOwner, kWmNull, 0, 0);
}

TShiftState TTrayIcon::Keys() {
  TShiftState keys = 0;
  if (platform_.IsKeyDown(kVkShift)) keys |= ssShift;
  if (platform_.IsKeyDown(kVkControl)) keys |= ssCtrl;
  if (platform_.IsKeyDown(kVkMenu)) keys |= ssAlt;
  return keys;
}

Point TTrayIcon::Pointer() {
  Point at;
  if (!platform_.GetCursorPos(at)) at = Point{};
  return at;
}

// --- Timers --------------------------------------------------------------------------------------

void TTrayIcon::ClickTimerTimer(void* owner) {
  auto& self = *static_cast<TTrayIcon*>(owner);
  self.clickTimer_.Stop();
  const bool report = !self.doubleClickSeen_ && self.clickReady_;
  self.doubleClickSeen_ = false;
  if (report) {
    self.clickReady_ = false;
    self.FireClick();
  }
}

void TTrayIcon::CycleTimerTimer(void* owner) {
  auto& self = *static_cast<TTrayIcon*>(owner);
  if (self.iconList_ == nullptr) return;
  if (self.iconList_->Count() > 0) {
    self.icon_.CopyFrom(self.iconList_->IconAt(self.iconIndex_));
    self.ModifyTrayEntry();
  }
  self.FireCycle(NextCycleIndex(self.iconIndex_, self.iconList_->Count()));
  // OnCycle may have changed or dropped the list.
  const int count = self.iconList_ != nullptr ? self.iconList_->Count() : 0;
  self.SetIconIndex(NextCycleIndex(self.iconIndex_, count));
}

// The shell reports no "pointer left" notification: while the pointer counts as inside, a
// position other than the last mouse-move notification's means it has left the entry.
void TTrayIcon::ExitTimerTimer(void* owner) {
  auto& self = *static_cast<TTrayIcon*>(owner);
  if (self.pointerOutside_) return;
  Point at;
  if (!self.platform_.GetCursorPos(at)) return;
  if (at != self.lastPointer_) {
    self.pointerOutside_ = true;
    self.FireMouseExit();
  }
}

// --- Hooked windows ------------------------------------------------------------------------------

void TTrayIcon::ApplicationWindowMessage(const TMessage& message) {
  const std::uint32_t taskbarCreated = platform_.TaskbarCreatedMessage();
  if (message.Msg == kWmSize) {
    if (message.WParam == kSizeMinimized && MinimizeToTray) MinimizeIntoTray();
  } else if (message.Msg == kWmWindowPosChanged) {
    if (startupCheckPending_) StartupCheck();
  } else if (taskbarCreated != 0 && message.Msg == taskbarCreated) {
    // The shell lost every entry: put back the ones the program wants.
    if (iconVisible_) AddTrayEntry();
  }
}

void TTrayIcon::StartupCheck() {
  if (!Ask(owner_.HasMainForm)) return;  // stays pending until there is a main form
  if (Ask(owner_.MainFormIsMdiParent)) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(*this, showMainForm);
    if (!showMainForm) HideApplicationButton();
  }
  startupCheckPending_ = false;
}

void TTrayIcon::OwnerWindowMessage(const TMessage& message) {
  if (message.Msg == kWmActivate) {
    const std::uint32_t state = LowWord(message.WParam);
    if (state != kWaActive && state != kWaClickActive) return;
    const Hwnd control = owner_.ActiveControl ? owner_.ActiveControl() : 0;
    if (control == 0) return;
    const Hwnd parent = platform_.GetParent(control);
    const Hwnd container = parent != 0 ? parent : control;
    if (container != static_cast<Hwnd>(message.LParam)) platform_.SetFocus(control);
  } else if (message.Msg == kWmShowWindow) {
    // Shown by a ShowWindow call (lParam 0), not by an owner being restored.
    if (message.WParam != 0 && message.LParam == 0) {
      platform_.SetForegroundWindow(owner_.ApplicationWindow);
      platform_.SetForegroundWindow(owner_.OwnerWindow);
    }
  }
}

// --- Events --------------------------------------------------------------------------------------

void TTrayIcon::FireClick() { Fire(OnClick, *this); }
void TTrayIcon::FireDblClick() { Fire(OnDblClick, *this); }
void TTrayIcon::FireMouseEnter() { Fire(OnMouseEnter, *this); }
void TTrayIcon::FireMouseExit() { Fire(OnMouseExit, *this); }

void TTrayIcon::FireCycle(int nextIndex) {
  if (OnCycle) OnCycle(*this, nextIndex);
}

void TTrayIcon::FireMouseDown(TMouseButton button, TShiftState shift, Point at) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, at.x, at.y);
}

void TTrayIcon::FireMouseUp(TMouseButton button, TShiftState shift, Point at) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, at.x, at.y);
}

void TTrayIcon::FireMouseMove(TShiftState shift, Point at) {
  if (OnMouseMove) OnMouseMove(*this, shift, at.x, at.y);
}

}  // namespace mirel
