#include "app/tray_window_lists.h"

namespace mirel {

void TTrayWindowLists::BuildTree() {
  // The menus show titles only: the nodes need no class names.
  tree_ = BuildWindowTree(ws_, isHiddenByProgram_, false, facts_);
  opened_ = false;
}

void TTrayWindowLists::MenuShown() {
  if (opened_ && !tree_) BuildTree();
}

void TTrayWindowLists::Fill(TMenuItem& list, bool switchTo, const TMenuClick& onClick) {
  if (!tree_) BuildTree();
  list.Clear();
  FillMenuFromTree(ws_, *tree_, list, switchTo, nullptr, onClick);
}

}  // namespace mirel
