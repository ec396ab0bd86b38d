// The "Visual Manager" page: the miniature of the eight desktops, drawn through an off-screen
// bitmap, and the mouse work on it (click to switch, press-wait-drag to move a window).
#include "platform/win32/windows_api.h"

#include "app/win32/main_form.h"
#include "platform/win32/wide_text.h"

namespace mirel::win32 {

namespace {

constexpr int kSmallFontsPoints = 5;

COLORREF ToColorRef(TColor color) {
  return IsSysColor(color) ? ::GetSysColor(SysColorIndex(color)) : static_cast<COLORREF>(color);
}

RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

void FillSolid(HDC dc, const Rect& area, TColor color) {
  const UniqueBrush brush(::CreateSolidBrush(ToColorRef(color)));
  const RECT rect = ToRect(area);
  ::FillRect(dc, &rect, brush.get());
}

// Each line a band of the line's width from its coordinate on, its end excluded.
void DrawGrid(HDC dc, const TVisualPicture& picture) {
  const UniqueBrush brush(::CreateSolidBrush(ToColorRef(picture.GridLineColor)));
  const int width = picture.LineWidth;
  for (const TLine& line : picture.GridLines) {
    const bool vertical = line.From.x == line.To.x;
    const RECT band = vertical ? RECT{line.From.x, line.From.y, line.From.x + width, line.To.y}
                               : RECT{line.From.x, line.From.y, line.To.x, line.From.y + width};
    ::FillRect(dc, &band, brush.get());
  }
}

void DrawMonitorOutlines(HDC dc, const TVisualPicture& picture) {
  if (picture.MonitorOutlines.empty()) return;
  const UniquePen pen(::CreatePen(PS_DOT, 1, ToColorRef(picture.GridLineColor)));
  const ScopedSelection selection(dc, pen.get());
  const ScopedSelection brush(dc, ::GetStockObject(NULL_BRUSH));
  for (const Rect& r : picture.MonitorOutlines) ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void DrawWindows(HDC dc, const TVisualPicture& picture) {
  const UniqueBrush foreground(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
  const UniqueBrush other(::CreateSolidBrush(::GetSysColor(COLOR_BTNHIGHLIGHT)));
  // Inside the frame: a wider outline keeps to the window's rectangle.
  const UniquePen pen(
      ::CreatePen(PS_INSIDEFRAME, picture.LineWidth, ::GetSysColor(COLOR_HOTLIGHT)));
  const ScopedSelection penSelection(dc, pen.get());
  ::SetTextColor(dc, ToColorRef(picture.TitleColor));
  for (const TPictureWindow& window : picture.Windows) {
    const Rect& b = window.Bounds;
    {
      const ScopedSelection brush(dc, window.Foreground ? foreground.get() : other.get());
      ::Rectangle(dc, b.left, b.top, b.right, b.bottom);
    }
    // The title is cut off at the rectangle's edge.
    const RECT clip = ToRect(b);
    const std::wstring title = Wide(window.Title);
    ::ExtTextOutW(dc, b.left + picture.TextIndent, b.top, ETO_CLIPPED, &clip, title.c_str(),
                  static_cast<UINT>(title.size()), nullptr);
  }
}

void DrawCellNumbers(HDC dc, const TVisualPicture& picture) {
  ::SetTextColor(dc, ToColorRef(picture.CellNumberColor));
  for (const TCellNumber& number : picture.CellNumbers) {
    const std::wstring text = Wide(number.Text);
    const RECT clip = ToRect(number.Cell);
    ::ExtTextOutW(dc, number.At.x, number.At.y, ETO_CLIPPED, &clip, text.c_str(),
                  static_cast<UINT>(text.size()), nullptr);
  }
}

}  // namespace

void TVirtualDeskForm::CreateDesktopsPaintBox(HWND parent, int x, int y, int width, int height) {
  DesktopsPaintBox_ = std::make_unique<TPaintBox>(parent, x, y, width, height);
  TPaintBox& box = *DesktopsPaintBox_;
  box.OnPaint = [this](HDC dc) { PaintDesktops(dc); };
  box.OnMouseDown = [this](TMouseButton button, Point p) { DesktopsPaintBoxMouseDown(button, p); };
  box.OnMouseMove = [this](Point p) { DesktopsPaintBoxMouseMove(p); };
  box.OnMouseUp = [this](TMouseButton button, Point p) { DesktopsPaintBoxMouseUp(button, p); };
  box.OnCaptureLost = [this] { VisualManager_.CaptureLost(); };
  box.OnTimer = [this] { AllowMoveTimer(); };
}

void TVirtualDeskForm::DesktopsPaintBoxPaint() {
  if (!DesktopsPaintBox_) return;
  const WindowDc dc = GetWindowDc(DesktopsPaintBox_->Handle());
  if (dc) PaintDesktops(dc.get());
}

void TVirtualDeskForm::PaintDesktops(HDC target) {
  const Size client = DesktopsPaintBox_->ClientSize();
  const TVisualPicture picture = VisualManager_.Compose(client);
  const HDC dc = DesktopsBitmap_.Prepare(target, client.cx + 1, client.cy + 1);
  if (dc == nullptr) return;
  if (!SmallFonts_) {
    LOGFONTW font{};
    // At the DPI of the form's monitor, not the system's.
    font.lfHeight = -::MulDiv(kSmallFontsPoints, static_cast<int>(Dpi()), 72);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"Small Fonts", LF_FACESIZE);
    SmallFonts_.Reset(::CreateFontIndirectW(&font));
  }

  FillSolid(dc, {0, 0, client.cx, client.cy}, picture.BackgroundColor);
  if (picture.HasGrid) {
    FillSolid(dc, picture.CurrentCell, picture.CurrentCellColor);
    DrawGrid(dc, picture);
    DrawMonitorOutlines(dc, picture);
    const ScopedSelection font(dc, SmallFonts_.get());
    ::SetBkMode(dc, TRANSPARENT);
    DrawWindows(dc, picture);
    DrawCellNumbers(dc, picture);
  }
  ::BitBlt(target, 0, 0, client.cx, client.cy, dc, 0, 0, SRCCOPY);
}

void TVirtualDeskForm::DesktopsPaintBoxMouseDown(TMouseButton button, Point pointer) {
  // Input comes before a pending paint; the press must meet the cells of the picture on screen.
  ::UpdateWindow(DesktopsPaintBox_->Handle());
  VisualManager_.MouseDown(button, pointer);
}

void TVirtualDeskForm::DesktopsPaintBoxMouseMove(Point pointer) {
  VisualManager_.MouseMove(pointer, DesktopsPaintBox_->ClientSize());
}

void TVirtualDeskForm::DesktopsPaintBoxMouseUp(TMouseButton button, Point pointer) {
  ::UpdateWindow(DesktopsPaintBox_->Handle());
  VisualManager_.MouseUp(button, pointer);
}

void TVirtualDeskForm::AllowMoveTimer() { VisualManager_.AllowMoveTimer(); }

void TVirtualDeskForm::StartAllowMove(int intervalMs) {
  DesktopsPaintBox_->StartTimer(static_cast<UINT>(intervalMs > 0 ? intervalMs : 0));
}

void TVirtualDeskForm::StopAllowMove() { DesktopsPaintBox_->StopTimer(); }

void TVirtualDeskForm::RepaintPicture() { DesktopsPaintBoxPaint(); }

void TVirtualDeskForm::InvalidatePicture() {
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace mirel::win32
