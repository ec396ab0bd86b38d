#include "app/desktop_name_layout.h"

namespace mirel {

TOverlayLayout OverlayLayout(Size text, Size screen, Size margin) {
  const int width = text.cx + margin.cx;
  const int height = text.cy + margin.cy;
  const int left = (screen.cx - width) / 2;
  const int top = (screen.cy - height) / 2;
  return {{left, top, left + width, top + height}, {(width - text.cx) / 2, (height - text.cy) / 2}};
}

}  // namespace mirel
