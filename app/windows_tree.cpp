#include "app/windows_tree.h"

#include "engine/win2tree.h"

namespace mirel {

std::string TreeGroupCaption(int group, const TDesktopNames& names) {
  if (group >= 0 && group < kOtherWindowsGroup) return DesktopName(names, group);
  return "Other windows";
}

int TreeGroupOf(const Rect& windowRect, std::uint16_t currentDesktop,
                const TDesktopLayout& layout) {
  if (!layout.Valid()) return kOtherWindowsGroup;
  const Size cell = layout.Cell();
  // 64-bit: a parked window far out must not overflow. Division truncates toward zero, so a window
  // hanging less than a cell off the left edge still counts as column 0.
  const std::int64_t x = std::int64_t{windowRect.left} - layout.Screen.left +
                         std::int64_t{cell.cx} * layout.ColumnOf(currentDesktop);
  const std::int64_t y = std::int64_t{windowRect.top} - layout.Screen.top +
                         std::int64_t{cell.cy} * layout.RowOf(currentDesktop);
  const std::int64_t column = x / cell.cx;
  const std::int64_t row = y / cell.cy;
  std::int64_t group = column;
  if (layout.Columns == kGridColumns) {
    if (row > 0) group += 4;
  } else if (column < 0 || column >= layout.Columns || row < 0 || row >= layout.Rows) {
    return kOtherWindowsGroup;
  } else {
    group = column + std::int64_t{layout.Columns} * row;
  }
  return group >= 0 && group < kOtherWindowsGroup ? static_cast<int>(group) : kOtherWindowsGroup;
}

std::vector<TWindowsTreeGroup> BuildWindowsTree(IWindowSystem& ws,
                                                const std::vector<Hwnd>& managedWindows,
                                                std::uint16_t currentDesktop,
                                                const TDesktopLayout& layout,
                                                const TDesktopNames& names,
                                                const TDesktopRectOf& rectOf) {
  std::vector<TWindowsTreeGroup> groups(kTreeGroupCount);
  for (int g = 0; g < kTreeGroupCount; ++g) {
    groups[static_cast<std::size_t>(g)].Caption = TreeGroupCaption(g, names);
  }
  for (auto it = managedWindows.rbegin(); it != managedWindows.rend(); ++it) {
    TWindowsTreeNode node;
    node.Handle = *it;
    node.Title = GetWindowTitle(ws, node.Handle);
    Rect rect;  // a window that has closed keeps the zero rectangle
    if (rectOf) {
      rect = rectOf(node.Handle);
    } else {
      ws.GetWindowRect(node.Handle, rect);
    }
    node.ClassIcon = ws.GetClassIcon(node.Handle);
    groups[static_cast<std::size_t>(TreeGroupOf(rect, currentDesktop, layout))].Windows.push_back(
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
