// Window text routines and the owner tree of top-level windows.
//
// The tree is a snapshot of the top-level windows nested by owner, built on demand, sorted by
// title, turned into menu items that list the windows, and dropped again: nothing of it survives a
// use.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/menu_model.h"
#include "platform/window_system.h"

namespace mirel {

class TStickyWindows;

// Lengths count characters as Windows does, in UTF-16 units (a character beyond U+FFFF takes two).
// Title through a 255-character buffer: at most 254 characters; empty for a window without text or
// one that no longer exists.
inline constexpr int kTitleBufferChars = 255;
// Class name through a 256-character buffer: at most 255 characters.
inline constexpr int kClassBufferChars = 256;
// The tree's nodes read the class name through a 255-character buffer: at most 254 characters.
inline constexpr int kNodeClassBufferChars = 255;
// Captions and other short strings hold at most 255 characters.
inline constexpr std::size_t kShortStringMax = 255;

std::string GetWindowTitle(IWindowSystem& ws, Hwnd window);
std::string GetWindowClass(IWindowSystem& ws, Hwnd window);

// Upper-cases the ASCII letters a..z only; every other byte stays as it is.
std::string UpperAscii(std::string_view text);
// Orders two titles with ASCII letters upper-cased, byte by byte as unsigned values, a prefix
// first. Negative, zero or positive like strcmp.
int CompareTitles(std::string_view a, std::string_view b);

// --- The window tree ---------------------------------------------------------------------------

// One window of the tree. The root stands for handle 0 and has empty fields. A node owns its
// children; dropping a node drops its subtree. Fields are read once, when the node is made.
struct TWindowNode {
  Hwnd Handle = 0;
  std::string Title;     // at most 254 characters
  std::string WndClass;  // at most 254 characters
  Rect Bounds;           // window rectangle when the node was made; zero when reading it failed
  std::vector<std::unique_ptr<TWindowNode>> Children;  // owned windows, in the order added
  // The window passed IsListableWindow when the node was made. False for the root and for a
  // hidden owner that is in the tree only on behalf of the windows it owns.
  bool Listable = false;

  TWindowNode() = default;
  TWindowNode(const TWindowNode&) = delete;
  TWindowNode& operator=(const TWindowNode&) = delete;
  // Takes the subtree apart without recursion: owner chains can be thousands of windows deep.
  ~TWindowNode();
};

// "The program itself holds this window hidden" (the hiding option's list). Empty means none is.
using TIsHiddenByProgram = std::function<bool(Hwnd)>;

// A window is taken into the tree when it is visible and not cloaked, or held hidden by the
// program, and its window rectangle does not start at its minimized position (as a minimized
// window's does).
bool IsListableWindow(IWindowSystem& ws, Hwnd window, const TIsHiddenByProgram& isHiddenByProgram);

// Makes a node for `handle`, reading its class name, title and rectangle. The first form gives the
// caller the node; the second appends it to `parent`'s children and returns it.
std::unique_ptr<TWindowNode> NewWindowNode(IWindowSystem& ws, Hwnd handle);
TWindowNode& NewWindowNode(IWindowSystem& ws, TWindowNode& parent, Hwnd handle);

// A root with every listable top-level window under its owner (unowned ones under the root). An
// owner missing from the tree gets a node under the root, listable or not. With a deeper owner
// chain (A owns B owns C, enumerated C, B, A) B ends up with two nodes, one under the root and
// one under A; the tree is used as built.
// Without `classNames` the nodes' WndClass stays empty: one call on another process's window
// fewer per window, for callers that do not read it (the menus).
std::unique_ptr<TWindowNode> BuildWindowTree(IWindowSystem& ws,
                                             const TIsHiddenByProgram& isHiddenByProgram,
                                             bool classNames = true);

// What one building of the tree learnt of each window that the next one may take over: its owner
// and whether its rectangle starts at its minimized position. Both are taken over only while the
// window's rectangle is the one they were read with, so a window that moved, was minimized or
// restored, or a handle that now names another window is asked again. Two calls on another
// process's window fewer per window that stayed put (three under Wine, whose placement of another
// process's window costs two).
class TWindowFactsCache {
 public:
  struct Facts {
    Rect bounds;
    bool atMinimizedPosition = false;
    Hwnd owner = 0;
  };
  // The facts of `window` kept from the last building, when they were read with `bounds`.
  const Facts* Find(Hwnd window, const Rect& bounds) const;
  // Facts read by this building; the others go when it ends.
  void Keep(Hwnd window, const Facts& facts) { current_[window] = facts; }
  void BuildingEnded() {
    last_.swap(current_);
    current_.clear();
  }

 private:
  std::unordered_map<Hwnd, Facts> last_;
  std::unordered_map<Hwnd, Facts> current_;
};

// The same, asking only what `cache` does not hold.
std::unique_ptr<TWindowNode> BuildWindowTree(IWindowSystem& ws,
                                             const TIsHiddenByProgram& isHiddenByProgram,
                                             bool classNames, TWindowFactsCache& cache);

// The first node of `node`'s subtree (itself included) in depth-first pre-order whose Handle is
// `handle`; nullptr when none or when `node` is nullptr.
TWindowNode* FindWindowNode(TWindowNode* node, Hwnd handle);
const TWindowNode* FindWindowNode(const TWindowNode* node, Hwnd handle);

// Releases the tree and leaves `node` empty.
void FreeWindowTree(std::unique_ptr<TWindowNode>& node);

// Orders the children of every node that has two or more by CompareTitles, keeping equal titles
// in their order. A node with fewer than two children is left alone and its subtree not visited.
void SortWindowTree(TWindowNode* node);

// --- Menus of windows --------------------------------------------------------------------------

// What FillMenuFromTree hands down to the items it makes.
struct TMenuFill {
  IWindowSystem& Windows;
  bool DisableThisApp = false;             // the "This app" items are disabled
  const TStickyWindows* Sticky = nullptr;  // when given, sticky windows' items are checked
  TMenuClick OnClick;
};

inline constexpr const char* kThisAppCaption = "This app";
inline constexpr std::intptr_t kThisAppTag = -1;

// Sorts the tree and appends to `menuItem` the items of every top-level window of `root`, leaving
// out windows with an empty title, "Program Manager" and "Mirel Desktop", and childless windows
// with neither width nor height.
void FillMenuFromTree(IWindowSystem& ws, TWindowNode& root, TMenuItem& menuItem,
                      bool disableThisApp, const TStickyWindows* sticky, const TMenuClick& onClick);

// Appends the item of `node` to `menu`: a plain item for a window without owned windows, one
// merged item "Owner - Owned" for a window with exactly one, a submenu ("This app", separator, the
// owned windows) for a window with more.
void AddNodeMenuItem(const TWindowNode& node, TMenuItem& menu, const TMenuFill& fill);

// `text` with "&" before its first character that is still free as an accelerator in `menu`, cut
// to 255 UTF-16 units between characters; `text` unchanged when none is free.
std::string SetAccelerator(std::string_view text, const TMenuItem& menu);
// Walks `menu`'s items from the first up to the first caption without "&": the character (a code
// point) is free unless one of them has it (ASCII case ignored) right after its first "&".
bool IsAcceleratorFree(char32_t ch, const TMenuItem& menu);

}  // namespace mirel
