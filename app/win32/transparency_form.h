// The transparency level dialog of the windows tree, created once at start and shown modally
// when needed.
#pragma once

#include "app/win32/form.h"

namespace mirel::win32 {

class TTransparencyForm : public TForm {
 public:
  TTransparencyForm(TApplication& app, HWND mainWindow);
};

}  // namespace mirel::win32
