// The tray menu's lists of windows ("Switch To", "Move here"), filled when their submenu opens:
// the menu itself appears without a look at any window, and the lists of one opening come from
// one tree of windows. Once the menu is on the screen, the tree is built on a thread of its own
// where one is given (its calls to the window system are the lists' whole cost) while the user
// reads the menu, and the first list that opens waits for what is left of it; a list opened before
// then builds it. What the last tree learnt of the windows that did not move is not asked again.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine/menu_model.h"
#include "engine/win2tree.h"
#include "platform/background_work.h"
#include "platform/window_system.h"

namespace mirel {

class TTrayWindowLists {
 public:
  // The windows the program holds hidden, which the lists show as if they were visible.
  using THiddenByProgram = std::function<std::vector<Hwnd>()>;

  // `background`, when given, builds the trees; else they are built at the first list's opening.
  TTrayWindowLists(IWindowSystem& ws, THiddenByProgram hiddenByProgram,
                   IBackgroundWork* background = nullptr)
      : ws_(ws), hiddenByProgram_(std::move(hiddenByProgram)), background_(background) {}
  ~TTrayWindowLists();
  TTrayWindowLists(const TTrayWindowLists&) = delete;
  TTrayWindowLists& operator=(const TTrayWindowLists&) = delete;

  // At each opening of the menu, before it shows.
  void MenuOpens();
  // The open menu waits for the user: the tree of this opening is begun, once.
  void MenuShown();
  // Fills `list` (emptied first) with the windows of the tree; "This app" items are disabled in
  // "Switch To" (`switchTo`), where the owner's own item does the same.
  void Fill(TMenuItem& list, bool switchTo, const TMenuClick& onClick);

 private:
  // One tree under way: what its builder owns until it is taken.
  struct TBuild {
    std::vector<Hwnd> hidden;  // sorted
    TWindowFactsCache facts;
    std::unique_ptr<TWindowNode> tree;
  };
  // The tree of this opening, waiting for the builder; the facts come back to facts_.
  std::unique_ptr<TWindowNode> TakeTree();
  static void Build(IWindowSystem& ws, TBuild& build);

  IWindowSystem& ws_;
  THiddenByProgram hiddenByProgram_;
  IBackgroundWork* background_;
  bool opened_ = false;               // MenuOpens came, and neither MenuShown nor a list since
  std::shared_ptr<TBuild> pending_;  // begun by MenuShown, not yet taken
  std::unique_ptr<TWindowNode> tree_;
  TWindowFactsCache facts_;  // from one opening to the next
};

}  // namespace mirel
