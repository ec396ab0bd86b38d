// Keyboard and mouse input as a user would give it.
//
// Keys go through SendInput, which reaches Wine's input queue directly (global hot keys too,
// whatever window has the focus). Mouse clicks are real X clicks through xdotool: SendInput clicks
// do not reach the notification area of Wine's virtual desktop (the icon sees only the pointer
// move), and on ordinary windows about one in twenty-five was lost when the test also read the
// screen meanwhile; X clicks were never lost. Wine's virtual desktop fills the X screen from its
// origin, so screen and X coordinates are the same.
#pragma once

#include <initializer_list>

#include "platform/win32/windows_api.h"

namespace mirel::e2e {

enum class MouseButton { kLeft, kRight };

// Presses `keys` in order and releases them in reverse: {VK_CONTROL, VK_SHIFT, VK_F3} is the
// combination Ctrl+Shift+F3.
void PressKeys(std::initializer_list<WORD> keys);
inline void TapKey(WORD key) { PressKeys({key}); }

// A click (press and release) at a screen point. Throws DriverError when xdotool fails.
void Click(POINT point, MouseButton button = MouseButton::kLeft);

// The same as Click; the name says how it is done.
inline void XClick(POINT point, MouseButton button = MouseButton::kLeft) { Click(point, button); }

// Moves the pointer through `points` in turn: real X motion events. Throws DriverError when
// xdotool fails.
void MovePointerAlong(std::initializer_list<POINT> points);
inline void MovePointer(POINT a, POINT b) { MovePointerAlong({a, b}); }

// Where the pointer is.
POINT CursorPosition();

}  // namespace mirel::e2e
