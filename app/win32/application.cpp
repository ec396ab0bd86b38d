#include "app/win32/application.h"

#include "app/app_names.h"
#include "app/win32/resource.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

TApplication* gApplication = nullptr;

}  // namespace

TApplication* Application() { return gApplication; }

TApplication::TApplication(HINSTANCE instance) : instance_(instance), title_(kAppTitle) {
  gApplication = this;
  icon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 0,
                                          0, LR_DEFAULTSIZE | LR_SHARED));
  const std::wstring className = Wide(kApplicationWindowClass);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TApplication::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon_;
  wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.lpszClassName = className.c_str();
  ::RegisterClassExW(&wc);
  // A real top-level window, so that it receives broadcasts such as "TaskbarCreated"; it stays
  // hidden and zero-sized.
  window_.Reset(::CreateWindowExW(0, className.c_str(), Wide(title_).c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                      WS_MINIMIZEBOX,
                                  ::GetSystemMetrics(SM_CXSCREEN) / 2,
                                  ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                                  instance, nullptr));
}

TApplication::~TApplication() {
  window_.Reset();
  gApplication = nullptr;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  ::SetWindowTextW(window_.get(), Wide(title_).c_str());
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // The application window is not closed from outside; the program ends through "Exit".
      return 0;
    case WM_SYSCOMMAND:
      // The monitor command goes to the system's default handling.
      return ::DefWindowProcW(window, message, wParam, lParam);
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

void TApplication::Dispatch(MSG& message) {
  // DispatchMessage would call a WM_TIMER's lParam as a timer procedure. The program never uses
  // timer procedures, so a timer message that names one was posted by someone else: drop it.
  if ((message.message == WM_TIMER || message.message == 0x0118 /* WM_SYSTIMER */) &&
      message.lParam != 0) {
    return;
  }
  if (dialogWindow_ != nullptr && ::IsWindow(dialogWindow_) &&
      ::IsDialogMessageW(dialogWindow_, &message)) {
    return;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void TApplication::Run() {
  MSG message;
  while (!terminating_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      terminating_ = true;
      break;
    }
    Dispatch(message);
  }
}

bool TApplication::ProcessMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      terminating_ = true;
      return false;
    }
    Dispatch(message);
  }
  return true;
}

void TApplication::Terminate() { ::PostQuitMessage(0); }

void TApplication::ShowException(const std::string& message) {
  MessageBox(message, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = ::GetActiveWindow();
  if (owner == nullptr) owner = window_.get();
  return ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), flags | MB_SETFOREGROUND);
}

}  // namespace mirel::win32
