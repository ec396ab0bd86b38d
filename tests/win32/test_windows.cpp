#include "tests/win32/test_windows.h"

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
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

void Register(const char* name, HICON icon) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = TestWindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hIcon = icon;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = name;
  ::RegisterClassA(&windowClass);
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
  win32::UniqueWindow window(::CreateWindowExA(
      options.exStyle, options.className, options.title.c_str(), options.style, options.rect.left,
      options.rect.top, options.rect.Width(), options.rect.Height(), options.owner, nullptr,
      ::GetModuleHandleA(nullptr), nullptr));
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
