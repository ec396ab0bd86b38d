#include "tray/tray_data.h"

#include <algorithm>

#include "platform/utf.h"

namespace mirel {

std::string MakeTrayTip(std::string_view hint, bool showHint) {
  return showHint ? CutToUtf16Units(hint, kTrayTipSize - 1) : std::string();
}

int ClampIconIndex(int index, int count) {
  if (count <= 0 || index < 0) return 0;
  return std::min(index, count - 1);
}

int NextCycleIndex(int index, int count) { return index < count - 1 ? index + 1 : 0; }

}  // namespace mirel
