#include "app/windows_tree.h"

#include "engine/win2tree.h"

namespace mirel {

std::string TreeGroupCaption(int group) {
  if (group >= 0 && group < kOtherWindowsGroup) return "Desktop " + std::to_string(group + 1);
  return "Other windows";
}

int TreeGroupOf(const Rect& windowRect, std::uint16_t currentDesktop, Size screen) {
  if (screen.cx <= 0 || screen.cy <= 0) return kOtherWindowsGroup;
  // 64-bit: a parked window far out must not overflow. Division truncates toward zero, so a window
  // hanging less than a screen off the left edge still counts as column 0.
  const std::int64_t x =
      std::int64_t{windowRect.left} + std::int64_t{screen.cx} * (currentDesktop & 3);
  const std::int64_t y =
      std::int64_t{windowRect.top} + std::int64_t{screen.cy} * (currentDesktop >> 2);
  std::int64_t group = x / screen.cx;
  if (y / screen.cy > 0) group += 4;
  return group >= 0 && group < kOtherWindowsGroup ? static_cast<int>(group) : kOtherWindowsGroup;
}

std::vector<TWindowsTreeGroup> BuildWindowsTree(IWindowSystem& ws,
                                                const std::vector<Hwnd>& managedWindows,
                                                std::uint16_t currentDesktop) {
  std::vector<TWindowsTreeGroup> groups(kTreeGroupCount);
  for (int g = 0; g < kTreeGroupCount; ++g) {
    groups[static_cast<std::size_t>(g)].Caption = TreeGroupCaption(g);
  }
  const Size screen = ws.ScreenSize();
  for (auto it = managedWindows.rbegin(); it != managedWindows.rend(); ++it) {
    TWindowsTreeNode node;
    node.Handle = *it;
    node.Title = GetWindowTitle(ws, node.Handle);
    Rect rect;  // a window that has closed keeps the zero rectangle
    ws.GetWindowRect(node.Handle, rect);
    node.ClassIcon = ws.GetClassIcon(node.Handle);
    groups[static_cast<std::size_t>(TreeGroupOf(rect, currentDesktop, screen))].Windows.push_back(
        std::move(node));
  }
  return groups;
}

const char* SelectionMessage(bool anySelected, Hwnd selectedWindow) {
  if (!anySelected) return kSelectAnyItem;
  if (selectedWindow == 0) return kSelectAnyWindowItem;
  return nullptr;
}

}  // namespace mirel
