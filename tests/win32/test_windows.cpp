#include "tests/win32/test_windows.h"

#include "platform/win32/wide_text.h"

namespace mirel::test {
namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kDoubleMessage:
      return static_cast<LRESULT>(wParam * 2);
    case kRecordMessage:
      ReceivedParams().push_back(wParam);
      return 0;
    case WM_HOTKEY:
      ReceivedHotKeys().push_back(wParam);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

void Register(const char* name, HICON icon) {
  const std::wstring className = win32::Wide(name);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = className.c_str();
  ::RegisterClassW(&windowClass);
}

}  // namespace

HICON TestClassIcon() {
  static const HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
  return icon;
}

void RegisterTestClasses() {
  static const bool registered = [] {
    Register(kTestClass, TestClassIcon());
    Register(kNoIconClass, nullptr);
    return true;
  }();
  (void)registered;
}

win32::UniqueWindow CreateTestWindow(const WindowOptions& options) {
  RegisterTestClasses();
  // Wide: titles are UTF-8 and may be in any script.
  win32::UniqueWindow window(::CreateWindowExW(
      options.exStyle, win32::Wide(options.className).c_str(), win32::Wide(options.title).c_str(),
      options.style, options.rect.left, options.rect.top, options.rect.Width(),
      options.rect.Height(), options.owner, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  if (window && options.show) ::ShowWindow(window.get(), SW_SHOWNOACTIVATE);
  return window;
}

std::vector<WPARAM>& ReceivedParams() {
  static std::vector<WPARAM> params;
  return params;
}

std::vector<WPARAM>& ReceivedHotKeys() {
  static std::vector<WPARAM> ids;
  return ids;
}

}  // namespace mirel::test
