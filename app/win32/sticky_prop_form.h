// The "Sticky window properties" dialog: how a sticky window is to be recognized, by its handle, by
// parts of its title or by its class name. Shown modally for the window picked in the windows tree.
#pragma once

#include <string>

#include "app/win32/dialog_focus.h"
#include "app/win32/form.h"
#include "engine/sticky.h"

namespace mirel::win32 {

class TfStickyProp : public TForm {
 public:
  TfStickyProp(TApplication& app, HWND mainWindow);

  // Fills ePartOfTitle and eClassName before the dialog is shown.
  void SetWindowTexts(const std::string& title, const std::string& className);
  // The choice as it stood when "O&k" closed the dialog: the rule kind of the checked radio button
  // and the text of its edit box (empty for a rule by handle).
  TStickyKind ChosenKind() const { return chosenKind_; }
  const std::string& ChosenText() const { return chosenText_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // ByTitlePart is checked whenever the dialog opens.
  void FormShow() override;

 private:
  void CreateControls();
  void CreateHint(HWND control, const char* text);
  void FormHide();
  // The shared click handler of the three radio buttons: only the edit box that belongs to the
  // checked one takes input.
  void ByWindowHandleClick();
  void BtnOkClick();
  void Check(HWND radio);
  HWND CheckedRadio() const;
  HWND EditOf(HWND radio) const;

  HWND bgHowToRecognize_ = nullptr;
  HWND ByWindowHandle_ = nullptr;
  HWND ByTitlePart_ = nullptr;
  HWND ePartOfTitle_ = nullptr;
  HWND ByClassName_ = nullptr;
  HWND eClassName_ = nullptr;
  HWND btnOk_ = nullptr;
  HWND btnCancel_ = nullptr;
  HWND hints_ = nullptr;  // tooltip window, owned by the form and destroyed with it
  TDialogFocus focus_;
  TStickyKind chosenKind_ = TStickyKind::skByTitleParts;
  std::string chosenText_;
};

}  // namespace mirel::win32
