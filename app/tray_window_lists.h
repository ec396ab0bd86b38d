// The tray menu's lists of windows ("Switch To", "Move here"), filled when their submenu opens:
// the menu itself appears without a look at any window, and the lists of one opening come from
// one tree of windows, built when the first of them opens. What the last tree learnt of the windows
// that did not move is not asked again.
#pragma once

#include <memory>
#include <utility>

#include "engine/menu_model.h"
#include "engine/win2tree.h"
#include "platform/window_system.h"

namespace mirel {

class TTrayWindowLists {
 public:
  TTrayWindowLists(IWindowSystem& ws, TIsHiddenByProgram isHiddenByProgram)
      : ws_(ws), isHiddenByProgram_(std::move(isHiddenByProgram)) {}

  // At each opening of the menu: the first list that opens after it builds the tree afresh.
  void MenuOpens() { FreeWindowTree(tree_); }
  // Fills `list` (emptied first) with the windows of the tree; "This app" items are disabled in
  // "Switch To" (`switchTo`), where the owner's own item does the same.
  void Fill(TMenuItem& list, bool switchTo, const TMenuClick& onClick);

 private:
  IWindowSystem& ws_;
  TIsHiddenByProgram isHiddenByProgram_;
  std::unique_ptr<TWindowNode> tree_;
  TWindowFactsCache facts_;  // from one opening to the next
};

}  // namespace mirel
