// The main form: creation and destruction, actions, toolbar and the desktop entry points.
#include "app/win32/main_form.h"

#include <commctrl.h>

#include "app/app_names.h"
#include "app/tray_marks.h"
#include "app/win32/about_form.h"
#include "app/win32/desktop_name_form.h"
#include "app/win32/sleep_timer_form.h"
#include "app/win32/transparency_form.h"
#include "app/win32/resource.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr int kClientWidth = 496;
constexpr int kClientHeight = 322;
constexpr int kToolBarHeight = 26;
// Toolbar highlight colour (red 0xE2, green 0xE1, blue 0xDB).
constexpr COLORREF kToolBarHighlight = 14410210;
constexpr std::uint16_t kAltF4 = 0x8073;

// Whether another copy of the program runs in this session: the first copy holds the mutex for
// the life of its process.
bool AnotherCopyRuns() {
  static const bool another = [] {
    static const win32::UniqueKernelHandle mutex(
        ::CreateMutexW(nullptr, FALSE, L"Local\\Mirel Virtual Desktop"));
    return mutex && ::GetLastError() == ERROR_ALREADY_EXISTS;
  }();
  return another;
}

}  // namespace

TVirtualDeskForm::TVirtualDeskForm(TApplication& app)
    : TForm(app), engine_(ws_, registry_, DeskCFG, *this) {
  TFormStyle style;
  style.className = kMainFormClass;
  style.caption = kAppTitle;
  // Single fixed border, no caption buttons and no system menu; a taskbar button while shown.
  style.style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  style.exStyle = WS_EX_APPWINDOW;
  style.clientWidth = kClientWidth;
  style.clientHeight = kClientHeight;
  style.owner = app.Handle();
  CreateForm(style, TPosition::poScreenCenter);

  LoadPictures();
  CreateActions();
  CreateToolBar();
  CreatePages();
  ApplyPictures();
  BuildTrayPopup();
  CreateTrayIcons();

  // An error inside the creation handler ends it there; the main window is then shown.
  try {
    FormCreate();
  } catch (const std::exception& error) {
    app.ShowException(error.what());
  }
}

TVirtualDeskForm::~TVirtualDeskForm() {
  ShutDown();
  // The tray icons leave the notification area, newest first, before the window goes.
  for (auto it = trayIcons_.rbegin(); it != trayIcons_.rend(); ++it) it->reset();
  trayPlatform_.reset();
}

// ------------------------------------------------------------------------------------------------
// Creation and destruction
// ------------------------------------------------------------------------------------------------

void TVirtualDeskForm::FormCreate() {
  engine_.Request([this] {
    engine_.RefreshWindowList();
    LoadSettings();
    // Windows that an earlier run left hidden (it was killed or crashed) are taken back, and the
    // desktop it left on screen is taken over; the records of a copy that still runs are its own.
    const bool alone = !AnotherCopyRuns();
    const bool recovered = alone && engine_.RecoverHiddenApps();
    engine_.TakeOverDesktops(recovered, !alone);
  });
  if (const int desktop = engine_.CurrentDesktop(); desktop != 0 || TrayFollows()) {
    ShowDesktopChosen(desktop);
  } else {
    UpdateTrayIcons(-1);  // the tooltips name the desktops
  }
  for (int n = 4; n >= 1; --n) trayIcons_[static_cast<std::size_t>(n - 1)]->SetIconVisible(true);
  app_.SetShowMainForm(false);
  SelectPage(0);
  RegisterHotKeys();
  StartWindowRules();
}

void TVirtualDeskForm::FormDestroy() {
  StopWindowRules();
  UnregisterHotKeys();
  auto report = [this](const std::exception& error) { app_.ShowException(error.what()); };
  // Asked at the end of the session while a switch waits, this runs once the switch is over.
  engine_.Request([this, report] {
    try {
      engine_.SwitchToDesktop(0);
    } catch (const std::exception& error) {
      report(error);
    }
    // No window stays hidden once the program has gone.
    engine_.ReleaseHiddenWindows();
  });
  try {
    SaveSettings();
  } catch (const std::exception& error) {
    report(error);
  }
}

void TVirtualDeskForm::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  FormDestroy();
}

// ------------------------------------------------------------------------------------------------
// Actions and toolbar
// ------------------------------------------------------------------------------------------------

void TVirtualDeskForm::CreateActions() {
  auto add = [this](std::string name, std::string category, std::string caption, std::string hint,
                    int image, std::function<void()> execute) -> TAction& {
    TAction action;
    action.Name = std::move(name);
    action.Category = std::move(category);
    action.Caption = std::move(caption);
    action.Hint = std::move(hint);
    action.ImageIndex = image;
    action.OnExecute = std::move(execute);
    return ActionManager1_.Add(std::move(action));
  };
  add("ControlPanelAction", "File", "Control panel", "Show control panel", 12,
      [this] { ControlPanelActionExecute(); });
  add("MonitorOffAction", "File", "Turn off monitor", "Turn off monitor", 16,
      [this] { MonitorOffActionExecute(); });
  add("SleepTimerAction", "File", "Sleep timer", "Sleep timer", 17,
      [this] { SleepTimerActionExecute(); });
  add("HideAction", "File", "Hide", "Hide options window", 15, [this] { HideActionExecute(); })
      .ShortCut = kAltF4;
  add("ExitAction", "File", "Exit", "Exit from Mirel Virtual Desktop", 8,
      [this] { ExitActionExecute(); });
  const char* deskHints[4] = {"Show Desktop 1", "Show Desktop 2", "Show Desktop 3", "Desktop 4"};
  for (int n = 1; n <= 4; ++n) {
    TAction& desk = add("ButtonDesk" + std::to_string(n), "Desktop", "Desktop " + std::to_string(n),
                        deskHints[n - 1], n - 1, [this, n] { ButtonDeskClick(n); });
    desk.AutoCheck = true;
    desk.GroupIndex = 1;
  }
  add("HowtouseAction", "Help", "How to use", "How to use Mirel Virtual Desktop", 10,
      [this] { HowtouseActionExecute(); });
  add("AboutAction", "Help", "About Mirel Virtual Desktop", "About Mirel Virtual Desktop", 11,
      [this] { AboutActionExecute(); });
  add("CloseWindowAction", "Window", "Close", "Close selected window", 13,
      [this] { CloseWindowActionExecute(); });
  add("MakeTransparentAction", "Window", "Make transparent", "", 14,
      [this] { MakeTransparentActionExecute(); });
  ActionManager1_.OnChange = [this] { SyncToolBar(); };
}

void TVirtualDeskForm::CreateToolBar() {
  ActionToolBar1_ = CreateControl(Handle(), TOOLBARCLASSNAMEW, "",
                                  TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                                      CCS_NOPARENTALIGN | WS_CLIPSIBLINGS,
                                  0, 0, kClientWidth, kToolBarHeight, 0, Font());
  ::SendMessageW(ActionToolBar1_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // The toolbar items: captions are not drawn, the actions' hints are the tooltips.
  const char* items[] = {"&Desktop 1", "D&esktop 2", "De&sktop 3", "Des&ktop 4", nullptr,
                         "&How to use", "&About Mirel Virtual Desktop", nullptr, "H&ide"};
  const char* names[] = {"ButtonDesk1", "ButtonDesk2", "ButtonDesk3", "ButtonDesk4", nullptr,
                         "HowtouseAction", "AboutAction", nullptr, "HideAction"};
  std::vector<TBBUTTON> buttons;
  const auto& actions = ActionManager1_.Actions();
  for (std::size_t i = 0; i < std::size(items); ++i) {
    TBBUTTON button{};
    if (names[i] == nullptr) {
      button.fsStyle = BTNS_SEP;
      button.iBitmap = 6;
    } else {
      const TAction* action = ActionManager1_.Find(names[i]);
      std::size_t index = 0;
      while (actions[index].get() != action) ++index;
      button.iBitmap = action->ImageIndex;
      button.idCommand = kActionCommandBase + static_cast<int>(index);
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON;
      button.iString = -1;
    }
    buttons.push_back(button);
  }
  ::SendMessageW(ActionToolBar1_, TB_ADDBUTTONSW, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
}

void TVirtualDeskForm::SyncToolBar() {
  const auto& actions = ActionManager1_.Actions();
  for (std::size_t i = 0; i < actions.size(); ++i) {
    ::SendMessageW(ActionToolBar1_, TB_CHECKBUTTON, kActionCommandBase + static_cast<int>(i),
                   MAKELPARAM(actions[i]->Checked ? TRUE : FALSE, 0));
  }
}

void TVirtualDeskForm::OnCommand(int id, int code, HWND control) {
  const auto& actions = ActionManager1_.Actions();
  if (id >= kActionCommandBase && id < kActionCommandBase + static_cast<int>(actions.size())) {
    ActionManager1_.Execute(*actions[static_cast<std::size_t>(id - kActionCommandBase)]);
    return;
  }
  if (RulesCommand(control, code)) return;
  if (control == HideAppsCB_ && code == BN_CLICKED) HideAppsCBClick();
  if (control == KeepWindowStateCB_ && code == BN_CLICKED) KeepWindowStateCBClick();
  if (control == TrayFollowsCB_ && code == BN_CLICKED) TrayFollowsCBClick();
  for (std::size_t d = 0; d < DesktopNameEdits_.size(); ++d) {
    if (control == DesktopNameEdits_[d] && code == EN_CHANGE) DesktopNameChange(d);
  }
}

LRESULT TVirtualDeskForm::OnNotify(NMHDR& header) {
  if (header.hwndFrom == PageControl_ && header.code == TCN_SELCHANGE) {
    SelectPage(ActivePage());
    PageControlChange();
    return 0;
  }
  if (header.hwndFrom == RulesList_ && header.code == LVN_ITEMCHANGED) {
    RulesListChange(reinterpret_cast<NMLISTVIEW&>(header));
    return 0;
  }
  if (header.code == TTN_GETDISPINFOW) {
    // Tooltips of the toolbar: the action's hint.
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    const auto& actions = ActionManager1_.Actions();
    const auto id = static_cast<int>(header.idFrom);
    if (id >= kActionCommandBase && id < kActionCommandBase + static_cast<int>(actions.size())) {
      // Copied into the notification's own buffer, cut between characters.
      const std::string& text = actions[static_cast<std::size_t>(id - kActionCommandBase)]->Hint;
      const std::wstring hint = Wide(CutToUtf16Units(text, std::size(info.szText) - 1));
      hint.copy(info.szText, hint.size());
      info.szText[hint.size()] = L'\0';
      info.lpszText = info.szText;
    }
    return 0;
  }
  if (header.hwndFrom == ActionToolBar1_ && header.code == NM_CUSTOMDRAW) {
    auto& draw = reinterpret_cast<NMTBCUSTOMDRAW&>(header);
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      draw.clrHighlightHotTrack = kToolBarHighlight;
      return TBCDRF_HILITEHOTTRACK;
    }
    return CDRF_DODEFAULT;
  }
  return 0;
}

LRESULT TVirtualDeskForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_HOTKEY:
      // Sent (not posted) while a switch waits on another window: take it after that switch.
      if (::InSendMessage()) {
        ::PostMessageW(Handle(), message, wParam, lParam);
        return 0;
      }
      WMHotKey(wParam);
      return 0;
    case WM_COPYDATA:
      return WMCopyData(lParam);
    case kRunCommandsMessage:
      // Like a hot key: a command that arrives inside a switch waits for its end.
      if (::InSendMessage()) {
        ::PostMessageW(Handle(), message, wParam, lParam);
        return 0;
      }
      RunPendingCommands();
      return 0;
    case WM_TIMER:
      if (wParam != kSleepTimerId) break;
      TimerTimer();
      return 0;
    case WM_SYSCOMMAND:
      // Alt+F4 is the Hide action's shortcut: the window hides and the program goes on.
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        if (TAction* hide = ActionManager1_.FindShortCut(kAltF4)) ActionManager1_.Execute(*hide);
        return 0;
      }
      break;
    case WM_CLOSE:
      HideActionExecute();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
      break;
    case WM_MEASUREITEM:
      if (TrayPopup_ && TrayPopup_->MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (TrayPopup_ && TrayPopup_->DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) {
        return TRUE;
      }
      break;
    case WM_INITMENUPOPUP:
      if (TrayPopup_ && TrayPopup_->InitPopup(reinterpret_cast<HMENU>(wParam))) return 0;
      break;
    case WM_ENTERIDLE:
      // The open menu waits for the user: the time to build its lists of windows.
      if (wParam == MSGF_MENU) trayLists_.MenuShown();
      break;
    // Both are sent messages, delivered also while a switch waits on another program: the
    // layout follows once the switch is over.
    case WM_DISPLAYCHANGE:
      engine_.Request([this] { engine_.DisplayChanged(); }, "display");
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) {
        engine_.Request([this] { engine_.DisplayChanged(); }, "display");
      }
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends without the event loop ending: run the shut-down steps now, so the
      // windows come back and the settings are saved.
      if (wParam) {
        app_.BeginTermination();
        ShutDown();
      }
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

// ------------------------------------------------------------------------------------------------
// Showing, hiding, ending
// ------------------------------------------------------------------------------------------------

void TVirtualDeskForm::ControlPanelActionExecute() {
  Show();
  ::SetForegroundWindow(Handle());
}

void TVirtualDeskForm::HideActionExecute() { Hide(); }

void TVirtualDeskForm::ExitActionExecute() { app_.Terminate(); }

// ------------------------------------------------------------------------------------------------
// Desktops
// ------------------------------------------------------------------------------------------------

void TVirtualDeskForm::ButtonDeskClick(int n) {
  engine_.Request([this, n] {
    engine_.SwitchToDesktop(static_cast<std::uint16_t>(n - 1));
    ShowDesktopChosen(n - 1);
  });
}

void TVirtualDeskForm::ShowDesktopChosen(int desktop) {
  UpdateTrayIcons(desktop);
  if (TAction* action = ActionManager1_.Find("ButtonDesk" + std::to_string(desktop + 1))) {
    ActionManager1_.SetChecked(*action, true);
  } else if (TrayFollows()) {
    // Desktops 5 to 8 have no button: none stays checked for a desktop that is not on screen.
    for (int n = 1; n <= 4; ++n) {
      if (TAction* other = ActionManager1_.Find("ButtonDesk" + std::to_string(n))) {
        ActionManager1_.SetChecked(*other, false);
      }
    }
  }
}

void TVirtualDeskForm::TrayIconClick(int n) { ButtonDeskClick(n); }

void TVirtualDeskForm::UpdateTrayIcons(int desktop) {
  trayMarked_ = desktop;
  const bool follows = TrayFollows();
  const int onScreen = engine_.CurrentDesktop();
  for (int k = 0; k < kTrayIconCount; ++k) {
    TTrayIcon& icon = *trayIcons_[static_cast<std::size_t>(k)];
    switch (TrayIconPicture(k, desktop, follows)) {
      case TTrayPicture::kIdle: icon.SetIcon(TrayImages_.IconAt(k)); break;
      case TTrayPicture::kActive: icon.SetIcon(TrayImages_.IconAt(k + 4)); break;
      case TTrayPicture::kBelow: icon.SetIcon(TrayImages_.IconAt(k + 8)); break;
    }
    // Each change is a round trip to the shell: an unchanged tip is not sent again.
    const std::string hint = TrayIconHint(DeskCFG.DesktopNames, k, onScreen, follows);
    if (hint != icon.Hint()) icon.SetHint(hint);
  }
}

void TVirtualDeskForm::HideAppsCBClick() {
  const bool checked = ::SendMessageW(HideAppsCB_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  engine_.Request([this, checked] { engine_.HideAppsCBClick(checked); });
}

// Takes effect at the next switch; windows keep the state they have now.
void TVirtualDeskForm::KeepWindowStateCBClick() {
  const bool checked = ::SendMessageW(KeepWindowStateCB_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  engine_.Request([this, checked] { engine_.Config().KeepWindowState = checked; });
}

void TVirtualDeskForm::WMHotKey(WPARAM id) {
  if (const auto desktop = HotKeyDesktop(id)) {
    engine_.Request([this, desktop = *desktop] { engine_.SwitchToDesktop(desktop); });
  }
  if (const auto command = HotKeyCommand(id)) {
    engine_.Request([this, command = *command] {
      RunDeskCommand(engine_, command, ws_.GetForegroundWindow());
    });
  }
}

// ------------------------------------------------------------------------------------------------
// What the engine needs of the form
// ------------------------------------------------------------------------------------------------

Hwnd TVirtualDeskForm::MainWindow() { return reinterpret_cast<Hwnd>(Handle()); }

Hwnd TVirtualDeskForm::ApplicationWindow() { return reinterpret_cast<Hwnd>(app_.Handle()); }

Hwnd TVirtualDeskForm::OverlayWindow() {
  return fDesktopName_ ? reinterpret_cast<Hwnd>(fDesktopName_->Handle()) : 0;
}

bool TVirtualDeskForm::Terminating() { return app_.Terminating(); }

void TVirtualDeskForm::HideOverlay() {
  if (fDesktopName_) fDesktopName_->CutShort();
}

void TVirtualDeskForm::ShowOverlay(Hwnd target, const std::string& caption) {
  // The engine shows the name at the end of every switch, whatever started it.
  FollowDesktopOnScreen();
  if (!fDesktopName_) return;
  fDesktopName_->TargetWindow = reinterpret_cast<HWND>(target);
  fDesktopName_->SetCaption(caption);
  fDesktopName_->Show();
}

void TVirtualDeskForm::InvalidateMainForm() { ::InvalidateRect(Handle(), nullptr, TRUE); }

void TVirtualDeskForm::RepaintVisualManagerIfShowing() {
  if (Visible() && ActivePage() == 1) DesktopsPaintBoxPaint();
}

}  // namespace mirel::win32
