// The desktops' names on the "Options" page, and the tray icons that follow the desktop on screen.
#include "platform/win32/windows_api.h"

#include "app/tray_marks.h"
#include "app/win32/main_form.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

void TVirtualDeskForm::CreateNameControls(HWND page, int top) {
  // A label and a field per desktop in two columns: desktops 1-4 left, 5-8 right.
  constexpr int kRowStep = 23;
  for (int d = 0; d < kDesktopNameCount; ++d) {
    const int column = d / 4;
    const int y = top + kRowStep * (d % 4);
    CreateControl(page, L"STATIC", DefaultDesktopName(d), SS_LEFT, column ? 248 : 16, y + 2, 60,
                  13, 0, Font());
    HWND edit = CreateControl(page, L"EDIT", DefaultDesktopName(d), ES_AUTOHSCROLL | WS_TABSTOP,
                              column ? 310 : 78, y, 139, 19, 0, Font(), WS_EX_CLIENTEDGE);
    // Windows counts the limit in UTF-16 units, as the stored names are counted.
    ::SendMessageW(edit, EM_LIMITTEXT, kDesktopNameMaxChars, 0);
    DesktopNameEdits_[static_cast<std::size_t>(d)] = edit;
  }
}

bool TVirtualDeskForm::TrayFollows() const {
  return TrayFollowsCB_ != nullptr &&
         ::SendMessageW(TrayFollowsCB_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TVirtualDeskForm::TrayFollowsCBClick() {
  if (TrayFollows()) {
    ShowDesktopChosen(engine_.CurrentDesktop());
  } else {
    // Back to marking only what a click chose: no icon for desktops 5 to 8.
    UpdateTrayIcons(trayMarked_);
  }
}

void TVirtualDeskForm::FollowDesktopOnScreen() {
  if (TrayFollows()) ShowDesktopChosen(engine_.CurrentDesktop());
}

void TVirtualDeskForm::DesktopNameChange(std::size_t desktop) {
  // Takes effect at once: the next overlay, the tree and the tooltips say the new name. The field
  // keeps what was typed; the stored name is the cleaned one.
  DeskCFG.DesktopNames[desktop] =
      CleanDesktopName(ReadWindowText(DesktopNameEdits_[desktop]), static_cast<int>(desktop));
  if (trayIcons_[0]) UpdateTrayIcons(trayMarked_);
}

}  // namespace mirel::win32
