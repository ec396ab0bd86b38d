// The main form's tray icons and tray menu.
#include "app/win32/main_form.h"
#include "tray/win32/tray_platform_win32.h"

namespace mirel::win32 {

void TVirtualDeskForm::BuildTrayPopup() {
  TrayPopup_ = std::make_unique<TMenuPopup>(Handle(), &IconImageList_);
  TMenuItem& items = TrayPopup_->Items;
  // Items bound to an action take its caption and image and run it.
  auto actionItem = [this](TMenuItem& parent, const char* name) {
    TAction* action = ActionManager1_.Find(name);
    TMenuItem& item = parent.Add(action->Caption);
    item.ImageIndex = action->ImageIndex;
    item.OnClick = [this, action](const TMenuItem&) { ActionManager1_.Execute(*action); };
    return &item;
  };
  actionItem(items, "ControlPanelAction");
  items.AddSeparator();
  actionItem(items, "MonitorOffAction");
  actionItem(items, "SleepTimerAction");
  items.AddSeparator();
  mSwitchTo_ = &items.Add("Switch To");
  mSwitchTo_->OnPopup = [this](TMenuItem& list) {
    trayLists_.Fill(list, true, [this](const TMenuItem& item) { SwitchToClick(item); });
  };
  mMoveHere_ = &items.Add("Move here");
  mMoveHere_->OnPopup = [this](TMenuItem& list) {
    trayLists_.Fill(list, false, [this](const TMenuItem& item) { MoveHereClick(item); });
  };
  AddMoveActiveWindowMenu(items);
  items.AddSeparator();
  TMenuItem& help = items.Add("Help");
  help.ImageIndex = 10;
  actionItem(help, "HowtouseAction");
  help.AddSeparator();
  actionItem(help, "AboutAction");
  actionItem(items, "ExitAction");
  TrayPopup_->OnPopup = [this](TPopupMenu&) { PopupMenu1Popup(); };
}

// The lists of windows are filled when their submenus open (trayLists_): the menu appears at once
// however many windows there are.
void TVirtualDeskForm::PopupMenu1Popup() {
  trayLists_.MenuOpens();
  for (std::size_t d = 0; d < mMoveActiveWindow_->Count(); ++d) {
    (*mMoveActiveWindow_)[d].Enabled = d != engine_.CurrentDesktop();
  }
}

void TVirtualDeskForm::MoveHereClick(const TMenuItem& item) {
  engine_.Request([this, tag = item.Tag] { engine_.MoveHereClick(tag); });
}

void TVirtualDeskForm::SwitchToClick(const TMenuItem& item) {
  engine_.Request([this, tag = item.Tag] { engine_.SwitchToClick(tag); });
}

void TVirtualDeskForm::CreateTrayIcons() {
  trayPlatform_ = CreateWin32TrayPlatform(
      [this](const std::string& message) { app_.ShowException(message); });
  for (int n = 1; n <= 4; ++n) {
    TTrayIconOwner owner;
    owner.ApplicationWindow = reinterpret_cast<Hwnd>(app_.Handle());
    owner.OwnerWindow = reinterpret_cast<Hwnd>(Handle());
    owner.HasMainForm = [] { return true; };
    owner.MainFormIsMdiParent = [] { return false; };
    owner.ActiveControl = [this]() -> Hwnd {
      HWND focus = ::GetFocus();
      return (focus != nullptr && ::IsChild(Handle(), focus)) ? reinterpret_cast<Hwnd>(focus) : 0;
    };
    owner.HideMainForm = [this] { Hide(); };
    owner.DontShowMainForm = [this] { app_.SetShowMainForm(false); };
    owner.ProcessMessages = [this] { app_.ProcessMessages(); };
    auto icon = std::make_unique<TTrayIcon>(*trayPlatform_, std::move(owner));
    icon->SetCycleInterval(0);
    icon->SetIcon(TrayImages_.IconAt(n - 1));
    icon->PopupMenu = TrayPopup_.get();
    icon->MinimizeToTray = true;
    icon->OnClick = [this, n](TTrayIcon&) { TrayIconClick(n); };
    // Before the menu opens and takes the foreground: the window "Move active window to" moves.
    icon->OnMouseDown = [this](TTrayIcon&, TMouseButton button, TShiftState, int, int) {
      if (button == TMouseButton::mbRight) activeBeforeMenu_ = ws_.GetForegroundWindow();
    };
    icon->Loaded();
    trayIcons_[static_cast<std::size_t>(n - 1)] = std::move(icon);
  }
}

}  // namespace mirel::win32
