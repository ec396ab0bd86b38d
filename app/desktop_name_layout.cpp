#include "app/desktop_name_layout.h"

namespace mirel {

TOverlayLayout OverlayLayout(Size text, Size screen) {
  const int width = text.cx + kOverlayExtraWidth;
  const int height = text.cy + kOverlayExtraHeight;
  const int left = (screen.cx - width) / 2;
  const int top = (screen.cy - height) / 2;
  return {{left, top, left + width, top + height}, {(width - text.cx) / 2, (height - text.cy) / 2}};
}

}  // namespace mirel
