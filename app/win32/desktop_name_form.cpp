#include "app/win32/desktop_name_form.h"

#include "app/app_names.h"
#include "app/desktop_name_layout.h"
#include "app/win32/menu_popup.h"
#include "app/win32/paint_scope.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr UINT_PTR kHideTimer = 1;
constexpr UINT kHideDelayMs = 700;
// The overlay is a layered window whose background is this colour key: only the letters show.
constexpr COLORREF kTransparentKey = RGB(255, 0, 254);

// The primary monitor's work area, read afresh: monitors and the taskbar may have moved.
Rect PrimaryWorkArea() {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  const HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (!::GetMonitorInfoW(primary, &info)) {
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  const RECT& r = info.rcWork;
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

TfDesktopName::TfDesktopName(TApplication& app, HWND mainWindow)
    : TForm(app), mainWindow_(mainWindow) {
  TFormStyle style;
  style.className = kOverlayFormClass;
  style.caption = "fDesktopName";
  style.style = WS_POPUP;
  style.exStyle = WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  style.clientWidth = 169;
  style.clientHeight = 59;
  style.owner = app.Handle();
  style.background = nullptr;
  CreateForm(style, TPosition::poDesigned);
  ::SetLayeredWindowAttributes(Handle(), kTransparentKey, 255, LWA_COLORKEY);
  caption_ = "fDesktopName";
  UseFontFor(PrimaryMonitorDpi());
}

void TfDesktopName::UseFontFor(UINT dpi) {
  if (font_ && dpi == fontDpi_) return;
  LOGFONTW font{};
  font.lfHeight = -::MulDiv(32, static_cast<int>(dpi), kDesignDpi);
  font.lfWeight = FW_BOLD;
  font.lfCharSet = RUSSIAN_CHARSET;
  // Smoothed edges would blend with the key colour and fringe the letters.
  font.lfQuality = NONANTIALIASED_QUALITY;
  lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  font_.Reset(::CreateFontIndirectW(&font));
  fontDpi_ = dpi;
}

void TfDesktopName::DpiChanged(UINT dpi, const RECT&) { UseFontFor(dpi); }

void TfDesktopName::SetCaption(const std::string& caption) {
  caption_ = caption;
  ::SetWindowTextW(Handle(), Wide(caption_).c_str());
  if (Visible()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TfDesktopName::Show() {
  if (Visible()) return;
  FormShow();
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetForegroundWindow(Handle());
  ::SetTimer(Handle(), kHideTimer, kHideDelayMs, nullptr);
}

void TfDesktopName::FormShow() {
  ::Sleep(25);
  // The name shows in the middle of the primary monitor, at that monitor's DPI (which may have
  // changed since the last show).
  UseFontFor(PrimaryMonitorDpi());
  SIZE text{};
  {
    const WindowDc dc = GetWindowDc(Handle());
    const ScopedSelection select(dc.get(), font_.get());
    const std::wstring caption = Wide(caption_);
    ::GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
  }
  const TOverlayLayout layout = OverlayLayoutOn({text.cx, text.cy}, PrimaryWorkArea(),
                                                {ScaledToFont(kOverlayExtraWidth),
                                                 ScaledToFont(kOverlayExtraHeight)});
  TextLeft = layout.TextOrigin.x;
  TextTop = layout.TextOrigin.y;
  ::SetWindowPos(Handle(), HWND_TOPMOST, layout.Bounds.left, layout.Bounds.top,
                 layout.Bounds.Width(), layout.Bounds.Height(), SWP_NOACTIVATE);
}

void TfDesktopName::CutShort() {
  ::KillTimer(Handle(), kHideTimer);
  Hide();
}

void TfDesktopName::HideTimerTimer() {
  ::KillTimer(Handle(), kHideTimer);
  // Only the overlay's own showing ends in an activation: a stray timer message does nothing.
  if (!Visible()) return;
  Hide();
  // A menu the user opened while the name was shown stays open: activating the target window
  // would take the foreground from it and close it.
  if (TMenuPopup::Tracking()) return;
  if (TargetWindow != nullptr && ::IsWindow(TargetWindow)) {
    ::SetForegroundWindow(mainWindow_);
    ::SetForegroundWindow(TargetWindow);
  }
}

void TfDesktopName::Paint() {
  const TPaintScope paint(Handle());
  const HDC dc = paint.Dc();
  RECT client;
  ::GetClientRect(Handle(), &client);
  // Everything but the letters is the colour key, which the window leaves transparent.
  const UniqueBrush key(::CreateSolidBrush(kTransparentKey));
  ::FillRect(dc, &client, key.get());
  const ScopedSelection select(dc, font_.get());
  ::SetBkMode(dc, TRANSPARENT);
  const std::wstring caption = Wide(caption_);
  const int length = static_cast<int>(caption.size());
  ::SetTextColor(dc, ::GetSysColor(COLOR_INACTIVECAPTION));  // the shadow
  const int shadow = ScaledToFont(2);
  ::TextOutW(dc, TextLeft + shadow, TextTop + shadow, caption.c_str(), length);
  ::SetTextColor(dc, ::GetSysColor(COLOR_ACTIVECAPTION));
  ::TextOutW(dc, TextLeft, TextTop, caption.c_str(), length);
}

LRESULT TfDesktopName::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_TIMER:
      if (wParam == kHideTimer) HideTimerTimer();
      return 0;
    case WM_CLOSE:
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace mirel::win32
