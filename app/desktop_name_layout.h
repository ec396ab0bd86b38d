// Where the desktop name overlay goes: sized to its text plus a margin, the text in the middle,
// the whole centred on the primary screen.
#pragma once

#include "platform/types.h"

namespace mirel {

inline constexpr int kOverlayExtraWidth = 20;
inline constexpr int kOverlayExtraHeight = 15;

struct TOverlayLayout {
  Rect Bounds;       // screen coordinates
  Point TextOrigin;  // the text's top-left corner inside the overlay (TextLeft, TextTop)
};

// `text` is the caption's extent in the overlay's font; `margin` the room added around it, which
// grows with the screen's DPI as the font does. Integer division truncates toward zero.
TOverlayLayout OverlayLayout(Size text, Size screen,
                             Size margin = {kOverlayExtraWidth, kOverlayExtraHeight});

}  // namespace mirel
