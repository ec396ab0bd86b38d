#include "app/desktop_name_layout.h"

namespace mirel {

TOverlayLayout OverlayLayout(Size text, Size screen, Size margin) {
  return OverlayLayoutOn(text, {0, 0, screen.cx, screen.cy}, margin);
}

TOverlayLayout OverlayLayoutOn(Size text, const Rect& area, Size margin) {
  const int width = text.cx + margin.cx;
  const int height = text.cy + margin.cy;
  const int left = area.left + (area.Width() - width) / 2;
  const int top = area.top + (area.Height() - height) / 2;
  return {{left, top, left + width, top + height}, {(width - text.cx) / 2, (height - text.cy) / 2}};
}

}  // namespace mirel
