// Small rules of the tray icon, kept apart so they read as what they are.
#pragma once

#include <string>
#include <string_view>

#include "tray/tray_platform.h"

namespace mirel {

// The entry's tip: the hint cut to 127 UTF-16 units between characters (the tip's buffer keeps
// one unit for its terminating zero); empty when hints are off.
std::string MakeTrayTip(std::string_view hint, bool showHint);

// An image index kept inside a list of `count` images: too high gives the last image, negative
// gives the first, and an empty list gives 0.
int ClampIconIndex(int index, int count);

// The image after `index` when cycling through `count` images, wrapping to the first.
int NextCycleIndex(int index, int count);

}  // namespace mirel
