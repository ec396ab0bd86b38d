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
// The same, centred on `area` (the primary monitor's work area): with several monitors the name
// shows where the taskbar and the user's eyes are.
TOverlayLayout OverlayLayoutOn(Size text, const Rect& area,
                               Size margin = {kOverlayExtraWidth, kOverlayExtraHeight});

}  // namespace mirel
