// The about box, created once at start and shown modally when needed: the program's icon and
// name, and a read-only text with what the program does, its hot keys, its version and licence.
#pragma once

#include "app/win32/dialog_focus.h"
#include "app/win32/form.h"
#include "platform/win32/handles.h"

namespace mirel::win32 {

class TAboutForm : public TForm {
 public:
  explicit TAboutForm(TApplication& app);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormShow() override;
  void DpiChanged(UINT dpi, const RECT& suggested) override;

 private:
  void CreateControls();
  // The program's icon and the title's font at the form's DPI.
  void ApplyPictures();
  void Paint();
  LRESULT ColorStatic(HDC dc, HWND control);

  HWND Image1_ = nullptr;
  HWND Label1_ = nullptr;
  HWND Memo1_ = nullptr;
  HWND Button1_ = nullptr;
  TDialogFocus focus_;
  UniqueFont titleFont_;
  UniqueIcon icon_;
};

}  // namespace mirel::win32
