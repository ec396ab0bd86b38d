// The tray menu's lists of windows ("Switch To", "Move here"), filled when their submenu opens:
// the menu itself appears without a look at any window, and the lists of one opening come from
// one tree of windows, built once the open menu first waits for the user (so that it is ready
// when the user reaches a list), or by the first list opened before then. What the last tree
// learnt of the windows that did not move is not asked again.
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

  // At each opening of the menu, before it shows: the next tree is built afresh.
  void MenuOpens() {
    FreeWindowTree(tree_);
    opened_ = true;
  }
  // The open menu waits for the user: the tree of this opening is built now, once.
  void MenuShown();
  // Fills `list` (emptied first) with the windows of the tree; "This app" items are disabled in
  // "Switch To" (`switchTo`), where the owner's own item does the same.
  void Fill(TMenuItem& list, bool switchTo, const TMenuClick& onClick);

 private:
  void BuildTree();

  IWindowSystem& ws_;
  TIsHiddenByProgram isHiddenByProgram_;
  bool opened_ = false;  // MenuOpens came, and no tree since
  std::unique_ptr<TWindowNode> tree_;
  TWindowFactsCache facts_;  // from one opening to the next
};

}  // namespace mirel
