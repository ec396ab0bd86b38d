#include <gtest/gtest.h>

#include "app/actions.h"

namespace mirel {
namespace {

TEST(Actions, DesktopButtonsCheckThemselvesAsOneGroup) {
  TActionList list;
  std::vector<int> executed;
  for (int n = 1; n <= 4; ++n) {
    TAction action;
    action.Name = "ButtonDesk" + std::to_string(n);
    action.AutoCheck = true;
    action.GroupIndex = 1;
    action.OnExecute = [&executed, n] { executed.push_back(n); };
    list.Add(action);
  }
  TAction hide;
  hide.Name = "HideAction";
  hide.ShortCut = 0x8073;
  list.Add(hide);
  int changes = 0;
  list.OnChange = [&] { ++changes; };

  for (const auto& action : list.Actions()) EXPECT_FALSE(action->Checked);  // none at start
  list.Execute(*list.Find("ButtonDesk3"));
  list.Execute(*list.Find("ButtonDesk3"));  // a group member stays checked when run again
  EXPECT_TRUE(list.Find("ButtonDesk3")->Checked);
  list.SetChecked(*list.Find("ButtonDesk2"), true);
  EXPECT_FALSE(list.Find("ButtonDesk3")->Checked);
  EXPECT_TRUE(list.Find("ButtonDesk2")->Checked);
  EXPECT_FALSE(list.Find("HideAction")->Checked);
  EXPECT_EQ(executed, (std::vector<int>{3, 3}));
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(list.FindShortCut(0x8073), list.Find("HideAction"));
  EXPECT_EQ(list.FindShortCut(0), nullptr);
}

}  // namespace
}  // namespace mirel
