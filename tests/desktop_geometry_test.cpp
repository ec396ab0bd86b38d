#include <gtest/gtest.h>

#include "app/windows_tree.h"
#include "engine/desktop_geometry.h"
#include "engine/desktop_record.h"

namespace mirel {
namespace {

TEST(DesktopLayout, FourByTwoUntilTheGridLeavesTheSixteenBitRange) {
  EXPECT_EQ(ChooseLayout({0, 0, 1024, 768}), (TDesktopLayout{{0, 0, 1024, 768}, 4, 2}));
  // Two 4K monitors side by side: 4 x 7680 = 30720 still fits below the iconic -32000.
  EXPECT_EQ(ChooseLayout({0, 0, 7680, 2160}).Columns, 4);
  // Three of them (11520 wide) lie two by four; eight of them one by eight.
  EXPECT_EQ(ChooseLayout({0, 0, 11520, 2160}), (TDesktopLayout{{0, 0, 11520, 2160}, 2, 4}));
  EXPECT_EQ(ChooseLayout({-3840, 0, 26880, 2160}).Columns, 1);
  // Eight stacked 4K monitors: eight by one.
  EXPECT_EQ(ChooseLayout({0, 0, 3840, 17280}).Rows, 1);
  // A monitor left of the primary counts from the origin on both sides.
  EXPECT_EQ(ChooseLayout({-4000, 0, 7000, 1080}).Columns, 2);
}

TEST(DesktopLayout, ParkingBoundFollowsTheCellAndStopsShortOfTheIconicPosition) {
  EXPECT_EQ((TDesktopLayout{{0, 0, 1024, 768}, 4, 2}.ParkingBound()), (Point{10000, 10000}));
  EXPECT_EQ((TDesktopLayout{{-800, 0, 1024, 768}, 4, 2}.ParkingBound()), (Point{10000, 10000}));
  EXPECT_EQ((TDesktopLayout{{0, 0, 3840, 2160}, 4, 2}.ParkingBound()), (Point{15360, 10000}));
  EXPECT_EQ((TDesktopLayout{{0, 0, 11520, 2160}, 2, 4}.ParkingBound()), (Point{23040, 10000}));
  EXPECT_EQ((TDesktopLayout{{0, 0, 20000, 2160}, 4, 2}.ParkingBound()), (Point{32000, 10000}));
}

TEST(DesktopLayout, DesktopsCountFromTheVirtualScreensOrigin) {
  // A 800-pixel monitor left of a 1024-pixel primary: the cell is 1824 wide from x = -800.
  const TDesktopLayout left{{-800, 0, 1024, 768}, 4, 2};
  EXPECT_EQ(DesktopOfRect(left, 0, {-700, 100, -300, 300}), 0);  // on the left monitor
  EXPECT_EQ(DesktopOfRect(left, 0, {1100, 100, 1300, 300}), 1);
  EXPECT_EQ(DesktopOfRect(left, 0, {-900, 100, -800, 300}), 0);   // hanging off: truncation
  EXPECT_EQ(DesktopOfRect(left, 0, {-2800, 100, -2700, 300}), -1);
  EXPECT_EQ(DesktopOfRect(left, 5, {-700, 100, -300, 300}), 5);
  EXPECT_EQ(DesktopOfRect(left, 5, {-700 - 1824, 100 - 768, -300 - 1824, 300 - 768}), 0);
  EXPECT_EQ(left.Offset(5, 2), (Point{1824, -768}));
  // Two by four: desktop 3 lies below desktop 1, and nothing lies right of the second column.
  const TDesktopLayout tall{{0, 0, 11520, 2160}, 2, 4};
  EXPECT_EQ(tall.Offset(0, 2), (Point{0, 2160}));
  EXPECT_EQ(tall.Offset(7, 0), (Point{-11520, -3 * 2160}));
  EXPECT_EQ(DesktopOfRect(tall, 0, {100, 2260, 900, 2900}), 2);
  EXPECT_EQ(DesktopOfRect(tall, 0, {23140, 100, 23900, 700}), kDesktopCount);
  EXPECT_EQ(TreeGroupOf({100, 2260, 900, 2900}, 0, tall), 2);
  EXPECT_EQ(TreeGroupOf({23140, 100, 23900, 700}, 0, tall), kOtherWindowsGroup);
}

TEST(DesktopLayout, ThePlaneKeepsFourByTwoWhateverTheLayout) {
  // Four by two: one translation, windows outside the grid included.
  const TDesktopLayout left{{-800, 0, 1024, 768}, 4, 2};
  EXPECT_EQ(PlaneFromScreen(left, 1, {-700, 10, -300, 110}), (Rect{1924, 10, 2324, 110}));
  EXPECT_EQ(ScreenFromPlane(left, 1, {1924, 10}, {400, 100}), (Point{-700, 10}));
  // Two by four: desktop 3 (below desktop 1 in coordinates) is drawn in the third column.
  const TDesktopLayout tall{{0, 0, 11520, 2160}, 2, 4};
  const Rect onDesktop3{100, 2160 + 100, 900, 2160 + 700};
  EXPECT_EQ(PlaneFromScreen(tall, 0, onDesktop3), (Rect{23140, 100, 23940, 700}));
  EXPECT_EQ(ScreenFromPlane(tall, 0, {23140, 100}, {800, 600}), (Point{100, 2260}));
  // Dragged to desktop 8's picture cell, it lands in desktop 8's cell in coordinates.
  EXPECT_EQ(ScreenFromPlane(tall, 0, {3 * 11520 + 100, 2160 + 100}, {800, 600}),
            (Point{11520 + 100, 3 * 2160 + 100}));
}

TEST(DesktopLayout, AWindowOnNoMonitorComesOntoThePrimaryWorkArea) {
  const std::vector<MonitorInfo> monitors{{{0, 0, 1024, 768}, {0, 0, 1024, 748}, true}};
  EXPECT_EQ(KeepOnMonitors({900, 100, 1300, 400}, monitors), (Rect{900, 100, 1300, 400}));
  EXPECT_EQ(KeepOnMonitors({1200, 700, 1600, 1000}, monitors), (Rect{624, 448, 1024, 748}));
  EXPECT_EQ(KeepOnMonitors({-900, 10, -100, 60}, monitors), (Rect{0, 10, 800, 60}));
  // Larger than the work area: its top-left corner goes to the area's.
  EXPECT_EQ(KeepOnMonitors({2000, 0, 3500, 900}, monitors), (Rect{0, 0, 1500, 900}));
}

TEST(DesktopRecord, LayoutsAndSwitchesRoundTripAndGarbageReadsAsAbsent) {
  const TDesktopLayout layout{{-800, -10, 1824, 758}, 2, 4};
  EXPECT_EQ(EncodeLayout(layout), "-800 -10 2624 768 2 4");
  EXPECT_EQ(DecodeLayout(EncodeLayout(layout)), layout);
  for (const char* bad : {"", "0 0 1024 768 4", "0 0 1024 768 3 3", "0 0 0 768 4 2",
                          "0 0 1024 768 4 2 ", "0  0 1024 768 4 2", "0 0 1024 768 4 2x",
                          "0 0 99999999 768 4 2", "+0 0 1024 768 4 2"}) {
    EXPECT_FALSE(DecodeLayout(bad)) << bad;
  }
  const TRecordedSwitch record{2, 5, {1024, -768}, {{0x10010, {-5, 7}}, {0xFFFFFFFF, {3000, 0}}}};
  EXPECT_EQ(EncodeSwitch(record), "2 5 1024 -768 65552 -5 7 4294967295 3000 0");
  EXPECT_EQ(DecodeSwitch(EncodeSwitch(record)), record);
  for (const char* bad : {"", "2 5 1024", "2 8 0 0", "-1 5 0 0", "2 5 0 0 1 2", "2 5 0 0 x"}) {
    EXPECT_FALSE(DecodeSwitch(bad)) << bad;
  }
  const std::vector<TRestoreHome> homes{{0x10010, {-32000, -32000}, {2148, 100}},
                                        {0x10014, {0, 744}, {-4, 868}}};
  EXPECT_EQ(DecodeRestoreHomes(EncodeRestoreHomes(homes)), homes);
  EXPECT_EQ(DecodeRestoreHomes(""), std::vector<TRestoreHome>{});
  for (const char* bad : {"1 2 3 4", "1 2 3 4 5 ", " 1 2 3 4 5", "1 2 3 4 5 6", "1 2 3 4 x"}) {
    EXPECT_FALSE(DecodeRestoreHomes(bad)) << bad;
  }
}

}  // namespace
}  // namespace mirel
