#include "app/tray_window_lists.h"

namespace mirel {

void TTrayWindowLists::Fill(TMenuItem& list, bool switchTo, const TMenuClick& onClick) {
  // The menus show titles only: the nodes need no class names.
  if (!tree_) tree_ = BuildWindowTree(ws_, isHiddenByProgram_, false, facts_);
  list.Clear();
  FillMenuFromTree(ws_, *tree_, list, switchTo, nullptr, onClick);
}

}  // namespace mirel
