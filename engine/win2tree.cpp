#include "engine/win2tree.h"

namespace mirel {

std::string GetWindowTitle(IWindowSystem& ws, Hwnd window) {
  return ws.GetWindowText(window, kTitleBufferChars);
}

std::string GetWindowClass(IWindowSystem& ws, Hwnd window) {
  return ws.GetClassName(window, kClassBufferChars);
}

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

}  // namespace mirel
