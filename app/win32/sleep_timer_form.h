// The sleep timer dialog, created once at start and shown modally when needed.
#pragma once

#include "app/win32/form.h"

namespace mirel::win32 {

class TSleepTimerForm : public TForm {
 public:
  TSleepTimerForm(TApplication& app, HWND mainWindow);
};

}  // namespace mirel::win32
