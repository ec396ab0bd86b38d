// The glue's side of the text conversion: the program's text is UTF-8 (std::string) and every Win32
// call that takes or returns text is a wide ("W") one, converted here. Only */win32/ code uses this.
#pragma once

#include <string>
#include <string_view>

#include "platform/utf.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");

inline std::wstring Wide(std::string_view text) {
  const std::u16string units = Utf8ToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

inline std::string Utf8(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// The whole text of a window or control (GetWindowTextLengthW may overstate it; the copy's count
// is the length).
inline std::string ReadWindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return Utf8(text);
}

}  // namespace mirel::win32
