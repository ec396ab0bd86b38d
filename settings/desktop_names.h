// The desktops' names: what the overlay, the windows tree, the visual manager and the tray icons
// call each desktop. Stored as "Name1" .. "Name8" under "Options".
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace mirel {

inline constexpr int kDesktopNameCount = 8;
// Counted as Windows counts characters, in UTF-16 units.
inline constexpr std::size_t kDesktopNameMaxChars = 64;

using TDesktopNames = std::array<std::string, kDesktopNameCount>;

// "Desktop 1" .. "Desktop 8" for desktop 0..7.
std::string DefaultDesktopName(int desktop);
TDesktopNames DefaultDesktopNames();
// "Name1" .. "Name8" for desktop 0..7.
std::string DesktopNameValueName(int desktop);

// What a typed or stored name becomes: control characters dropped, blanks around it trimmed, cut
// to kDesktopNameMaxChars between characters; the default when nothing is left.
std::string CleanDesktopName(std::string_view text, int desktop);

// The name of `desktop`, or its default when it lies outside 0..7.
std::string DesktopName(const TDesktopNames& names, int desktop);

}  // namespace mirel
