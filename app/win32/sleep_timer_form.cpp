#include "app/win32/sleep_timer_form.h"

#include "app/app_names.h"
#include "app/win32/dialog_style.h"

namespace mirel::win32 {

TSleepTimerForm::TSleepTimerForm(TApplication& app, HWND mainWindow) : TForm(app) {
  CreateForm(DialogStyle(kSleepTimerFormClass, "Sleep timer", 380, 241, mainWindow),
             TPosition::poOwnerFormCenter);
}

}  // namespace mirel::win32
