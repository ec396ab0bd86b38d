#include "app/win32/paint_box.h"

#include <windowsx.h>

#include <exception>

#include "app/win32/application.h"
#include "app/win32/paint_scope.h"

namespace mirel::win32 {

namespace {

constexpr const wchar_t* kPaintBoxClass = L"TPaintBox";
constexpr UINT_PTR kTimerId = 1;

void RegisterPaintBoxClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = nullptr;  // the picture covers everything
    wc.lpszClassName = kPaintBoxClass;
    return ::RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

// Signed client coordinates: while the pointer is captured they may lie left of or above the box.
Point PointFrom(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

TPaintBox::TPaintBox(HWND parent, int x, int y, int width, int height) {
  RegisterPaintBoxClass(&TPaintBox::WindowProc);
  window_ = ::CreateWindowExW(0, kPaintBoxClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                              width, height, parent, nullptr, ::GetModuleHandleW(nullptr), this);
}

TPaintBox::~TPaintBox() {
  if (window_ != nullptr && ::IsWindow(window_)) {
    ::KillTimer(window_, kTimerId);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  }
}

Size TPaintBox::ClientSize() const {
  RECT client{};
  ::GetClientRect(window_, &client);
  return {client.right, client.bottom};
}

void TPaintBox::StartTimer(UINT intervalMs) { ::SetTimer(window_, kTimerId, intervalMs, nullptr); }

void TPaintBox::StopTimer() { ::KillTimer(window_, kTimerId); }

LRESULT CALLBACK TPaintBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* box = static_cast<TPaintBox*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(box));
    box->window_ = window;
  }
  auto* box = reinterpret_cast<TPaintBox*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (box == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    box->window_ = nullptr;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  // No C++ exception may unwind through user32: report it here and go on.
  try {
    return box->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    if (TApplication* app = Application()) app->ShowException(error.what());
  } catch (...) {
    if (TApplication* app = Application()) app->ShowException("Unexpected error");
  }
  return 0;
}

void TPaintBox::ButtonDown(TMouseButton button, LPARAM lParam) {
  ::SetCapture(window_);
  if (OnMouseDown) OnMouseDown(button, PointFrom(lParam));
}

void TPaintBox::ButtonUp(TMouseButton button, LPARAM lParam) {
  // The handler runs first: releasing the capture reports a capture change, which must find the
  // drag already ended.
  if (OnMouseUp) OnMouseUp(button, PointFrom(lParam));
  const bool buttonsHeld = (::GetKeyState(VK_LBUTTON) | ::GetKeyState(VK_RBUTTON) |
                            ::GetKeyState(VK_MBUTTON)) < 0;
  if (!buttonsHeld && ::GetCapture() == window_) ::ReleaseCapture();
}

LRESULT TPaintBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      TPaintScope paint(window_);
      if (OnPaint) OnPaint(paint.Dc());
      return 0;
    }
    case WM_LBUTTONDOWN:
      ButtonDown(TMouseButton::mbLeft, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      ButtonDown(TMouseButton::mbRight, lParam);
      return 0;
    case WM_MBUTTONDOWN:
      ButtonDown(TMouseButton::mbMiddle, lParam);
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(TMouseButton::mbLeft, lParam);
      return 0;
    case WM_RBUTTONUP:
      ButtonUp(TMouseButton::mbRight, lParam);
      return 0;
    case WM_MBUTTONUP:
      ButtonUp(TMouseButton::mbMiddle, lParam);
      return 0;
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(PointFrom(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window_ && OnCaptureLost) OnCaptureLost();
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId && OnTimer) OnTimer();
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

// ------------------------------------------------------------------------------------------------

TOffscreenBitmap::~TOffscreenBitmap() { Deselect(); }

void TOffscreenBitmap::Deselect() {
  if (dc_ && original_ != nullptr) ::SelectObject(dc_.get(), original_);
  original_ = nullptr;
}

HDC TOffscreenBitmap::Prepare(HDC reference, int width, int height) {
  if (!dc_) dc_.Reset(::CreateCompatibleDC(reference));
  if (!dc_) return nullptr;
  if (bitmap_ && width == width_ && height == height_) return dc_.get();
  Deselect();
  bitmap_.Reset(::CreateCompatibleBitmap(reference, width, height));
  if (!bitmap_) return nullptr;
  original_ = ::SelectObject(dc_.get(), bitmap_.get());
  width_ = width;
  height_ = height;
  return dc_.get();
}

}  // namespace mirel::win32
