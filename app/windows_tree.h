// The windows tree page as plain values: which group each managed window falls under, in which
// order the windows stand, and what the page says when no window is picked. The Win32 page fills a
// tree view and an image list from this model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/desktop_geometry.h"
#include "platform/window_system.h"
#include "settings/desktop_names.h"

namespace mirel {

// Nine root nodes: the eight desktops by name, then "Other windows".
inline constexpr int kTreeGroupCount = 9;
inline constexpr int kOtherWindowsGroup = 8;

// Root node images of the tree's image list: the group icon and the icon of a window whose class
// has none. Class icons of the listed windows follow them.
inline constexpr int kGroupNodeImage = 0;
inline constexpr int kNoIconWindowImage = 1;
inline constexpr int kFixedTreeImages = 2;

inline constexpr const char* kSelectAnyItem = "Select any item in tree";
inline constexpr const char* kSelectAnyWindowItem = "Select any window item in tree";
inline constexpr const char* kErrorCaption = "Error";

// The desktops' names for groups 0..7, "Other windows" for group 8.
std::string TreeGroupCaption(int group, const TDesktopNames& names = DefaultDesktopNames());

// The group of a window from its screen rectangle, counted from the first desktop's cell: the
// column by truncating division of the left edge, plus 4 when the top edge lies one cell height or
// more below. Groups 0..7 are desktops; anything else is kOtherWindowsGroup. Layouts other than
// four by two count a window outside their grid as another window.
int TreeGroupOf(const Rect& windowRect, std::uint16_t currentDesktop, const TDesktopLayout& layout);

struct TWindowsTreeNode {
  Hwnd Handle = 0;
  std::string Title;
  std::uintptr_t ClassIcon = 0;  // 0: the window's class has no icon
};

struct TWindowsTreeGroup {
  std::string Caption;
  std::vector<TWindowsTreeNode> Windows;
};

// The rectangle that puts a window on its desktop (TDesktopEngine::DesktopRect).
using TDesktopRectOf = std::function<Rect(Hwnd)>;

// The nine groups with their windows. `managedWindows` is taken as the last window-list refresh
// left it (topmost first); each group lists its windows bottommost first. A window falls in the
// group of `rectOf`'s rectangle, of its window rectangle when `rectOf` is empty.
std::vector<TWindowsTreeGroup> BuildWindowsTree(IWindowSystem& ws,
                                                const std::vector<Hwnd>& managedWindows,
                                                std::uint16_t currentDesktop,
                                                const TDesktopLayout& layout,
                                                const TDesktopNames& names = DefaultDesktopNames(),
                                                const TDesktopRectOf& rectOf = {});

// What an action on the tree's selection has to say: nothing (nullptr) when a window node is
// selected, otherwise the message for the user.
const char* SelectionMessage(bool anySelected, Hwnd selectedWindow);

}  // namespace mirel
