#include "app/win32/about_form.h"

#include "app/app_names.h"
#include "app/win32/dialog_style.h"

namespace mirel::win32 {

TAboutForm::TAboutForm(TApplication& app) : TForm(app) {
  CreateForm(DialogStyle(kAboutFormClass, "About Mirel Virtual Desktop", 371, 256, app.Handle()), TPosition::poScreenCenter);
}

}  // namespace mirel::win32
