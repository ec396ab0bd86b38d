// The window tree and the menus made from it, over random sets of simulated windows: owners that
// form cycles, own themselves or have closed, hidden owners, minimized and empty windows, equal and
// long titles, windows the program holds hidden.
//
// The builder keeps an index so that it need not walk the tree for every window; the tree it gives
// must be the one the plain definition gives, built here by walking. Then the windows are built
// again while some of them close in the middle of the build, as they may while the tray menu is
// being made: nothing may break, and every menu item still names a window of the tree.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/sticky.h"
#include "engine/win2tree.h"
#include "fuzz/fuzz_support.h"
#include "platform/sim/sim_window_system.h"
#include "platform/utf.h"

namespace mirel::fuzz {
namespace {

// A window set whose windows may close while they are being read: after every `period` reads of a
// window, the next window on the list of victims is destroyed.
class VanishingWindows : public sim::SimWindowSystem {
 public:
  using sim::SimWindowSystem::SimWindowSystem;
  void Arm(std::vector<Hwnd> victims, int period) {
    victims_ = std::move(victims);
    period_ = period;
  }
  std::string GetWindowText(Hwnd window, int chars) override {
    Tick();
    return SimWindowSystem::GetWindowText(window, chars);
  }
  bool GetWindowRect(Hwnd window, Rect& rect) override {
    Tick();
    return SimWindowSystem::GetWindowRect(window, rect);
  }
  Hwnd GetOwner(Hwnd window) override {
    Tick();
    return SimWindowSystem::GetOwner(window);
  }
  bool IsWindowVisible(Hwnd window) override {
    Tick();
    return SimWindowSystem::IsWindowVisible(window);
  }

 private:
  void Tick() {
    if (period_ <= 0 || victims_.empty() || ++reads_ % period_ != 0) return;
    Destroy(victims_.back());
    victims_.pop_back();
  }
  std::vector<Hwnd> victims_;
  int period_ = 0;
  int reads_ = 0;
};

struct Scene {
  std::vector<Hwnd> windows;
  std::set<Hwnd> hiddenByProgram;
};

std::string Title(FuzzedDataProvider& input) {
  static const char* const kTitles[] = {"", "a", "A", "b", "Program Manager", "Mirel Desktop",
                                        "Editor", "editor", "Zeta"};
  if (input.ConsumeBool()) return input.PickValueInArray(kTitles);
  return input.ConsumeBool() ? input.ConsumeRandomLengthString(12)
                             : std::string(input.ConsumeIntegralInRange<int>(200, 300), 'x');
}

Scene MakeScene(FuzzedDataProvider& input, sim::SimWindowSystem& ws) {
  Scene scene;
  const int count = input.ConsumeIntegralInRange<int>(0, 48);
  for (int i = 0; i < count; ++i) {
    Rect rect{input.ConsumeIntegralInRange<int>(-3000, 3000),
              input.ConsumeIntegralInRange<int>(-3000, 3000), 0, 0};
    if (!input.ConsumeBool()) {  // most windows have an area
      rect.right = rect.left + input.ConsumeIntegralInRange<int>(1, 900);
      rect.bottom = rect.top + input.ConsumeIntegralInRange<int>(1, 700);
    } else {
      rect.right = rect.left;
      rect.bottom = rect.top;
    }
    const Hwnd window = ws.AddWindow(Title(input), rect);
    sim::SimWindow& w = ws.Window(window);
    w.visible = input.ConsumeIntegralInRange<int>(0, 3) != 0;
    w.className = input.ConsumeBool() ? "SimWindow" : input.ConsumeRandomLengthString(10);
    if (input.ConsumeIntegralInRange<int>(0, 5) == 0) ws.Minimize(window);
    if (input.ConsumeIntegralInRange<int>(0, 7) == 0) scene.hiddenByProgram.insert(window);
    scene.windows.push_back(window);
  }
  // Owners only once every window exists, so that any window may own any other, itself included.
  const Hwnd closed = ws.AddWindow("closed", {0, 0, 10, 10});
  ws.Destroy(closed);
  for (Hwnd window : scene.windows) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        break;
      case 1:
        ws.Window(window).owner = closed;
        break;
      default:
        if (!scene.windows.empty()) {
          ws.Window(window).owner =
              scene.windows[input.ConsumeIntegralInRange<std::size_t>(0, scene.windows.size() - 1)];
        }
    }
  }
  return scene;
}

// The tree exactly as defined: each enumerated listable window under the first node of its owner
// found from the root (the root itself for no owner), with a node under the root made for an owner
// that has none yet; nothing added when the owner's subtree already holds the window.
std::unique_ptr<TWindowNode> ReferenceTree(IWindowSystem& ws, const TIsHiddenByProgram& hidden) {
  auto root = NewWindowNode(ws, 0);
  ws.EnumWindows([&](Hwnd window) {
    if (!IsListableWindow(ws, window, hidden)) return true;
    const Hwnd owner = ws.GetOwner(window);
    TWindowNode* ownerNode = FindWindowNode(root.get(), owner);
    if (ownerNode == nullptr) {
      ownerNode = &NewWindowNode(ws, *root, owner);
      ownerNode->Listable = IsListableWindow(ws, owner, hidden);
    }
    if (FindWindowNode(ownerNode, window) == nullptr) {
      NewWindowNode(ws, *ownerNode, window).Listable = true;
    }
    return true;
  });
  return root;
}

// Pre-order: handle, depth and whether listable of every node.
std::vector<std::uintptr_t> Shape(const TWindowNode& root) {
  std::vector<std::uintptr_t> shape;
  std::vector<std::pair<const TWindowNode*, std::uintptr_t>> stack{{&root, 0}};
  while (!stack.empty()) {
    auto [node, depth] = stack.back();
    stack.pop_back();
    shape.insert(shape.end(), {node->Handle, depth, node->Listable ? 1u : 0u});
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it) {
      stack.emplace_back(it->get(), depth + 1);
    }
  }
  return shape;
}

void CheckMenu(const TMenuItem& menu, const TWindowNode& root) {
  std::vector<const TMenuItem*> stack{&menu};
  while (!stack.empty()) {
    const TMenuItem* item = stack.back();
    stack.pop_back();
    for (const auto& child : item->Items) {
      Require(Utf16Length(child->Caption) <= kShortStringMax || child->Caption.find('&') ==
                  std::string::npos, "captions with an accelerator are short strings");
      if (!child->IsSeparator() && child->Tag != kThisAppTag) {
        Require(FindWindowNode(&root, static_cast<Hwnd>(child->Tag)) != nullptr,
                "every item names a window of the tree");
      }
      stack.push_back(child.get());
    }
  }
}

void FillAndCheck(IWindowSystem& ws, TWindowNode& root, FuzzedDataProvider& input) {
  TStickyWindows sticky;
  if (input.ConsumeBool()) {
    sticky.Add({0, "", input.ConsumeRandomLengthString(8), TStickyKind::skByTitleParts});
    sticky.Add({0, "SIMWINDOW", "", TStickyKind::skByClassName});
  }
  TMenuItem menu;
  int clicks = 0;
  const TMenuItem* chosen = nullptr;
  FillMenuFromTree(ws, root, menu, input.ConsumeBool(), input.ConsumeBool() ? &sticky : nullptr,
                   [&](const TMenuItem& item) {
                     ++clicks;
                     chosen = &item;
                   });
  Require(clicks == 0, "filling the menu chooses nothing");
  CheckMenu(menu, root);
  // Choosing an item runs the handler once, with that item, when the item ran one.
  std::vector<const TMenuItem*> stack{&menu};
  while (!stack.empty()) {
    const TMenuItem* item = stack.back();
    stack.pop_back();
    for (const auto& child : item->Items) stack.push_back(child.get());
    if (item == &menu || item->HasSubmenu() || item->IsSeparator()) continue;
    const int before = clicks;
    chosen = nullptr;
    const bool ran = item->Click();
    Require(clicks == before + (ran ? 1 : 0) && chosen == (ran ? item : nullptr),
            "an item's handler runs once, with the item, exactly when it is chosen");
  }
}

}  // namespace
}  // namespace mirel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirel;
  FuzzedDataProvider input(data, size);
  fuzz::VanishingWindows ws(1024, 768);
  const fuzz::Scene scene = fuzz::MakeScene(input, ws);
  const TIsHiddenByProgram hidden = [&scene](Hwnd window) {
    return scene.hiddenByProgram.count(window) != 0;
  };

  auto tree = BuildWindowTree(ws, hidden);
  const auto reference = fuzz::ReferenceTree(ws, hidden);
  fuzz::Require(fuzz::Shape(*tree) == fuzz::Shape(*reference),
                "the indexed builder gives the tree of the definition");
  for (Hwnd window : scene.windows) {
    if (IsListableWindow(ws, window, hidden)) {
      fuzz::Require(FindWindowNode(tree.get(), window) != nullptr, "every listable window is in");
    }
  }
  fuzz::FillAndCheck(ws, *tree, input);

  // Again, with windows closing in the middle of the build and of the menu.
  std::vector<Hwnd> victims = scene.windows;
  for (std::size_t i = 0; i + 1 < victims.size(); ++i) {
    std::swap(victims[i], victims[input.ConsumeIntegralInRange<std::size_t>(i, victims.size() - 1)]);
  }
  ws.Arm(victims, input.ConsumeIntegralInRange<int>(1, 16));
  auto shaken = BuildWindowTree(ws, hidden);
  fuzz::FillAndCheck(ws, *shaken, input);
  FreeWindowTree(shaken);
  fuzz::Require(shaken == nullptr, "a freed tree is empty");
  return 0;
}
