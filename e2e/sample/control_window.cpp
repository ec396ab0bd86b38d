#include "e2e/sample/control_window.h"

#include <string>

#include "e2e/sample/sample_window.h"
#include "e2e/sample/window_recipe.h"
#include "platform/win32/wide_text.h"

namespace mirel::sample {
namespace {

constexpr std::string_view kClosePrefix = "close ";
constexpr std::string_view kShowPrefix = "show ";

LRESULT Execute(const std::string& command) {
  if (command == "quit") {
    PostQuitMessage(0);
    return 1;
  }
  if (command.starts_with(kClosePrefix)) {
    const HWND window = FindSampleWindow(command.substr(kClosePrefix.size()));
    return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0) ? 1 : 0;
  }
  // As a second start of a single-copy application shows its window again.
  if (command.starts_with(kShowPrefix)) {
    const HWND window = FindSampleWindow(command.substr(kShowPrefix.size()));
    if (window != nullptr) ShowWindow(window, SW_SHOW);
    return window != nullptr ? 1 : 0;
  }
  std::string error;
  const auto recipe = ParseWindowRecipe(command, error);
  return recipe && OpenWindowOnOwnThread(*recipe).window != nullptr ? 1 : 0;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->lpData == nullptr) return 0;
    try {
      return Execute(std::string(static_cast<const char*>(data->lpData), data->cbData));
    } catch (...) {
      return 0;  // nothing may unwind through user32
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

win32::UniqueWindow CreateControlWindow() {
  const std::wstring className = win32::Wide(kControlWindowClass);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ControlWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className.c_str();
  if (RegisterClassExW(&windowClass) == 0) return {};
  // A hidden top-level window with no title: never a window the program under test manages.
  return win32::UniqueWindow(CreateWindowExW(0, className.c_str(), L"", WS_OVERLAPPED, 0, 0, 0, 0,
                                             nullptr, nullptr, windowClass.hInstance, nullptr));
}

}  // namespace mirel::sample
