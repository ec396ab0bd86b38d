// The about box, created once at start and shown modally when needed.
#pragma once

#include "app/win32/form.h"

namespace mirel::win32 {

class TAboutForm : public TForm {
 public:
  explicit TAboutForm(TApplication& app);
};

}  // namespace mirel::win32
