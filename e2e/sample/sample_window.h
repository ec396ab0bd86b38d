// The windows of the sample application. Each window runs on a thread of its own with its own
// message loop, as the windows of separate applications would: a window that hangs stalls only its
// own thread, and a WM_QUIT posted to a window ends only that window's thread (and the window).
#pragma once

#include <string>

#include "e2e/sample/window_recipe.h"
#include "platform/win32/windows_api.h"

namespace mirel::sample {

// The property of each sample window that counts its changes of place: another process reads it
// with GetProp, and sees every move, also one that a later move undid before it looked.
inline constexpr char kMovesProperty[] = "MirelSampleMoves";
// How many WM_DISPLAYCHANGE messages an `onmove` window sent and had answered.
inline constexpr char kToldProperty[] = "MirelSampleTold";

struct OpenResult {
  HWND window = nullptr;  // null on failure
  std::string error;
};

// Starts a thread that creates the window `recipe` describes and runs its message loop; returns
// once the window exists (shown, disabled, owned as asked) or its creation failed.
OpenResult OpenWindowOnOwnThread(const WindowRecipe& recipe);

// The sample window of this process titled `title` (not the control window, not a hidden owner);
// null when there is none.
HWND FindSampleWindow(const std::string& title);

}  // namespace mirel::sample
