#include "engine/menu_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace mirel;

TEST(MenuItem, AddsOwnedItemsInOrderAndClearFreesThem) {
  TMenuItem menu;
  TMenuItem& first = menu.Add("First");
  menu.AddSeparator();
  TMenuItem& sub = menu.Add("Sub");
  sub.Add("Inner").Add("Deeper");
  first.Tag = 7;

  ASSERT_EQ(menu.Count(), 3u);
  EXPECT_EQ(menu[0].Tag, 7);
  EXPECT_TRUE(menu[1].IsSeparator());
  EXPECT_FALSE(menu[0].IsSeparator());
  EXPECT_TRUE(menu[2].HasSubmenu());
  EXPECT_EQ(menu[2][0][0].Caption, "Deeper");

  // A new item starts as the menu shows nothing yet: no caption, enabled, unchecked, no image.
  const TMenuItem& fresh = menu.Add();
  EXPECT_TRUE(fresh.Caption.empty());
  EXPECT_TRUE(fresh.Enabled);
  EXPECT_FALSE(fresh.Checked);
  EXPECT_EQ(fresh.ImageIndex, -1);
  EXPECT_EQ(fresh.Tag, 0);

  menu.Clear();  // the sanitizer's leak check sees the nested items go
  EXPECT_EQ(menu.Count(), 0u);
  EXPECT_THROW(menu[0], std::out_of_range);
}

TEST(MenuItem, ClickRunsTheHandlerOnlyWhenEnabledAndSet) {
  std::vector<std::intptr_t> clicked;
  TMenuItem item;
  item.Tag = 42;
  EXPECT_FALSE(item.Click());  // no handler
  item.OnClick = [&clicked](const TMenuItem& sender) { clicked.push_back(sender.Tag); };
  EXPECT_TRUE(item.Click());
  item.Enabled = false;
  EXPECT_FALSE(item.Click());
  EXPECT_EQ(clicked, (std::vector<std::intptr_t>{42}));
}
