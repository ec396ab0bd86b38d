#include "app/win32/transparency_form.h"

#include "app/app_names.h"
#include "app/win32/dialog_style.h"

namespace mirel::win32 {

TTransparencyForm::TTransparencyForm(TApplication& app, HWND mainWindow) : TForm(app) {
  CreateForm(DialogStyle(kTransparencyFormClass, "Transparency level", 291, 122, mainWindow),
             TPosition::poOwnerFormCenter);
}

}  // namespace mirel::win32
