// The transparency level dialog of the windows tree, created once at start and shown modally
// when needed. Its slider keeps its value from one use to the next.
#pragma once

#include "app/win32/dialog_focus.h"
#include "app/win32/form.h"

namespace mirel::win32 {

class TTransparencyForm : public TForm {
 public:
  TTransparencyForm(TApplication& app, HWND mainWindow);

  // The slider's position, 0 (fully transparent) to 255 (opaque).
  int TransparencyLevel() const;
  // The slider moved: Label2 shows its position.
  void TransparencyTrackBarChange();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormShow() override { focus_.Reset(); }

 private:
  void CreateControls();

  HWND Label1_ = nullptr;
  HWND Label2_ = nullptr;
  HWND TransparencyTrackBar_ = nullptr;
  TDialogFocus focus_;
};

}  // namespace mirel::win32
