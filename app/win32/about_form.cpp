#include "app/win32/about_form.h"

#include <commctrl.h>

#include <utility>

#include "app/app_names.h"
#include "app/win32/dialog_style.h"
#include "app/win32/paint_scope.h"
#include "app/win32/resource.h"

#ifndef MIREL_VERSION
#error "MIREL_VERSION (the project version) is defined by the build"
#endif

namespace mirel::win32 {

namespace {

constexpr int kClientWidth = 371;
constexpr int kClientHeight = 256;
// Shape1: the white ground of the icon, the title and the text.
constexpr RECT kShape1{0, 0, kClientWidth, 217};
constexpr int kIconSize = 32;

// Paragraphs end in CRLF: the multi-line edit control wraps the lines itself.
constexpr const char* kInformation =
    "Mirel Virtual Desktop, version " MIREL_VERSION "\r\n"
    "\r\n"
    "Eight desktops on one screen. The desktops lie in a grid of four columns and two rows; only "
    "the current one is on the screen, and switching moves every window by whole screens, so "
    "each window stays on its own desktop.\r\n"
    "\r\n"
    "The program lives in the notification area: click one of its four icons to switch to "
    "desktops 1 to 4, or press the right mouse button on one for the menu, which switches to "
    "any window's desktop, pulls a window onto the desktop on screen, turns the monitor off, "
    "starts the sleep timer and opens the control panel.\r\n"
    "\r\n"
    "Hot keys:\r\n"
    "Shift+Ctrl+F1 ... Shift+Ctrl+F8 switch to desktops 1 to 8 from any application (choose "
    "other keys on the control panel's \"Hot keys\" page).\r\n"
    "Alt+F4 hides the control panel; the program goes on running.\r\n"
    "\r\n"
    "Help: \"How to use\" in the tray menu's Help submenu.\r\n"
    "\r\n"
    "MIT License\r\n"
    "\r\n"
    "Copyright (c) 2026 Mirel Virtual Desktop developers\r\n"
    "\r\n"
    "Permission is hereby granted, free of charge, to any person obtaining a copy of this "
    "software and associated documentation files (the \"Software\"), to deal in the Software "
    "without restriction, including without limitation the rights to use, copy, modify, merge, "
    "publish, distribute, sublicense, and/or sell copies of the Software, and to permit persons "
    "to whom the Software is furnished to do so, subject to the following conditions:\r\n"
    "\r\n"
    "The above copyright notice and this permission notice shall be included in all copies or "
    "substantial portions of the Software.\r\n"
    "\r\n"
    "THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, "
    "INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR "
    "PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE "
    "FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR "
    "OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER "
    "DEALINGS IN THE SOFTWARE.";

// "Times New Roman", bold italic, characters 19 design pixels high, Cyrillic character set.
UniqueFont CreateTitleFont(UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -::MulDiv(19, static_cast<int>(dpi), kDesignDpi);
  font.lfWeight = FW_BOLD;
  font.lfItalic = TRUE;
  font.lfCharSet = RUSSIAN_CHARSET;
  lstrcpynW(font.lfFaceName, L"Times New Roman", LF_FACESIZE);
  return UniqueFont(::CreateFontIndirectW(&font));
}

}  // namespace

TAboutForm::TAboutForm(TApplication& app) : TForm(app) {
  TFormStyle style = DialogStyle(kAboutFormClass, "About Mirel Virtual Desktop", kClientWidth,
                                 kClientHeight, app.Handle());
  // The form paints the white shape behind its controls.
  style.style |= WS_CLIPCHILDREN;
  CreateForm(style, TPosition::poScreenCenter);
  CreateControls();
}

void TAboutForm::CreateControls() {
  const HWND form = Handle();
  Image1_ = CreateControl(form, L"STATIC", "", SS_ICON | SS_REALSIZEIMAGE, 16, 8, kIconSize,
                         kIconSize, 0, nullptr);

  Label1_ = CreateControl(form, L"STATIC", kAppTitle, SS_LEFT | SS_NOPREFIX, 72, 16, 280, 24, 0,
                          nullptr);
  Memo1_ = CreateControl(form, WC_EDITW, kInformation,
                         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, 16,
                         48, 345, 161, 0, Font(), WS_EX_CLIENTEDGE);
  Button1_ = CreateControl(form, WC_BUTTONW, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 288, 224, 75,
                          25, IDOK, Font());
  ApplyPictures();
}

void TAboutForm::ApplyPictures() {
  // The icon is kept by this form while the control shows it.
  UniqueIcon icon(static_cast<HICON>(::LoadImageW(app_.Instance(), MAKEINTRESOURCEW(IDI_PROGRAM),
                                                  IMAGE_ICON, Scaled(kIconSize),
                                                  Scaled(kIconSize), LR_DEFAULTCOLOR)));
  ::SendMessageW(Image1_, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  icon_ = std::move(icon);
  UniqueFont title = CreateTitleFont(Dpi());
  ::SendMessageW(Label1_, WM_SETFONT, reinterpret_cast<WPARAM>(title.get()), TRUE);
  titleFont_ = std::move(title);
}

void TAboutForm::DpiChanged(UINT dpi, const RECT& suggested) {
  TForm::DpiChanged(dpi, suggested);
  ApplyPictures();
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TAboutForm::FormShow() { focus_.Reset(); }

void TAboutForm::Paint() {
  const TPaintScope paint(Handle());
  const RECT shape = Scaled(kShape1);
  ::FillRect(paint.Dc(), &shape, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

LRESULT TAboutForm::ColorStatic(HDC dc, HWND control) {
  if (control == Label1_) {
    // Transparent over the white shape, in the colour of the active window's caption.
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_ACTIVECAPTION));
    return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
  }
  if (control == Memo1_) {
    // A read-only edit asks as a static would; it keeps the look of an ordinary text field.
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
  }
  // The icon lies on the white shape too.
  ::SetBkColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
}

LRESULT TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ACTIVATE:
      if (focus_.Activate(Handle(), wParam, Button1_)) return 0;
      break;
    default:
      break;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace mirel::win32
