// Child controls of another process's window: found by class and text, measured, clicked where a
// user would click them.
//
// Controls answer geometry messages (TB_GETITEMRECT, TCM_GETITEMRECT) by writing a RECT into the
// caller's memory, which for another process must be memory of that process: the query allocates
// it there (VirtualAllocEx) and reads the answer back. Both processes must have the same bitness.
#pragma once

#include <optional>
#include <string>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

namespace mirel::e2e {

// The first descendant of `parent` of class `className` (and with text `text` when given), in
// the order EnumChildWindows gives; null when there is none.
HWND FindChild(HWND parent, const std::string& className,
               const std::optional<std::string>& text = std::nullopt);

// `message`(wParam, address of a RECT) sent to `control` in its own process; the RECT in screen
// coordinates (converted from the control's client area). Throws DriverError when it fails.
RECT RemoteItemRect(HWND control, UINT message, WPARAM wParam);

// The screen rectangle of toolbar button `index` (separators count) and of tab `index`.
inline RECT ToolbarButtonRect(HWND toolbar, int index) {
  return RemoteItemRect(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index));
}
inline RECT TabRect(HWND tabControl, int index) {
  return RemoteItemRect(tabControl, TCM_GETITEMRECT, static_cast<WPARAM>(index));
}

inline POINT Centre(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace mirel::e2e
