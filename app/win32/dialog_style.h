// The frame the program's small dialogs share: single border with system menu and minimize box.
#pragma once

#include "app/win32/form.h"

namespace mirel::win32 {

inline TFormStyle DialogStyle(const char* className, const char* caption, int width, int height,
                              HWND owner) {
  TFormStyle style;
  style.className = className;
  style.caption = caption;
  style.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  style.exStyle = WS_EX_DLGMODALFRAME;
  style.clientWidth = width;
  style.clientHeight = height;
  style.owner = owner;
  return style;
}

}  // namespace mirel::win32
