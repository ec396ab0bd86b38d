#include <gtest/gtest.h>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_window_system.h"

using namespace mirel;

TEST(SimWindowSystem, BatchLandsTogetherAndRestoreBringsBackNormalRect) {
  sim::SimWindowSystem ws;
  const Hwnd a = ws.AddWindow("A", {10, 10, 110, 110});
  const Hwnd b = ws.AddWindow("B", {20, 20, 220, 120});
  DeferBatch batch = ws.BeginDeferWindowPos(1);
  batch = ws.DeferWindowPos(batch, a, kHwndBottom, 1034, 10, 100, 100, 0x14);
  Rect r;
  ws.GetWindowRect(a, r);
  EXPECT_EQ(r.left, 10);  // nothing moves before the batch ends
  batch = ws.DeferWindowPos(batch, b, kHwndBottom, 1044, 20, 200, 100, 0x14);
  EXPECT_TRUE(ws.EndDeferWindowPos(batch));
  ws.GetWindowRect(a, r);
  EXPECT_EQ(r, (Rect{1034, 10, 1134, 110}));

  ws.Maximize(b);
  ws.ShowWindow(b, sw::kShowNormal);
  ws.GetWindowRect(b, r);
  EXPECT_EQ(r, (Rect{1044, 20, 1244, 120}));
}

TEST(SimRegistry, KeysOneNameAtATimeAndStringsWithTerminatingZero) {
  sim::SimRegistry reg;
  ScopedRegKey sw = OpenScopedKey(reg, reg.CurrentUser(), "Software", true);
  ScopedRegKey app = OpenScopedKey(reg, sw.get(), "Mirel\\Virtual Desktop", true);
  ASSERT_TRUE(app);
  EXPECT_TRUE(reg.SetString(app.get(), "HideApps", "1"));
  RegValue v;
  ASSERT_EQ(reg.QueryValue(app.get(), "hideapps", v), RegRead::kOk);
  EXPECT_EQ(v.data, (std::vector<std::uint8_t>{'1', 0}));
  EXPECT_EQ(reg.QueryValue(app.get(), "HotKey1", v), RegRead::kMissing);
  EXPECT_FALSE(OpenScopedKey(reg, reg.CurrentUser(), "Software\\Nope", false));
  reg.FailKeyCreation(true);
  EXPECT_FALSE(OpenScopedKey(reg, reg.CurrentUser(), "Software\\New", true));
}

TEST(SimRegistry, ValuesOverwrittenInPlaceAndListedByUpperCasedName) {
  sim::SimRegistry reg;
  ScopedRegKey key = OpenScopedKey(reg, reg.CurrentUser(), "Software\\Test", true);
  ASSERT_TRUE(key);
  EXPECT_TRUE(reg.SetString(key.get(), "beta", "1"));
  EXPECT_TRUE(reg.SetString(key.get(), "Alpha", "22"));
  EXPECT_TRUE(reg.SetString(key.get(), "BETA", "333"));
  EXPECT_EQ(reg.ValueNames(key.get()), (std::vector<std::string>{"Alpha", "BETA"}));
  RegValue v;
  ASSERT_EQ(reg.QueryValue(key.get(), "Beta", v), RegRead::kOk);
  EXPECT_EQ(v.data, (std::vector<std::uint8_t>{'3', '3', '3', 0}));
  EXPECT_TRUE(reg.DeleteValue(key.get(), "bEtA"));
  EXPECT_FALSE(reg.DeleteValue(key.get(), "beta"));
  EXPECT_EQ(reg.ValueNames(key.get()), (std::vector<std::string>{"Alpha"}));
}

TEST(SimRegistry, OpeningTheSamePathAgainFindsTheSameKey) {
  sim::SimRegistry reg;
  {
    ScopedRegKey created = OpenScopedKey(reg, reg.CurrentUser(), "Software\\A\\B", true);
    ASSERT_TRUE(created);
    reg.SetString(created.get(), "Name", "x");
  }
  RegValue v;
  for (const char* path : {"Software\\A\\B", "software\\a\\b", "Software\\A\\B"}) {
    ScopedRegKey again = OpenScopedKey(reg, reg.CurrentUser(), path, false);
    ASSERT_TRUE(again) << path;
    EXPECT_EQ(reg.QueryValue(again.get(), "Name", v), RegRead::kOk) << path;
  }
  ScopedRegKey parent = OpenScopedKey(reg, reg.CurrentUser(), "Software\\A", false);
  ScopedRegKey child = OpenScopedKey(reg, parent.get(), "B", false);
  EXPECT_EQ(reg.QueryValue(child.get(), "Name", v), RegRead::kOk);
  reg.FailKeyCreation(true);
  EXPECT_TRUE(OpenScopedKey(reg, reg.CurrentUser(), "Software\\A\\B", true));
  EXPECT_FALSE(OpenScopedKey(reg, reg.CurrentUser(), "Software\\A\\C", true));
  EXPECT_FALSE(OpenScopedKey(reg, parent.get(), "C", true));
  EXPECT_EQ(reg.OpenKeyCount(), 2);  // parent and child
}
