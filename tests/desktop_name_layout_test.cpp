#include <gtest/gtest.h>

#include "app/desktop_name_layout.h"

namespace mirel::test {
namespace {

TEST(OverlayLayout, TextPlusMarginCentredOnTheScreen) {
  const TOverlayLayout layout = OverlayLayout({149, 37}, {1024, 768});
  EXPECT_EQ(layout.Bounds.Width(), 169);
  EXPECT_EQ(layout.Bounds.Height(), 52);
  EXPECT_EQ(layout.TextOrigin, (Point{10, 7}));
  // (1024 - 169) div 2 = 427, (768 - 52) div 2 = 358.
  EXPECT_EQ(layout.Bounds.left, 427);
  EXPECT_EQ(layout.Bounds.top, 358);
}

TEST(OverlayLayout, OddMarginsTruncate) {
  // Whatever the text, 20 x 15 more: the text sits at (10, 7), the odd pixel to the bottom.
  struct Case {
    Size text;
    int width, height, left, top;
  };
  for (const Case& c : {Case{{0, 0}, 20, 15, 501, 376}, Case{{150, 38}, 170, 53, 426, 357},
                        Case{{151, 39}, 171, 54, 426, 356}}) {
    const TOverlayLayout layout = OverlayLayout(c.text, {1023, 767});
    EXPECT_EQ(layout.Bounds.Width(), c.width);
    EXPECT_EQ(layout.Bounds.Height(), c.height);
    EXPECT_EQ(layout.TextOrigin, (Point{10, 7}));
    EXPECT_EQ(layout.Bounds.left, c.left);
    EXPECT_EQ(layout.Bounds.top, c.top);
  }
}

TEST(OverlayLayout, AMarginScaledWithTheDpiKeepsTheTextInTheMiddle) {
  // At 150 %: 30 x 22 around text of the 48-px font.
  const TOverlayLayout layout = OverlayLayout({224, 56}, {1920, 1080}, {30, 22});
  EXPECT_EQ(layout.Bounds.Width(), 254);
  EXPECT_EQ(layout.Bounds.Height(), 78);
  EXPECT_EQ(layout.TextOrigin, (Point{15, 11}));
  EXPECT_EQ(layout.Bounds.left, 833);  // (1920 - 254) div 2
  EXPECT_EQ(layout.Bounds.top, 501);   // (1080 - 78) div 2
}

TEST(OverlayLayout, TextWiderThanTheScreen) {
  const TOverlayLayout layout = OverlayLayout({1100, 37}, {1024, 768});
  EXPECT_EQ(layout.Bounds.left, -48);  // truncated toward zero
}

}  // namespace
}  // namespace mirel::test
