#include "tray/popup_menu.h"

namespace mirel {

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(*this);
  TrackAt(x, y);
}

std::optional<std::size_t> TPopupMenu::DefaultItem() const {
  const std::size_t count = ItemCount();
  for (std::size_t i = 0; i < count; ++i) {
    if (ItemIsDefault(i)) return i;
  }
  return std::nullopt;
}

bool TPopupMenu::ClickDefaultItem() {
  const std::optional<std::size_t> item = DefaultItem();
  if (!item) return false;
  ClickItem(*item);
  return true;
}

}  // namespace mirel
