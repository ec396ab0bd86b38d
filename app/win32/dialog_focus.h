// The keyboard focus of a small dialog form: on a control, kept across deactivation, the way
// dialog boxes keep it. Without it the default handling of WM_ACTIVATE focuses the form itself.
#pragma once

#include "platform/win32/windows_api.h"

namespace mirel::win32 {

class TDialogFocus {
 public:
  // For WM_ACTIVATE: true when the message was handled here (the form then skips the default
  // handling, which would take the focus back to the form's own window).
  bool Activate(HWND form, WPARAM wParam, HWND firstControl) {
    if (LOWORD(wParam) == WA_INACTIVE) {
      const HWND focus = ::GetFocus();
      if (focus != nullptr && ::IsChild(form, focus)) saved_ = focus;
      return false;
    }
    if (HIWORD(wParam) != 0) return false;  // minimized
    const bool savedUsable = saved_ != nullptr && ::IsChild(form, saved_) &&
                             ::IsWindowEnabled(saved_) && ::IsWindowVisible(saved_);
    ::SetFocus(savedUsable ? saved_ : firstControl);
    return true;
  }
  // Where the focus goes at the next show: the first control again.
  void Reset() { saved_ = nullptr; }

 private:
  HWND saved_ = nullptr;
};

}  // namespace mirel::win32
