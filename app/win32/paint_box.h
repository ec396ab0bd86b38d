// A paint box: a child window that draws nothing by itself and hands its paint request, its mouse
// events and one timer to the form it belongs to. While a button is held the pointer stays
// captured by the box, so a release (and every move) reaches it even outside its area.
//
// The picture is drawn through an off-screen bitmap (TOffscreenBitmap) and copied in one piece,
// so the box never flickers; it leaves its background unerased.
#pragma once

#include <functional>

#include "app/visual_manager.h"
#include "platform/types.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

class TPaintBox {
 public:
  TPaintBox(HWND parent, int x, int y, int width, int height);
  TPaintBox(const TPaintBox&) = delete;
  TPaintBox& operator=(const TPaintBox&) = delete;
  // The window goes with its parent; from here on its messages reach no handler.
  ~TPaintBox();

  HWND Handle() const { return window_; }
  Size ClientSize() const;

  // The handlers; mouse positions are client pixels, negative or beyond the size while captured.
  std::function<void(HDC)> OnPaint;
  std::function<void(TMouseButton, Point)> OnMouseDown;
  std::function<void(Point)> OnMouseMove;
  std::function<void(TMouseButton, Point)> OnMouseUp;
  // Another window took the mouse capture while a button was held.
  std::function<void()> OnCaptureLost;
  std::function<void()> OnTimer;

  // The box's timer: (re)started with the interval, or stopped.
  void StartTimer(UINT intervalMs);
  void StopTimer();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void ButtonDown(TMouseButton button, LPARAM lParam);
  void ButtonUp(TMouseButton button, LPARAM lParam);

  HWND window_ = nullptr;
};

// A bitmap and a memory DC to compose a picture in; the bitmap is made once and only replaced
// when the size changes.
class TOffscreenBitmap {
 public:
  TOffscreenBitmap() = default;
  TOffscreenBitmap(const TOffscreenBitmap&) = delete;
  TOffscreenBitmap& operator=(const TOffscreenBitmap&) = delete;
  ~TOffscreenBitmap();

  // The memory DC with a bitmap of at least `width` x `height` selected, compatible with
  // `reference`; null when GDI refused.
  HDC Prepare(HDC reference, int width, int height);

 private:
  void Deselect();

  MemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ original_ = nullptr;  // the DC's own bitmap, selected back before ours is deleted
  int width_ = 0;
  int height_ = 0;
};

}  // namespace mirel::win32
