// The sample's hidden control window: a running test adds and closes windows, or ends the sample,
// by sending it WM_COPYDATA with a command as text (not necessarily zero-terminated):
//   <window text>   opens a window (see window_recipe.h); the reply is 1 once it exists, else 0
//   close <title>   posts WM_CLOSE to the sample window of that title; 1 when there was one
//   quit            ends the sample; 1
#pragma once

#include "platform/win32/handles.h"

namespace mirel::sample {

inline constexpr const char* kControlWindowClass = "MirelSampleControl";

// Creates the control window on the calling thread; empty on failure.
win32::UniqueWindow CreateControlWindow();

}  // namespace mirel::sample
