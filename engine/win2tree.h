// Window text routines and the owner tree of top-level windows.
#pragma once

#include <string>
#include <string_view>

#include "platform/window_system.h"

namespace mirel {

// Title through a 255-character buffer: at most 254 characters; empty for a window without text or
// one that no longer exists.
inline constexpr int kTitleBufferChars = 255;
// Class name through a 256-character buffer: at most 255 characters.
inline constexpr int kClassBufferChars = 256;
// Captions and other short strings hold at most 255 characters.
inline constexpr std::size_t kShortStringMax = 255;

std::string GetWindowTitle(IWindowSystem& ws, Hwnd window);
std::string GetWindowClass(IWindowSystem& ws, Hwnd window);

// Upper-cases the ASCII letters a..z only; every other byte stays as it is.
std::string UpperAscii(std::string_view text);

}  // namespace mirel
