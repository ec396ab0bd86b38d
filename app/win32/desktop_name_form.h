// The desktop name overlay: after a switch, the new desktop's name in large letters in the middle
// of the screen for 700 ms, with no frame and no background; then the desktop's window is
// activated again.
#pragma once

#include <string>

#include "app/win32/form.h"

namespace mirel::win32 {

class TfDesktopName : public TForm {
 public:
  TfDesktopName(TApplication& app, HWND mainWindow);

  // The window activated when the overlay hides (0 or a closed window are allowed).
  HWND TargetWindow = nullptr;
  // Top-left corner of the text inside the overlay, computed at every show.
  int TextLeft = 0;
  int TextTop = 0;

  void SetCaption(const std::string& caption);
  const std::string& Caption() const { return caption_; }
  // Shows the overlay unless it is still showing (then it hides when its earlier time is up).
  void Show();
  // Stops the hide timer and hides the overlay at once (the next switch has begun).
  void CutShort();
  void HideTimerTimer();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormShow() override;
  // The overlay places itself on the primary monitor at every show: it takes no suggested
  // rectangle, only the new DPI for its letters.
  void DpiChanged(UINT dpi, const RECT& suggested) override;

 private:
  void Paint();
  // The bold 32-pixel letters at `dpi`, made again only when the DPI changed.
  void UseFontFor(UINT dpi);
  // Design pixels at the DPI of the letters.
  int ScaledToFont(int design) const {
    return ::MulDiv(design, static_cast<int>(fontDpi_), kDesignDpi);
  }

  HWND mainWindow_;
  std::string caption_;
  UniqueFont font_;
  UINT fontDpi_ = 0;
};

}  // namespace mirel::win32
