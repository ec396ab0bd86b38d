// A window's family: its root owner and every window that root owns, directly or through others.
// A dialog belongs with its main window, so commands that take a window to another desktop take
// the whole family.
#pragma once

#include <vector>

#include "platform/window_system.h"

namespace mirel {

// The end of `window`'s owner chain: itself when it has no owner. Owner chains that loop (the
// system forbids them, a broken application may still leave one) end at the loop's smallest
// handle, so every window of the loop has the same root.
Hwnd RootOwner(IWindowSystem& ws, Hwnd window);

// The windows of `candidates` whose root owner is `window`'s, in the order of `candidates`. A
// hidden root owner that is not among the candidates still joins the windows it owns.
std::vector<Hwnd> WindowFamily(IWindowSystem& ws, Hwnd window, const std::vector<Hwnd>& candidates);

}  // namespace mirel
