#include "app/win32/form.h"

#include <exception>
#include <utility>

#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr const wchar_t* kPanelClass = L"TPanel";

// Container window: forwards what its children send to their parent up to the top-level form.
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_DRAWITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM param) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(param);
  if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) list->push_back(window);
  return TRUE;
}

// The window rectangle around a client area: AdjustWindowRectExForDpi where the system has it
// (Windows 10 1607 on), which measures the frame at the form's own DPI.
void AdjustFrame(RECT& frame, DWORD style, DWORD exStyle, UINT dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      SystemFunction<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, dpi)) {
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
}

void RegisterPanelClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &PanelProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPanelClass;
    return ::RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

// Moves and sizes a child window by the ratio of two DPIs, relative to its parent.
BOOL CALLBACK RescaleChild(HWND child, LPARAM param) {
  const auto* ratio = reinterpret_cast<const std::pair<UINT, UINT>*>(param);
  const auto scale = [ratio](LONG value) {
    return ::MulDiv(value, static_cast<int>(ratio->second), static_cast<int>(ratio->first));
  };
  RECT bounds;
  ::GetWindowRect(child, &bounds);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&bounds), 2);
  ::SetWindowPos(child, nullptr, scale(bounds.left), scale(bounds.top),
                 scale(bounds.right) - scale(bounds.left), scale(bounds.bottom) - scale(bounds.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

// Children that used one of a form's fonts take its replacement.
struct FontSwap {
  HFONT oldFont;
  HFONT newFont;
  HFONT oldBold;
  HFONT newBold;
};

BOOL CALLBACK SwapChildFont(HWND child, LPARAM param) {
  const auto* swap = reinterpret_cast<const FontSwap*>(param);
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
  const HFONT replacement = font == swap->oldFont ? swap->newFont
                            : font == swap->oldBold ? swap->newBold
                                                    : nullptr;
  if (replacement != nullptr) {
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(replacement), TRUE);
  }
  return TRUE;
}

}  // namespace

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow =
      SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  return WindowDpi(HMONITOR{nullptr});
}

UINT WindowDpi(HMONITOR monitor) {
  // shcore.dll, Windows 8.1 on; MDT_EFFECTIVE_DPI = 0.
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor =
      SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (getDpiForMonitor != nullptr && monitor != nullptr &&
      SUCCEEDED(getDpiForMonitor(monitor, 0, &dpiX, &dpiY)) && dpiX != 0) {
    return dpiX;
  }
  const WindowDc screen = GetWindowDc(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

UINT PrimaryMonitorDpi() {
  return WindowDpi(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

int ScaleForDpi(HWND window, int design) {
  return ::MulDiv(design, static_cast<int>(WindowDpi(window)), kDesignDpi);
}

UniqueFont CreateFormFont(bool bold, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -::MulDiv(11, static_cast<int>(dpi), kDesignDpi);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  return UniqueFont(::CreateFontIndirectW(&font));
}

HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   int x, int y, int width, int height, int id, HFONT font, DWORD exStyle) {
  const int dpi = static_cast<int>(WindowDpi(parent));
  const auto scale = [dpi](int design) { return ::MulDiv(design, dpi, kDesignDpi); };
  return CreateControl(parent, className, text, style,
                       TPixelBounds{scale(x), scale(y), scale(width), scale(height)}, id, font,
                       exStyle);
}

HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   const TPixelBounds& bounds, int id, HFONT font, DWORD exStyle) {
  HWND control = ::CreateWindowExW(exStyle, className, Wide(text).c_str(),
                                   WS_CHILD | WS_VISIBLE | style,
                                   bounds.x, bounds.y, bounds.width, bounds.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
  if (control != nullptr && font != nullptr) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return control;
}

HWND CreatePanel(HWND parent, int x, int y, int width, int height) {
  RegisterPanelClass();
  return CreateControl(parent, kPanelClass, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y, width,
                       height, 0, nullptr, WS_EX_CONTROLPARENT);
}

HWND CreatePanel(HWND parent, const TPixelBounds& bounds) {
  RegisterPanelClass();
  return CreateControl(parent, kPanelClass, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, bounds, 0,
                       nullptr, WS_EX_CONTROLPARENT);
}

void TForm::CreateForm(const TFormStyle& style, TPosition position) {
  position_ = position;
  owner_ = style.owner;

  const std::wstring className = Wide(style.className);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExW(app_.Instance(), className.c_str(), &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TForm::StaticWndProc;
    wc.hInstance = app_.Instance();
    wc.hIcon = app_.ProgramIcon();
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = style.background;
    wc.lpszClassName = className.c_str();
    ::RegisterClassExW(&wc);
  }
  // The window learns its monitor's DPI once it exists: it is made first and sized after.
  HWND window = ::CreateWindowExW(style.exStyle | WS_EX_CONTROLPARENT, className.c_str(),
                                  Wide(style.caption).c_str(), style.style, 0, 0, style.clientWidth,
                                  style.clientHeight, style.owner, nullptr, app_.Instance(), this);
  window_.Reset(window);
  dpi_ = WindowDpi(window);
  font_ = CreateFormFont(false, dpi_);
  boldFont_ = CreateFormFont(true, dpi_);
  RECT frame{0, 0, Scaled(style.clientWidth), Scaled(style.clientHeight)};
  AdjustFrame(frame, style.style, style.exStyle, dpi_);
  ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::DpiChanged(UINT dpi, const RECT& suggested) {
  if (dpi == 0 || dpi == dpi_) return;
  std::pair<UINT, UINT> ratio{dpi_, dpi};
  ::EnumChildWindows(window_.get(), &RescaleChild, reinterpret_cast<LPARAM>(&ratio));
  UniqueFont font = CreateFormFont(false, dpi);
  UniqueFont bold = CreateFormFont(true, dpi);
  FontSwap swap{font_.get(), font.get(), boldFont_.get(), bold.get()};
  ::EnumChildWindows(window_.get(), &SwapChildFont, reinterpret_cast<LPARAM>(&swap));
  font_ = std::move(font);
  boldFont_ = std::move(bold);
  dpi_ = dpi;
  ::SetWindowPos(window_.get(), nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TForm::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TForm* form = nullptr;
  if (message == WM_NCCREATE) {
    form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  } else {
    form = reinterpret_cast<TForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (form == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    (void)form->window_.Release();
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  // No C++ exception may unwind through user32: report it here and go on.
  try {
    if (!form->window_) {
      // Messages sent during CreateWindowEx: answer them without the form's handlers, which
      // expect a finished window.
      return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return form->BaseHandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    if (TApplication* app = Application()) app->ShowException(error.what());
  } catch (...) {
    if (TApplication* app = Application()) app->ShowException("Unexpected error");
  }
  return 0;
}

LRESULT TForm::BaseHandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      for (HWND label : highlightLabels_) {
        if (label == control) {
          const HDC dc = reinterpret_cast<HDC>(wParam);
          ::SetTextColor(dc, ::GetSysColor(COLOR_MENUHILIGHT));
          ::SetBkMode(dc, TRANSPARENT);
          return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
      }
      break;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) app_.SetDialogWindow(window_.get());
      break;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return HandleMessage(message, wParam, lParam);
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        SetModalResult(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_CLOSE:
      SetModalResult(mrCancel);
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

void TForm::Centre() {
  RECT frame;
  ::GetWindowRect(window_.get(), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (position_ == TPosition::poOwnerFormCenter && owner_ != nullptr &&
      ::IsWindowVisible(owner_)) {
    ::GetWindowRect(owner_, &area);
  }
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(window_.get(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show() {
  FormShow();
  if (position_ != TPosition::poDesigned) Centre();
  ::ShowWindow(window_.get(), SW_SHOW);
}

void TForm::Hide() { ::ShowWindow(window_.get(), SW_HIDE); }

int TForm::ShowModal() {
  modalResult_ = mrNone;
  // The program's other windows take no input while the form is up.
  std::vector<HWND> disabled;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&disabled));
  for (HWND window : disabled) ::EnableWindow(window, FALSE);
  const HWND previousDialog = app_.DialogWindow();
  Show();
  ::SetForegroundWindow(window_.get());
  app_.SetDialogWindow(window_.get());

  MSG message;
  while (modalResult_ == mrNone) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // The quit request belongs to the main event loop: hand it back.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      modalResult_ = mrCancel;
      break;
    }
    app_.Dispatch(message);
  }
  for (HWND window : disabled) ::EnableWindow(window, TRUE);
  Hide();
  app_.SetDialogWindow(previousDialog);
  return modalResult_;
}

}  // namespace mirel::win32
