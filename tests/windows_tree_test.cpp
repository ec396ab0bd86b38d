#include <gtest/gtest.h>

#include "app/windows_tree.h"
#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

const TDesktopLayout kScreen{{0, 0, 1024, 768}, 4, 2};

Rect At(int left, int top) { return {left, top, left + 300, top + 200}; }

TEST(TreeGroup, FirstDesktopCurrent) {
  EXPECT_EQ(TreeGroupOf(At(100, 100), 0, kScreen), 0);
  EXPECT_EQ(TreeGroupOf(At(1024 + 10, 100), 0, kScreen), 1);
  EXPECT_EQ(TreeGroupOf(At(3 * 1024, 100), 0, kScreen), 3);
  EXPECT_EQ(TreeGroupOf(At(100, 768), 0, kScreen), 4);
  EXPECT_EQ(TreeGroupOf(At(3 * 1024 + 5, 768 + 5), 0, kScreen), 7);
  // Truncation toward zero: less than a screen off the left edge is still the first column.
  EXPECT_EQ(TreeGroupOf(At(-50, 100), 0, kScreen), 0);
  EXPECT_EQ(TreeGroupOf(At(-1023, 100), 0, kScreen), 0);
  EXPECT_EQ(TreeGroupOf(At(-1024, 100), 0, kScreen), kOtherWindowsGroup);
  // A window above the screen stays in the top row: only a positive row adds 4.
  EXPECT_EQ(TreeGroupOf(At(100, -2000), 0, kScreen), 0);
  EXPECT_EQ(TreeGroupOf(At(-32000, -32000), 0, kScreen), kOtherWindowsGroup);
  // Right of the grid the column count runs on into the second row's numbers.
  EXPECT_EQ(TreeGroupOf(At(4 * 1024, 100), 0, kScreen), 4);
  EXPECT_EQ(TreeGroupOf(At(8 * 1024, 100), 0, kScreen), kOtherWindowsGroup);
}

TEST(TreeGroup, OtherDesktopCurrent) {
  // Desktop 2 on screen: the windows on screen are desktop 2's, the first desktop lies left.
  EXPECT_EQ(TreeGroupOf(At(100, 100), 1, kScreen), 1);
  EXPECT_EQ(TreeGroupOf(At(-1024 + 100, 100), 1, kScreen), 0);
  // Desktop 6 on screen (column 1, row 1).
  EXPECT_EQ(TreeGroupOf(At(100, 100), 5, kScreen), 5);
  EXPECT_EQ(TreeGroupOf(At(100 - 1024, 100 - 768), 5, kScreen), 0);
  // Far-off coordinates do not overflow.
  EXPECT_EQ(TreeGroupOf(At(0x7FFFF000, 0x7FFFF000), 7, kScreen), kOtherWindowsGroup);
}

TEST(TreeGroup, Captions) {
  EXPECT_EQ(TreeGroupCaption(0), "Desktop 1");
  EXPECT_EQ(TreeGroupCaption(7), "Desktop 8");
  EXPECT_EQ(TreeGroupCaption(kOtherWindowsGroup), "Other windows");
  TDesktopNames names = DefaultDesktopNames();
  names[1] = "Mail";
  EXPECT_EQ(TreeGroupCaption(1, names), "Mail");
}

class WindowsTree : public ::testing::Test, public EngineTest {};

TEST_F(WindowsTree, NineGroupsWindowsBottommostFirst) {
  const Hwnd top = WindowOn(0, "Top");
  const Hwnd middle = WindowOn(1, "Middle");
  const Hwnd bottom = WindowOn(0, "Bottom");
  const Hwnd parked = ws.AddWindow("Parked", {-32000, -32000, -31840, -31972});
  ws.Window(top).classIcon = 0x1234;
  engine.RefreshWindowList();

  const auto groups = BuildWindowsTree(ws, engine.ManagedWindows(), engine.CurrentDesktop(), engine.Layout());
  ASSERT_EQ(groups.size(), 9u);
  EXPECT_EQ(groups[0].Caption, "Desktop 1");
  EXPECT_EQ(groups[8].Caption, "Other windows");
  ASSERT_EQ(groups[0].Windows.size(), 2u);
  EXPECT_EQ(groups[0].Windows[0].Handle, bottom);
  EXPECT_EQ(groups[0].Windows[1].Handle, top);
  EXPECT_EQ(groups[0].Windows[1].Title, "Top");
  EXPECT_EQ(groups[0].Windows[1].ClassIcon, 0x1234u);
  EXPECT_EQ(groups[0].Windows[0].ClassIcon, 0u);
  ASSERT_EQ(groups[1].Windows.size(), 1u);
  EXPECT_EQ(groups[1].Windows[0].Handle, middle);
  ASSERT_EQ(groups[8].Windows.size(), 1u);
  EXPECT_EQ(groups[8].Windows[0].Handle, parked);
  for (int g = 2; g < 8; ++g) EXPECT_TRUE(groups[static_cast<std::size_t>(g)].Windows.empty());
}

TEST_F(WindowsTree, ListsTheLastRefreshNotTheLiveWindows) {
  const Hwnd gone = WindowOn(0, "Gone");
  engine.RefreshWindowList();
  WindowOn(0, "Newcomer");
  ws.Destroy(gone);
  const auto groups = BuildWindowsTree(ws, engine.ManagedWindows(), engine.CurrentDesktop(), engine.Layout());
  // The closed window is still listed, with an empty title and no icon; the new one is not yet.
  ASSERT_EQ(groups[0].Windows.size(), 1u);
  EXPECT_EQ(groups[0].Windows[0].Handle, gone);
  EXPECT_EQ(groups[0].Windows[0].Title, "");
  EXPECT_EQ(groups[0].Windows[0].ClassIcon, 0u);
}

TEST_F(WindowsTree, SecondDesktopCurrentAfterASwitch) {
  const Hwnd one = WindowOn(0, "One");
  const Hwnd two = WindowOn(1, "Two");
  engine.SwitchToDesktop(1);
  const auto groups = BuildWindowsTree(ws, engine.ManagedWindows(), engine.CurrentDesktop(), engine.Layout());
  ASSERT_EQ(groups[0].Windows.size(), 1u);
  EXPECT_EQ(groups[0].Windows[0].Handle, one);
  ASSERT_EQ(groups[1].Windows.size(), 1u);
  EXPECT_EQ(groups[1].Windows[0].Handle, two);
}

TEST(TreeSelection, Messages) {
  EXPECT_STREQ(SelectionMessage(false, 0), "Select any item in tree");
  EXPECT_STREQ(SelectionMessage(true, 0), "Select any window item in tree");
  EXPECT_EQ(SelectionMessage(true, 0x10010), nullptr);
}

}  // namespace
}  // namespace mirel::test
