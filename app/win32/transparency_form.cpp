#include "app/win32/transparency_form.h"

#include <commctrl.h>

#include <string>

#include "app/app_names.h"
#include "app/win32/dialog_style.h"

namespace mirel::win32 {

namespace {

constexpr int kClientWidth = 291;
constexpr int kClientHeight = 122;
constexpr int kMaxLevel = 255;

}  // namespace

TTransparencyForm::TTransparencyForm(TApplication& app, HWND mainWindow) : TForm(app) {
  CreateForm(DialogStyle(kTransparencyFormClass, "Transparency level", kClientWidth, kClientHeight,
                         mainWindow),
             TPosition::poOwnerFormCenter);
  CreateControls();
}

void TTransparencyForm::CreateControls() {
  const HWND form = Handle();
  Label1_ = CreateControl(form, L"STATIC", "Transparency level", SS_LEFT | SS_NOPREFIX, 16, 16, 120,
                          13, 0, Font());
  // Wide enough for "255".
  Label2_ = CreateControl(form, L"STATIC", "0", SS_LEFT | SS_NOPREFIX, 248, 24, 36, 13, 0, Font());
  TransparencyTrackBar_ = CreateControl(form, TRACKBAR_CLASSW, "",
                                        TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 8, 40, 281, 45, 0,
                                        nullptr);
  ::SendMessageW(TransparencyTrackBar_, TBM_SETRANGEMIN, FALSE, 0);
  ::SendMessageW(TransparencyTrackBar_, TBM_SETRANGEMAX, FALSE, kMaxLevel);
  ::SendMessageW(TransparencyTrackBar_, TBM_SETPOS, TRUE, 0);
  CreateControl(form, WC_BUTTONW, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 128, 90, 75, 25, IDOK,
                Font());
  CreateControl(form, WC_BUTTONW, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 208, 90, 75, 25, IDCANCEL,
                Font());
}

int TTransparencyForm::TransparencyLevel() const {
  return static_cast<int>(::SendMessageW(TransparencyTrackBar_, TBM_GETPOS, 0, 0));
}

void TTransparencyForm::TransparencyTrackBarChange() {
  ::SetWindowTextW(Label2_, std::to_wstring(TransparencyLevel()).c_str());
}

LRESULT TTransparencyForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HSCROLL:
      // Every change of the slider, by keyboard or mouse, comes as a scroll notification.
      if (reinterpret_cast<HWND>(lParam) == TransparencyTrackBar_) {
        TransparencyTrackBarChange();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (focus_.Activate(Handle(), wParam, TransparencyTrackBar_)) return 0;
      break;
    default:
      break;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace mirel::win32
