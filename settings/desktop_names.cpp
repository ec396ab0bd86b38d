#include "settings/desktop_names.h"

#include "platform/utf.h"

namespace mirel {

namespace {

// C0, DEL and C1: none of them draws anything, and a line break would tear the overlay apart.
bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsBlank(char32_t c) { return c == U' ' || c == U'\u00A0' || c == U'\u3000'; }

}  // namespace

std::string DefaultDesktopName(int desktop) { return "Desktop " + std::to_string(desktop + 1); }

TDesktopNames DefaultDesktopNames() {
  TDesktopNames names;
  for (int d = 0; d < kDesktopNameCount; ++d) {
    names[static_cast<std::size_t>(d)] = DefaultDesktopName(d);
  }
  return names;
}

std::string DesktopNameValueName(int desktop) { return "Name" + std::to_string(desktop + 1); }

std::string CleanDesktopName(std::string_view text, int desktop) {
  std::string kept;
  std::size_t lastNonBlank = 0;  // end of the kept text without trailing blanks
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t c = NextCodePoint(text, pos);
    if (IsControl(c)) continue;
    if (IsBlank(c) && kept.empty()) continue;
    kept.append(text.substr(start, pos - start));
    if (!IsBlank(c)) lastNonBlank = kept.size();
  }
  kept.resize(lastNonBlank);
  kept = CutToUtf16Units(kept, kDesktopNameMaxChars);
  return kept.empty() ? DefaultDesktopName(desktop) : kept;
}

std::string DesktopName(const TDesktopNames& names, int desktop) {
  if (desktop < 0 || desktop >= kDesktopNameCount) return DefaultDesktopName(desktop);
  return names[static_cast<std::size_t>(desktop)];
}

}  // namespace mirel
