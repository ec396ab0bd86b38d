// The desktop commands that hot keys, the tray menu and other programs (the command line) give:
// one value type, carried out in one place.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace mirel {

class TDesktopEngine;

// The numbers are those of the message other programs send (docs/scripting.md); kMoveNext and
// kMovePrevious come from hot keys only.
enum class TDeskCommandKind : std::uint32_t {
  kSwitchTo = 1,    // desktop N
  kNext = 2,        // the next desktop, 8 wraps to 1
  kPrevious = 3,    // the previous one, 1 wraps to 8
  kMoveTo = 4,      // the active window to desktop N; the desktop on screen stays
  kMoveFollow = 5,  // the same, and desktop N comes on screen
  kCurrent = 6,     // asks which desktop is on screen; changes nothing
  kMoveNext = 7,    // the active window to the next desktop, and along with it
  kMovePrevious = 8,
};

struct TDeskCommand {
  TDeskCommandKind Kind = TDeskCommandKind::kCurrent;
  int Desktop = 0;  // index 0..7 for kSwitchTo, kMoveTo and kMoveFollow
  friend bool operator==(const TDeskCommand&, const TDeskCommand&) = default;
};

// Whether the command names a desktop.
constexpr bool TakesDesktop(TDeskCommandKind kind) {
  return kind == TDeskCommandKind::kSwitchTo || kind == TDeskCommandKind::kMoveTo ||
         kind == TDeskCommandKind::kMoveFollow;
}

// Carries the command out; `active` is the window the move commands take (with its family).
void RunDeskCommand(TDesktopEngine& engine, const TDeskCommand& command, Hwnd active);

}  // namespace mirel
