// The program's hot keys pressed as a user presses them.
#pragma once

#include <initializer_list>

#include "platform/win32/windows_api.h"

namespace mirel::e2e {

inline WORD FunctionKey(int n) { return static_cast<WORD>(VK_F1 + n - 1); }

inline bool KeyDown(WORD key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

// Shift+Ctrl+F<n> through SendInput, once the keys of the previous press are up and the program
// (its window `programWindow`) has been back in its message loop for a moment: Wine was measured to
// drop about one hot key in 25 to 90 pressed 10 to 15 ms after the previous switch, and none with
// 30 ms between. Throws DriverError when the program does not answer within `answerWithinMs`
// (half a second; longer only where each window the program hides costs seconds).
void PressShiftCtrlF(int n, HWND programWindow, unsigned answerWithinMs = 500);

// Any combination of the program's, `keys` as for PressKeys ({VK_CONTROL, VK_MENU, VK_RIGHT}),
// with the same care.
void PressHotKey(std::initializer_list<WORD> keys, HWND programWindow,
                 unsigned answerWithinMs = 500);

}  // namespace mirel::e2e
