#include "app/tray_marks.h"

#include "platform/utf.h"

namespace mirel {

TTrayPicture TrayIconPicture(int icon, int marked, bool follows) {
  if (marked == icon) return TTrayPicture::kActive;
  if (follows && marked == icon + kTrayIconCount) return TTrayPicture::kBelow;
  return TTrayPicture::kIdle;
}

std::string TrayIconHint(const TDesktopNames& names, int icon, int onScreen, bool follows) {
  const std::string own = DesktopName(names, icon);
  if (!follows) return own;
  const std::string tail = " - now: " + DesktopName(names, onScreen);
  const std::size_t tailChars = Utf16Length(tail);
  const std::size_t room = kTrayTipChars > tailChars ? kTrayTipChars - tailChars : 0;
  return CutToUtf16Units(own, room) + tail;
}

}  // namespace mirel
