// The main form's window actions of the windows tree.
#include "platform/win32/windows_api.h"

#include "app/win32/main_form.h"

namespace mirel::win32 {

void TVirtualDeskForm::CloseWindowActionExecute() {}

void TVirtualDeskForm::MakeTransparentActionExecute() {}

}  // namespace mirel::win32
