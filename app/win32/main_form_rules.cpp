// Window rules on the main form: the "Rules" page, the rules made from the windows tree, and the
// window events and the window-less timer that bring each new window to its rule.
#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <exception>

#include "app/win32/main_form.h"
#include "engine/desktop_geometry.h"
#include "engine/win2tree.h"
#include "platform/win32/wide_text.h"
#include "settings/window_rules_store.h"

namespace mirel::win32 {

namespace {

// The action box lists the eight desktops, then these two.
constexpr int kAllDesktopsChoice = kDesktopCount;
constexpr int kLeaveAloneChoice = kDesktopCount + 1;

std::uint64_t NowMs() { return ::GetTickCount64(); }

void AddColumn(HWND list, int index, const char* caption, int width) {
  std::wstring text = Wide(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = text.data();
  column.cx = width;
  ::SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::string& text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

int ActionChoice(const TWindowRule& rule) {
  switch (rule.Action) {
    case TRuleAction::raDesktop: return rule.Desktop;
    case TRuleAction::raAllDesktops: return kAllDesktopsChoice;
    case TRuleAction::raLeaveAlone: return kLeaveAloneChoice;
  }
  return 0;
}

}  // namespace

void TVirtualDeskForm::CreateRulesPage(HWND page, int top) {
  RulesList_ = CreateControl(page, WC_LISTVIEWW, "",
                             LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, 8,
                             top + 6, 472, 96, 0, Font(), WS_EX_CLIENTEDGE);
  ::SendMessageW(RulesList_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
  AddColumn(RulesList_, 0, "Program", Scaled(120));
  AddColumn(RulesList_, 1, "Class", Scaled(100));
  AddColumn(RulesList_, 2, "Title parts", Scaled(110));
  AddColumn(RulesList_, 3, "Action", Scaled(120));

  const int row1 = top + 110;
  CreateControl(page, L"STATIC", "Program", SS_LEFT, 8, row1 + 3, 52, 13, 0, Font());
  RuleProgramEdit_ = CreateControl(page, L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 62, row1, 110,
                                   20, 0, Font(), WS_EX_CLIENTEDGE);
  CreateControl(page, L"STATIC", "Class", SS_LEFT, 180, row1 + 3, 34, 13, 0, Font());
  RuleClassEdit_ = CreateControl(page, L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 216, row1, 100,
                                 20, 0, Font(), WS_EX_CLIENTEDGE);
  CreateControl(page, L"STATIC", "Title parts", SS_LEFT, 322, row1 + 3, 62, 13, 0, Font());
  RuleTitleEdit_ = CreateControl(page, L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, 386, row1, 94,
                                 20, 0, Font(), WS_EX_CLIENTEDGE);

  const int row2 = row1 + 27;
  CreateControl(page, L"STATIC", "Action", SS_LEFT, 8, row2 + 3, 52, 13, 0, Font());
  RuleActionCombo_ = CreateControl(page, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                   62, row2, 110, 200, 0, Font());
  for (int d = 1; d <= kDesktopCount; ++d) {
    ::SendMessageW(RuleActionCombo_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Wide("Desktop " + std::to_string(d)).c_str()));
  }
  ::SendMessageW(RuleActionCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"All desktops"));
  ::SendMessageW(RuleActionCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Leave alone"));
  ::SendMessageW(RuleActionCombo_, CB_SETCURSEL, 0, 0);
  RuleGoAlongCB_ = CreateControl(page, L"BUTTON", "Go along", BS_AUTOCHECKBOX | WS_TABSTOP, 180,
                                 row2 + 2, 90, 17, 0, Font());

  const int row3 = row2 + 28;
  RuleAddButton_ = CreateControl(page, L"BUTTON", "Add", BS_PUSHBUTTON | WS_TABSTOP, 8, row3, 70,
                                 23, 0, Font());
  RuleChangeButton_ = CreateControl(page, L"BUTTON", "Change", BS_PUSHBUTTON | WS_TABSTOP, 84,
                                    row3, 70, 23, 0, Font());
  RuleRemoveButton_ = CreateControl(page, L"BUTTON", "Remove", BS_PUSHBUTTON | WS_TABSTOP, 160,
                                    row3, 70, 23, 0, Font());
  ApplyRulesButton_ = CreateControl(page, L"BUTTON", "Apply rules now",
                                    BS_PUSHBUTTON | WS_TABSTOP, 370, row3, 110, 23, 0, Font());
}

void TVirtualDeskForm::StartWindowRules() {
  // A stored rule that cannot be used is reported like a bad setting; the others still load.
  for (const std::string& error : LoadWindowRules(registry_, WindowRules_)) {
    app_.ShowException(error);
  }
  RefreshRulesList();
  RuleRunner_.Start();
  RulesTimer_ = std::make_unique<TWindowlessTimer>(
      trayPlatform_->Timers(), this, [](void* form) {
        auto& self = *static_cast<TVirtualDeskForm*>(form);
        try {
          self.RulesTimerTimer();
        } catch (const std::exception& error) {
          self.app_.ShowException(error.what());
        }
      });
  WindowEventHooks_ = std::make_unique<TWindowEventHooks>(
      [this](Hwnd window, TWindowEvent event) { WindowEventArrived(window, event); },
      [this](const std::string& message) { app_.ShowException(message); });
}

void TVirtualDeskForm::StopWindowRules() {
  WindowEventHooks_.reset();
  RulesTimer_.reset();
}

void TVirtualDeskForm::WindowEventArrived(Hwnd window, TWindowEvent event) {
  // Only notes the window: this runs from any message wait, a switch's included. The timer looks.
  if (RuleRunner_.WindowEvent(window, event, NowMs()) && RulesTimer_ && !RulesTimer_->Active()) {
    RulesTimer_->Start(TNewWindows::kLookIntervalMs);
  }
}

void TVirtualDeskForm::RulesTimerTimer() {
  // No window new: no timer, so an idle program takes no time.
  if (!RuleRunner_.Look(NowMs()) && RulesTimer_) RulesTimer_->Stop();
}

void TVirtualDeskForm::RefreshRulesList() {
  ::SendMessageW(RulesList_, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < WindowRules_.size(); ++i) {
    const TWindowRule& rule = WindowRules_[i];
    std::wstring program = Wide(rule.Program);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = program.data();
    ::SendMessageW(RulesList_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SetCell(RulesList_, static_cast<int>(i), 1, rule.WndClass);
    SetCell(RulesList_, static_cast<int>(i), 2, rule.TitleParts);
    SetCell(RulesList_, static_cast<int>(i), 3, RuleActionText(rule));
  }
}

int TVirtualDeskForm::SelectedRule() const {
  return static_cast<int>(
      ::SendMessageW(RulesList_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TVirtualDeskForm::SelectRule(int index) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(RulesList_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
  ::SendMessageW(RulesList_, LVM_ENSUREVISIBLE, index, FALSE);
}

void TVirtualDeskForm::ShowRuleInFields(const TWindowRule& rule) {
  ::SetWindowTextW(RuleProgramEdit_, Wide(rule.Program).c_str());
  ::SetWindowTextW(RuleClassEdit_, Wide(rule.WndClass).c_str());
  ::SetWindowTextW(RuleTitleEdit_, Wide(rule.TitleParts).c_str());
  ::SendMessageW(RuleActionCombo_, CB_SETCURSEL, ActionChoice(rule), 0);
  ::SendMessageW(RuleGoAlongCB_, BM_SETCHECK, rule.GoAlong ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::optional<TWindowRule> TVirtualDeskForm::RuleFromFields() {
  const int choice = static_cast<int>(::SendMessageW(RuleActionCombo_, CB_GETCURSEL, 0, 0));
  TRuleAction action = TRuleAction::raDesktop;
  if (choice == kAllDesktopsChoice) action = TRuleAction::raAllDesktops;
  if (choice == kLeaveAloneChoice) action = TRuleAction::raLeaveAlone;
  auto rule = MakeWindowRule(ReadWindowText(RuleProgramEdit_), ReadWindowText(RuleClassEdit_),
                             ReadWindowText(RuleTitleEdit_), action, choice,
                             ::SendMessageW(RuleGoAlongCB_, BM_GETCHECK, 0, 0) == BST_CHECKED);
  if (!rule) {
    app_.MessageBox("Name the program's file (such as mail.exe); a class name may not hold \"|\".",
                    "Error", MB_OK | MB_ICONERROR);
  }
  return rule;
}

void TVirtualDeskForm::RulesChanged(int select) {
  if (const auto error = mirel::SaveWindowRules(registry_, WindowRules_)) {
    app_.ShowException(*error);
  }
  RefreshRulesList();
  if (select >= 0) SelectRule(select);
}

bool TVirtualDeskForm::RulesCommand(HWND control, int code) {
  if (code != BN_CLICKED) return false;
  const int selected = SelectedRule();
  const bool hasSelection = selected >= 0 && selected < static_cast<int>(WindowRules_.size());
  if (control == RuleAddButton_) {
    if (const auto rule = RuleFromFields()) {
      WindowRules_.push_back(*rule);
      RulesChanged(static_cast<int>(WindowRules_.size()) - 1);
    }
  } else if (control == RuleChangeButton_) {
    if (!hasSelection) return true;
    if (const auto rule = RuleFromFields()) {
      WindowRules_[static_cast<std::size_t>(selected)] = *rule;
      RulesChanged(selected);
    }
  } else if (control == RuleRemoveButton_) {
    if (!hasSelection) return true;
    WindowRules_.erase(WindowRules_.begin() + selected);
    RulesChanged(-1);
  } else if (control == ApplyRulesButton_) {
    engine_.Request([this] {
      RuleRunner_.ApplyToOpenWindows();
      RefreshWindowsTree();
    });
  } else {
    return false;
  }
  return true;
}

void TVirtualDeskForm::RulesListChange(const NMLISTVIEW& change) {
  if ((change.uChanged & LVIF_STATE) == 0 || (change.uNewState & LVIS_SELECTED) == 0) return;
  if (change.iItem >= 0 && change.iItem < static_cast<int>(WindowRules_.size())) {
    ShowRuleInFields(WindowRules_[static_cast<std::size_t>(change.iItem)]);
  }
}

void TVirtualDeskForm::RuleForSelectedWindow(TRuleAction action) {
  if (!CheckWindowSelected()) return;
  const Hwnd window = SelectedWindow();
  const std::string program(ProgramFileName(ws_.GetProgramPath(window)));
  const int desktop = engine_.DesktopOfWindow(window);
  auto rule = MakeWindowRule(program, "", "", action, desktop < 0 ? 0 : desktop, false);
  if (!rule) {
    app_.MessageBox("The window's program is not known.", "Error", MB_OK | MB_ICONERROR);
    return;
  }
  // The new rule comes first, so that it wins; an older rule for the whole program goes.
  std::erase_if(WindowRules_, [&](const TWindowRule& old) {
    return UpperAscii(old.Program) == UpperAscii(rule->Program) && old.WndClass.empty() &&
           old.TitleParts.empty();
  });
  WindowRules_.insert(WindowRules_.begin(), *rule);
  RulesChanged(0);
  ShowRuleInFields(*rule);
  // The selected window is the first of its program to follow the rule.
  engine_.Request([this, window] {
    RuleRunner_.ApplyRules(window);
    RefreshWindowsTree();
  });
}

}  // namespace mirel::win32
