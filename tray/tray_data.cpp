#include "tray/tray_data.h"

#include <algorithm>

namespace mirel {

std::array<char, kTrayTipSize> MakeTrayTip(std::string_view hint, bool showHint) {
  std::array<char, kTrayTipSize> tip{};
  if (showHint) {
    const std::size_t length = std::min(hint.size(), tip.size() - 1);
    std::copy_n(hint.begin(), length, tip.begin());
  }
  return tip;
}

int ClampIconIndex(int index, int count) {
  if (count <= 0 || index < 0) return 0;
  return std::min(index, count - 1);
}

int NextCycleIndex(int index, int count) { return index < count - 1 ? index + 1 : 0; }

}  // namespace mirel
