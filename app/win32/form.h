// A top-level form: one window of a class of its own, bound to its C++ object at WM_NCCREATE, with
// the form's font, centring, modal showing and the exception boundary of its window procedure.
//
// Sizes: the program is aware of the DPI of each monitor (see the manifest), so a window's pixels
// are the monitor's physical pixels. Forms and controls are written in design pixels at 96 DPI;
// CreateForm, CreateControl, CreatePanel and the form's fonts scale them to the DPI of the monitor
// the form is on, and a form that moves to a monitor of another DPI is scaled again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/win32/application.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

inline constexpr int mrNone = 0;
// The DPI at which design pixels are given.
inline constexpr UINT kDesignDpi = 96;
inline constexpr int mrOk = IDOK;
inline constexpr int mrCancel = IDCANCEL;

struct TFormStyle {
  const char* className = nullptr;  // this and the caption UTF-8
  std::string caption;
  DWORD style = WS_POPUP | WS_CAPTION;
  DWORD exStyle = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  HWND owner = nullptr;
  // Background brush of the class; nullptr for none (the form paints or is layered).
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

class TForm {
 public:
  explicit TForm(TApplication& app) : app_(app) {}
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;
  virtual ~TForm() = default;

  HWND Handle() const { return window_.get(); }
  bool Visible() const { return window_ && ::IsWindowVisible(window_.get()); }
  // Shows the form; forms placed in the middle of the screen are centred at every show.
  void Show();
  void Hide();
  // Shows the form modally: the other windows of the program take no input until it closes, the
  // event loop goes on. Returns the modal result (mrOk, mrCancel).
  int ShowModal();
  void SetModalResult(int result) { modalResult_ = result; }
  int ModalResult() const { return modalResult_; }
  HFONT Font() const { return font_.get(); }
  HFONT BoldFont() const { return boldFont_.get(); }
  // The DPI of the form's monitor, and design pixels in pixels of that monitor.
  UINT Dpi() const { return dpi_; }
  int Scaled(int design) const { return ::MulDiv(design, static_cast<int>(dpi_), kDesignDpi); }
  RECT Scaled(const RECT& design) const {
    return {Scaled(design.left), Scaled(design.top), Scaled(design.right), Scaled(design.bottom)};
  }

 protected:
  enum class TPosition { poDesigned, poScreenCenter, poOwnerFormCenter };

  void CreateForm(const TFormStyle& style, TPosition position);
  // The form's message handler; the default passes everything to DefWindowProc.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window_.get(), message, wParam, lParam);
  }
  // Called before every show, while the window is still hidden.
  virtual void FormShow() {}
  // Labels drawn bold in the menu-highlight colour (the page headers).
  void AddHighlightLabel(HWND label) { highlightLabels_.push_back(label); }
  void Centre();
  // WM_DPICHANGED: the form went to a monitor of another DPI. Children are moved and sized by the
  // ratio of the DPIs and take the form's new fonts, then the form takes the system's suggested
  // rectangle. Forms with pictures or fonts of their own draw them again after this.
  virtual void DpiChanged(UINT dpi, const RECT& suggested);

  TApplication& app_;

 private:
  static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT BaseHandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  UniqueWindow window_;
  UniqueFont font_;
  UniqueFont boldFont_;
  UINT dpi_ = kDesignDpi;
  TPosition position_ = TPosition::poDesigned;
  HWND owner_ = nullptr;
  int modalResult_ = mrNone;
  std::vector<HWND> highlightLabels_;
};

// The DPI of the monitor `window` is on: GetDpiForWindow where the system has it (Windows 10
// 1607 on), else the screen's LOGPIXELSX.
UINT WindowDpi(HWND window);
// The DPI of `monitor` (GetDpiForMonitor where the system has it, Windows 8.1 on), else the
// screen's LOGPIXELSX.
UINT WindowDpi(HMONITOR monitor);
// `design` pixels at 96 DPI in pixels of the monitor `window` is on.
int ScaleForDpi(HWND window, int design);
// The DPI of the primary monitor, where the taskbar and the desktop's name are.
UINT PrimaryMonitorDpi();

// Bounds of a child control already in pixels of its monitor: measured ones (client areas, text
// extents), or design values the caller scaled.
struct TPixelBounds {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Creates a child control with the form's font. The first form takes design pixels and scales
// them to the DPI of `parent`; the second takes pixels.
// `text` is UTF-8.
HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   int x, int y, int width, int height, int id, HFONT font, DWORD exStyle = 0);
HWND CreateControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style,
                   const TPixelBounds& bounds, int id, HFONT font, DWORD exStyle = 0);
// A plain container that passes its children's notifications on to the form it belongs to; design
// pixels or pixels as for CreateControl.
HWND CreatePanel(HWND parent, int x, int y, int width, int height);
HWND CreatePanel(HWND parent, const TPixelBounds& bounds);
// "MS Sans Serif" at 8 points (character height 11 design pixels) at `dpi`.
UniqueFont CreateFormFont(bool bold, UINT dpi = kDesignDpi);

}  // namespace mirel::win32
