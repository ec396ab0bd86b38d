// BeginPaint / EndPaint as one scope: the paint DC of a WM_PAINT handler.
#pragma once

#include "platform/win32/windows_api.h"

namespace mirel::win32 {

class TPaintScope {
 public:
  explicit TPaintScope(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;
  ~TPaintScope() { ::EndPaint(window_, &paint_); }

  HDC Dc() const noexcept { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace mirel::win32
