// What the four tray icons show: which picture each one has and its tooltip.
//
// An icon marks the desktop of its own column: the active picture while its desktop is the marked
// one, the "desktop below" picture while the desktop of the lower row in its column is (only when
// the icons follow every switch; otherwise desktops 5 to 8 mark no icon, as before).
#pragma once

#include <cstddef>
#include <string>

#include "settings/desktop_names.h"

namespace mirel {

inline constexpr int kTrayIconCount = 4;
// A notification icon's tooltip shows 127 characters.
inline constexpr std::size_t kTrayTipChars = 127;

enum class TTrayPicture { kIdle, kActive, kBelow };

// `icon` 0..3; `marked` the desktop 0..7 the icons mark, or -1 for none.
TTrayPicture TrayIconPicture(int icon, int marked, bool follows);

// The icon's desktop name; when following, " - now: " and the name of the desktop on screen, the
// icon's own name cut so that the end stays within the visible tooltip.
std::string TrayIconHint(const TDesktopNames& names, int icon, int onScreen, bool follows);

}  // namespace mirel
