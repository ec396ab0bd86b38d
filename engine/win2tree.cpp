#include "engine/win2tree.h"

#include <algorithm>
#include <bitset>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "engine/sticky.h"
#include "platform/utf.h"

namespace mirel {

std::string GetWindowTitle(IWindowSystem& ws, Hwnd window) {
  return ws.GetWindowText(window, kTitleBufferChars);
}

std::string GetWindowClass(IWindowSystem& ws, Hwnd window) {
  return ws.GetClassName(window, kClassBufferChars);
}

namespace {

unsigned char UpperAsciiByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

}  // namespace

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(UpperAsciiByte(c));
  return result;
}

int CompareTitles(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = UpperAsciiByte(a[i]);
    const unsigned char y = UpperAsciiByte(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// --- Nodes -------------------------------------------------------------------------------------

TWindowNode::~TWindowNode() {
  std::vector<std::unique_ptr<TWindowNode>> pending = std::move(Children);
  while (!pending.empty()) {
    std::unique_ptr<TWindowNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->Children) pending.push_back(std::move(child));
    node->Children.clear();
  }
}

namespace {

// A node for `handle`; `bounds` is its rectangle when the caller has just read it.
std::unique_ptr<TWindowNode> MakeNode(IWindowSystem& ws, Hwnd handle,
                                      const std::optional<Rect>& bounds, bool className) {
  std::string wndClass = className ? ws.GetClassName(handle, kNodeClassBufferChars) : "";
  auto node = std::make_unique<TWindowNode>();
  node->Handle = handle;
  node->Title = GetWindowTitle(ws, handle);
  node->WndClass = std::move(wndClass);
  // A window that has gone keeps the zero rectangle the node started with.
  Rect read;
  if (bounds) {
    node->Bounds = *bounds;
  } else if (ws.GetWindowRect(handle, read)) {
    node->Bounds = read;
  }
  return node;
}

bool IsShown(IWindowSystem& ws, Hwnd window, const TIsHiddenByProgram& isHiddenByProgram) {
  // A cloaked window is out of sight though visible: the user could not find it there.
  return (ws.IsWindowVisible(window) && !ws.IsWindowCloaked(window)) ||
         (isHiddenByProgram && isHiddenByProgram(window));
}

// IsListableWindow, handing out the rectangle when it read one.
bool IsListable(IWindowSystem& ws, Hwnd window, const TIsHiddenByProgram& isHiddenByProgram,
                std::optional<Rect>& bounds) {
  bounds.reset();
  if (!IsShown(ws, window, isHiddenByProgram)) return false;
  // A window that vanishes between the calls reads as a zero rectangle at a zero minimized
  // position and is left out.
  Rect r;
  Placement placement;
  if (ws.GetWindowRect(window, r)) bounds = r;
  ws.GetWindowPlacement(window, placement);
  return !(r.left == placement.ptMinPosition.x && r.top == placement.ptMinPosition.y);
}

// IsListable with what `cache` kept of the window: its placement, and its owner (handed out), are
// asked only when its rectangle is not the one they were read with. A window that has gone is left
// out, as IsListable leaves it out.
bool IsListableWithFacts(IWindowSystem& ws, Hwnd window, const TIsHiddenByProgram& isHiddenByProgram,
                         TWindowFactsCache& cache, std::optional<Rect>& bounds, Hwnd& owner) {
  bounds.reset();
  if (!IsShown(ws, window, isHiddenByProgram)) return false;
  Rect r;
  if (!ws.GetWindowRect(window, r)) return false;
  bounds = r;
  TWindowFactsCache::Facts facts;
  if (const TWindowFactsCache::Facts* kept = cache.Find(window, r)) {
    facts = *kept;
  } else {
    Placement placement;
    ws.GetWindowPlacement(window, placement);
    facts.bounds = r;
    facts.atMinimizedPosition =
        r.left == placement.ptMinPosition.x && r.top == placement.ptMinPosition.y;
    facts.owner = facts.atMinimizedPosition ? 0 : ws.GetOwner(window);
  }
  cache.Keep(window, facts);
  owner = facts.owner;
  return !facts.atMinimizedPosition;
}

}  // namespace

const TWindowFactsCache::Facts* TWindowFactsCache::Find(Hwnd window, const Rect& bounds) const {
  const auto kept = last_.find(window);
  return kept != last_.end() && kept->second.bounds == bounds ? &kept->second : nullptr;
}

std::unique_ptr<TWindowNode> NewWindowNode(IWindowSystem& ws, Hwnd handle) {
  return MakeNode(ws, handle, std::nullopt, true);
}

TWindowNode& NewWindowNode(IWindowSystem& ws, TWindowNode& parent, Hwnd handle) {
  parent.Children.push_back(NewWindowNode(ws, handle));
  return *parent.Children.back();
}

TWindowNode* FindWindowNode(TWindowNode* node, Hwnd handle) {
  // Pre-order with an explicit stack: children pushed last to first come off first to last.
  std::vector<TWindowNode*> stack;
  if (node != nullptr) stack.push_back(node);
  while (!stack.empty()) {
    TWindowNode* current = stack.back();
    stack.pop_back();
    if (current->Handle == handle) return current;
    for (auto it = current->Children.rbegin(); it != current->Children.rend(); ++it) {
      stack.push_back(it->get());
    }
  }
  return nullptr;
}

const TWindowNode* FindWindowNode(const TWindowNode* node, Hwnd handle) {
  return FindWindowNode(const_cast<TWindowNode*>(node), handle);
}

void FreeWindowTree(std::unique_ptr<TWindowNode>& node) { node.reset(); }

// --- Listing and building ----------------------------------------------------------------------

bool IsListableWindow(IWindowSystem& ws, Hwnd window, const TIsHiddenByProgram& isHiddenByProgram) {
  std::optional<Rect> bounds;
  return IsListable(ws, window, isHiddenByProgram, bounds);
}

namespace {

// Builds the tree while keeping, per handle, the first node in pre-order, so that each lookup that
// the tree's definition makes from the root costs a hash probe instead of a walk of the tree.
//
// Why the index is exact: a window gets a node either as an owner missing from the tree (appended
// to the root, and only while the window has no node at all) or when it is enumerated itself
// (appended under its owner's node). So before a window is enumerated its only node, if any, is a
// child of the root; and in pre-order a node precedes another one of a different root branch
// exactly when its branch comes first, while within one branch the root child comes first.
class TreeBuilder {
 public:
  TreeBuilder(IWindowSystem& ws, const TIsHiddenByProgram& isHiddenByProgram, bool classNames,
              TWindowFactsCache* cache)
      : ws_(ws), isHidden_(isHiddenByProgram), classNames_(classNames), cache_(cache),
        root_(NewWindowNode(ws, 0)) {
    first_.emplace(0, root_.get());
  }

  void Visit(Hwnd window) {
    std::optional<Rect> bounds;
    Hwnd owner = 0;
    if (cache_ != nullptr) {
      if (!IsListableWithFacts(ws_, window, isHidden_, *cache_, bounds, owner)) return;
    } else {
      if (!IsListable(ws_, window, isHidden_, bounds)) return;
      owner = ws_.GetOwner(window);
    }
    if (!enumerated_.insert(window).second) {
      // The enumeration gave this window twice; the shortcut's premise does not hold for it.
      VisitByWalking(window, owner, bounds);
      return;
    }
    TWindowNode* ownerNode = Lookup(owner);
    if (ownerNode == nullptr) ownerNode = &AddOwnerNode(owner);
    const bool present =
        ownerNode == root_.get() ? Lookup(window) != nullptr : ownerNode->Handle == window;
    if (!present) AddEnumeratedNode(*ownerNode, window, bounds);
  }

  std::unique_ptr<TWindowNode> Take() { return std::move(root_); }

 private:
  TWindowNode* Lookup(Hwnd handle) const {
    auto it = first_.find(handle);
    return it == first_.end() ? nullptr : it->second;
  }

  // A node under `parent`, with the rectangle just read when there is one.
  TWindowNode& Append(TWindowNode& parent, Hwnd handle, const std::optional<Rect>& bounds) {
    parent.Children.push_back(MakeNode(ws_, handle, bounds, classNames_));
    return *parent.Children.back();
  }

  TWindowNode& AddOwner(Hwnd owner) {
    std::optional<Rect> bounds;
    const bool listable = IsListable(ws_, owner, isHidden_, bounds);
    TWindowNode& node = Append(*root_, owner, bounds);
    node.Listable = listable;
    return node;
  }

  TWindowNode& AddOwnerNode(Hwnd owner) {
    TWindowNode& node = AddOwner(owner);
    branch_.emplace(&node, root_->Children.size() - 1);
    first_.emplace(owner, &node);
    return node;
  }

  void AddEnumeratedNode(TWindowNode& parent, Hwnd window, const std::optional<Rect>& bounds) {
    TWindowNode& node = Append(parent, window, bounds);
    node.Listable = true;
    const std::size_t branch =
        &parent == root_.get() ? root_->Children.size() - 1 : branch_.at(&parent);
    branch_.emplace(&node, branch);
    auto [it, inserted] = first_.emplace(window, &node);
    if (!inserted && branch < branch_.at(it->second)) it->second = &node;
  }

  // The lookups exactly as defined, then the index rebuilt from the tree.
  void VisitByWalking(Hwnd window, Hwnd owner, const std::optional<Rect>& bounds) {
    TWindowNode* ownerNode = FindWindowNode(root_.get(), owner);
    if (ownerNode == nullptr) ownerNode = &AddOwner(owner);
    if (FindWindowNode(ownerNode, window) == nullptr) {
      Append(*ownerNode, window, bounds).Listable = true;
    }
    Reindex();
  }

  void Reindex() {
    first_.clear();
    branch_.clear();
    first_.emplace(0, root_.get());
    for (std::size_t b = 0; b < root_->Children.size(); ++b) {
      std::vector<TWindowNode*> stack{root_->Children[b].get()};
      while (!stack.empty()) {
        TWindowNode* node = stack.back();
        stack.pop_back();
        branch_.emplace(node, b);
        first_.emplace(node->Handle, node);  // keeps the earlier one
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it) {
          stack.push_back(it->get());
        }
      }
    }
  }

  IWindowSystem& ws_;
  const TIsHiddenByProgram& isHidden_;
  bool classNames_;
  TWindowFactsCache* cache_;  // none: everything asked
  std::unique_ptr<TWindowNode> root_;
  std::unordered_map<Hwnd, TWindowNode*> first_;                // first node in pre-order
  std::unordered_map<const TWindowNode*, std::size_t> branch_;  // index of its root child
  std::unordered_set<Hwnd> enumerated_;
};

std::unique_ptr<TWindowNode> Build(IWindowSystem& ws, const TIsHiddenByProgram& isHiddenByProgram,
                                   bool classNames, TWindowFactsCache* cache) {
  TreeBuilder builder(ws, isHiddenByProgram, classNames, cache);
  ws.EnumWindows([&builder](Hwnd window) {
    builder.Visit(window);
    return true;
  });
  if (cache != nullptr) cache->BuildingEnded();
  return builder.Take();
}

}  // namespace

std::unique_ptr<TWindowNode> BuildWindowTree(IWindowSystem& ws,
                                             const TIsHiddenByProgram& isHiddenByProgram,
                                             bool classNames) {
  return Build(ws, isHiddenByProgram, classNames, nullptr);
}

std::unique_ptr<TWindowNode> BuildWindowTree(IWindowSystem& ws,
                                             const TIsHiddenByProgram& isHiddenByProgram,
                                             bool classNames, TWindowFactsCache& cache) {
  return Build(ws, isHiddenByProgram, classNames, &cache);
}

void SortWindowTree(TWindowNode* node) {
  // A stable sort gives the same order as repeated passes that swap only strictly greater
  // neighbours, without their quadratic cost on long sibling lists.
  std::vector<TWindowNode*> pending;
  if (node != nullptr) pending.push_back(node);
  while (!pending.empty()) {
    TWindowNode* current = pending.back();
    pending.pop_back();
    if (current->Children.size() < 2) continue;
    std::stable_sort(
        current->Children.begin(), current->Children.end(),
        [](const auto& a, const auto& b) { return CompareTitles(a->Title, b->Title) < 0; });
    for (auto& child : current->Children) pending.push_back(child.get());
  }
}

// --- Menus -------------------------------------------------------------------------------------

namespace {

// Accelerators are characters: ASCII letters compare upper-cased, every other character as its
// code point (a UTF-8 sequence is one character, never its first byte alone).
char32_t AcceleratorKey(char32_t ch) { return ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch; }

// The accelerator character of a caption: the one right after its first "&". A caption that ends
// in "&" (a cut left it there) has its terminating zero there.
bool CaptionAccelerator(const std::string& caption, char32_t& accelerator) {
  std::size_t next = caption.find('&');
  if (next == std::string::npos) return false;
  ++next;
  accelerator = next < caption.size() ? AcceleratorKey(NextCodePoint(caption, next)) : 0;
  return true;
}

// Every character that IsAcceleratorFree would answer "not free" for, in one walk of the menu.
class TakenAccelerators {
 public:
  explicit TakenAccelerators(const TMenuItem& menu) {
    for (const auto& item : menu.Items) {
      char32_t accelerator = 0;
      if (!CaptionAccelerator(item->Caption, accelerator)) break;
      if (accelerator < ascii_.size()) {
        ascii_.set(accelerator);
      } else {
        other_.insert(accelerator);
      }
    }
  }
  bool Has(char32_t key) const {
    return key < ascii_.size() ? ascii_.test(key) : other_.contains(key);
  }

 private:
  std::bitset<128> ascii_;
  std::unordered_set<char32_t> other_;
};

// Windows counts a caption's length in UTF-16 units.
std::string CutShort(std::string text) { return CutToUtf16Units(text, kShortStringMax); }

bool IsListedAtTop(const TWindowNode& node) {
  if (node.Title.empty()) return false;
  if (node.Title == "Program Manager" || node.Title == "Mirel Desktop") return false;
  const bool noArea =
      node.Bounds.left == node.Bounds.right && node.Bounds.top == node.Bounds.bottom;
  return !(noArea && node.Children.empty());
}

}  // namespace

bool IsAcceleratorFree(char32_t ch, const TMenuItem& menu) {
  const char32_t wanted = AcceleratorKey(ch);
  for (const auto& item : menu.Items) {
    char32_t accelerator = 0;
    if (!CaptionAccelerator(item->Caption, accelerator)) return true;
    if (accelerator == wanted) return false;
  }
  return true;
}

std::string SetAccelerator(std::string_view text, const TMenuItem& menu) {
  const TakenAccelerators taken(menu);
  for (std::size_t p = 0; p < text.size();) {
    const std::size_t start = p;
    if (taken.Has(AcceleratorKey(NextCodePoint(text, p)))) continue;
    std::string result;
    result.reserve(text.size() + 1);
    result.append(text.substr(0, start)).append("&").append(text.substr(start));
    return CutShort(std::move(result));
  }
  return std::string(text);
}

void AddNodeMenuItem(const TWindowNode& node, TMenuItem& menu, const TMenuFill& fill) {
  // The item goes into the menu before its caption is chosen: its empty caption ends the
  // accelerator walk, so only the items before it count.
  TMenuItem& item = menu.Add();
  item.Tag = static_cast<std::intptr_t>(node.Handle);
  if (fill.Sticky != nullptr) item.Checked = fill.Sticky->IsSticky(fill.Windows, node.Handle);

  if (node.Children.empty()) {
    item.Caption = SetAccelerator(node.Title, menu);
    item.OnClick = fill.OnClick;
    return;
  }
  if (node.Children.size() == 1) {
    // One owned window: one item for both. It acts on a window the user can see, which for a
    // hidden owner (a typical application window) is the owned one.
    const TWindowNode& owned = *node.Children.front();
    item.Caption = SetAccelerator(CutShort(node.Title + " - " + owned.Title), menu);
    if (!node.Listable) item.Tag = static_cast<std::intptr_t>(owned.Handle);
    item.OnClick = fill.OnClick;
    return;
  }
  item.Caption = SetAccelerator(node.Title, menu);
  TMenuItem& thisApp = item.Add();
  thisApp.Tag = kThisAppTag;
  thisApp.OnClick = fill.OnClick;
  // Chosen against the owner's menu, where the owner's item already has its caption.
  thisApp.Caption = SetAccelerator(kThisAppCaption, menu);
  thisApp.Enabled = !fill.DisableThisApp;
  item.AddSeparator();
  for (const auto& child : node.Children) AddNodeMenuItem(*child, item, fill);
}

void FillMenuFromTree(IWindowSystem& ws, TWindowNode& root, TMenuItem& menuItem,
                      bool disableThisApp, const TStickyWindows* sticky,
                      const TMenuClick& onClick) {
  SortWindowTree(&root);
  const TMenuFill fill{ws, disableThisApp, sticky, onClick};
  for (const auto& node : root.Children) {
    if (IsListedAtTop(*node)) AddNodeMenuItem(*node, menuItem, fill);
  }
}

}  // namespace mirel
