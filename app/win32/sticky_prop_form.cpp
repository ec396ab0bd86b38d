#include "app/win32/sticky_prop_form.h"

#include <commctrl.h>

#include "app/app_names.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr int kClientWidth = 444;
constexpr int kClientHeight = 133;

constexpr const char* kByWindowHandleHint =
    "The handle is unique identifer of window in the MS-Windows, but only to time\r\n"
    "when you close it. After openning the window again, it will get new handle.";

bool IsChecked(HWND button) { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

TfStickyProp::TfStickyProp(TApplication& app, HWND mainWindow) : TForm(app) {
  TFormStyle style;
  style.className = kStickyPropFormClass;
  style.caption = "Sticky window properties";
  // A fixed dialog frame: caption with a close box only.
  style.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  style.exStyle = WS_EX_DLGMODALFRAME;
  style.clientWidth = kClientWidth;
  style.clientHeight = kClientHeight;
  style.owner = mainWindow;
  CreateForm(style, TPosition::poOwnerFormCenter);
  CreateControls();
}

void TfStickyProp::CreateControls() {
  const HWND form = Handle();
  // Creation order is the tab order. The radio buttons come one after the other so that they form
  // one group for the arrow keys; the edit boxes and buttons start groups of their own.
  bgHowToRecognize_ = CreateControl(form, WC_BUTTONW, " How to recognize sticky window ",
                                    BS_GROUPBOX, 8, 2, 428, 96, 0, Font());
  ByWindowHandle_ = CreateControl(form, WC_BUTTONW, "by window handle",
                                  BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 16, 16, 200, 17, 0,
                                  Font());
  // The long caption takes the whole row; its edit box sits below it, indented.
  ByTitlePart_ = CreateControl(form, WC_BUTTONW,
                               "by part of title (separate parts by \",\" - AND is assumed) ",
                               BS_AUTORADIOBUTTON, 16, 34, 412, 17, 0, Font());
  ByClassName_ = CreateControl(form, WC_BUTTONW, "by class name", BS_AUTORADIOBUTTON, 16, 77, 112,
                               17, 0, Font());
  ePartOfTitle_ = CreateControl(form, WC_EDITW, "", ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP, 32, 52,
                                396, 21, 0, Font(), WS_EX_CLIENTEDGE);
  eClassName_ = CreateControl(form, WC_EDITW, "", ES_AUTOHSCROLL | WS_TABSTOP, 132, 75, 296, 21, 0,
                              Font(), WS_EX_CLIENTEDGE);
  btnOk_ = CreateControl(form, WC_BUTTONW, "O&k", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 280,
                         104, 75, 25, IDOK, Font());
  btnCancel_ = CreateControl(form, WC_BUTTONW, "&Cancel", BS_PUSHBUTTON | WS_TABSTOP, 361, 104, 75,
                             25, IDCANCEL, Font());
  // A class name holds at most 255 characters.
  ::SendMessageW(eClassName_, EM_SETLIMITTEXT, 255, 0);
  CreateHint(ByWindowHandle_, kByWindowHandleHint);
  Check(ByTitlePart_);
  ByWindowHandleClick();
}

void TfStickyProp::CreateHint(HWND control, const char* text) {
  if (hints_ == nullptr) {
    hints_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(),
                               nullptr, app_.Instance(), nullptr);
    if (hints_ == nullptr) return;  // the dialog works without its hints
    // A maximum width makes the tooltip honour the line break in the text (TTM_SETMAXTIPWIDTH);
    // the screen's width breaks the lines nowhere else.
    ::SendMessageW(hints_, TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN));
  }
  std::wstring wide = Wide(text);  // the control keeps its own copy
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  ::SendMessageW(hints_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TfStickyProp::SetWindowTexts(const std::string& title, const std::string& className) {
  ::SetWindowTextW(ePartOfTitle_, Wide(title).c_str());
  ::SetWindowTextW(eClassName_, Wide(className).c_str());
}

void TfStickyProp::Check(HWND radio) {
  for (HWND button : {ByWindowHandle_, ByTitlePart_, ByClassName_}) {
    ::SendMessageW(button, BM_SETCHECK, button == radio ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

HWND TfStickyProp::CheckedRadio() const {
  for (HWND button : {ByWindowHandle_, ByTitlePart_, ByClassName_}) {
    if (IsChecked(button)) return button;
  }
  return nullptr;
}

HWND TfStickyProp::EditOf(HWND radio) const {
  if (radio == ByTitlePart_) return ePartOfTitle_;
  if (radio == ByClassName_) return eClassName_;
  return nullptr;
}

void TfStickyProp::ByWindowHandleClick() {
  const HWND chosen = EditOf(CheckedRadio());
  ::EnableWindow(ePartOfTitle_, chosen == ePartOfTitle_);
  ::EnableWindow(eClassName_, chosen == eClassName_);
}

void TfStickyProp::FormShow() {
  Check(ByTitlePart_);
  ByWindowHandleClick();
  chosenKind_ = TStickyKind::skByTitleParts;
  chosenText_.clear();
  // The focus starts in ePartOfTitle, whatever had it when the dialog was last closed, and typing
  // replaces the whole title at once.
  focus_.Reset();
  ::SendMessageW(ePartOfTitle_, EM_SETSEL, 0, -1);
}

void TfStickyProp::FormHide() {
  // The texts of another application's window stay with the dialog no longer than it is shown.
  SetWindowTexts("", "");
}

void TfStickyProp::BtnOkClick() {
  const HWND radio = CheckedRadio();
  if (radio == ByWindowHandle_) {
    chosenKind_ = TStickyKind::skByHandle;
    chosenText_.clear();
  } else if (radio == ByClassName_) {
    chosenKind_ = TStickyKind::skByClassName;
    chosenText_ = ReadWindowText(eClassName_);
  } else {
    chosenKind_ = TStickyKind::skByTitleParts;
    chosenText_ = ReadWindowText(ePartOfTitle_);
  }
  SetModalResult(mrOk);
}

LRESULT TfStickyProp::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const auto control = reinterpret_cast<HWND>(lParam);
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
        BtnOkClick();
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED &&
          (control == ByWindowHandle_ || control == ByTitlePart_ || control == ByClassName_)) {
        ByWindowHandleClick();
        return 0;
      }
      break;
    }
    case WM_SHOWWINDOW:
      // lParam 0: shown or hidden by ShowWindow, not because the owner was minimized or restored.
      if (wParam == FALSE && lParam == 0) FormHide();
      break;
    case WM_ACTIVATE:
      // Back to the control that had the focus, as in a dialog box; ePartOfTitle after a show.
      if (focus_.Activate(Handle(), wParam, ePartOfTitle_)) return 0;
      break;
    default:
      break;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace mirel::win32
