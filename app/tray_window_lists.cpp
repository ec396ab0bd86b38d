#include "app/tray_window_lists.h"

#include <algorithm>
#include <utility>

namespace mirel {

namespace {

// How long a list waits for the tree before it builds its own: far beyond what a tree takes.
constexpr unsigned kTreeWaitMs = 5000;

}  // namespace

TTrayWindowLists::~TTrayWindowLists() {
  // A builder still at work uses the window system, which goes with its owner.
  if (pending_ && background_ != nullptr) background_->Wait(kTreeWaitMs);
}

void TTrayWindowLists::Build(IWindowSystem& ws, TBuild& build) {
  const std::vector<Hwnd>& hidden = build.hidden;
  // The menus show titles only: the nodes need no class names.
  build.tree = BuildWindowTree(
      ws, [&hidden](Hwnd window) { return std::binary_search(hidden.begin(), hidden.end(), window); },
      false, build.facts);
}

void TTrayWindowLists::MenuOpens() {
  FreeWindowTree(tree_);
  // A tree of an earlier opening that no list took gives back what it learnt first.
  TakeTree().reset();
  opened_ = true;
}

void TTrayWindowLists::MenuShown() {
  if (!std::exchange(opened_, false)) return;
  auto build = std::make_shared<TBuild>();
  build->hidden = hiddenByProgram_();  // asked here: the program's state is this thread's
  std::sort(build->hidden.begin(), build->hidden.end());
  build->facts = std::move(facts_);
  facts_ = {};
  pending_ = build;
  IWindowSystem& ws = ws_;
  if (background_ == nullptr || !background_->Start([build, &ws] { Build(ws, *build); })) {
    Build(ws, *build);
  }
}

std::unique_ptr<TWindowNode> TTrayWindowLists::TakeTree() {
  const std::shared_ptr<TBuild> build = std::exchange(pending_, nullptr);
  if (!build) return nullptr;
  if (background_ != nullptr && !background_->Wait(kTreeWaitMs)) {
    // Still at work (a window server that does not answer): the builder keeps its part.
    return nullptr;
  }
  facts_ = std::move(build->facts);
  return std::move(build->tree);
}

void TTrayWindowLists::Fill(TMenuItem& list, bool switchTo, const TMenuClick& onClick) {
  opened_ = false;
  if (!tree_) tree_ = TakeTree();
  if (!tree_) {
    // No tree begun, or its builder did not finish: one built here, from what is known.
    TBuild build{hiddenByProgram_(), std::move(facts_), nullptr};
    std::sort(build.hidden.begin(), build.hidden.end());
    Build(ws_, build);
    facts_ = std::move(build.facts);
    tree_ = std::move(build.tree);
  }
  list.Clear();
  FillMenuFromTree(ws_, *tree_, list, switchTo, nullptr, onClick);
}

}  // namespace mirel
