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
  for (const Size text : {Size{0, 0}, Size{150, 38}, Size{151, 39}}) {
    const TOverlayLayout layout = OverlayLayout(text, {1023, 767});
    EXPECT_EQ(layout.Bounds.Width(), text.cx + 20);
    EXPECT_EQ(layout.Bounds.Height(), text.cy + 15);
    EXPECT_EQ(layout.TextOrigin, (Point{10, 7}));
    EXPECT_EQ(layout.Bounds.left, (1023 - text.cx - 20) / 2);
  }
}

TEST(OverlayLayout, AMarginScaledWithTheDpiKeepsTheTextInTheMiddle) {
  // At 150 %: 30 x 22 around text of the 48-px font.
  const TOverlayLayout layout = OverlayLayout({224, 56}, {1920, 1080}, {30, 22});
  EXPECT_EQ(layout.Bounds.Width(), 254);
  EXPECT_EQ(layout.Bounds.Height(), 78);
  EXPECT_EQ(layout.TextOrigin, (Point{15, 11}));
  EXPECT_EQ(layout.Bounds.left, (1920 - 254) / 2);
}

TEST(OverlayLayout, TextWiderThanTheScreen) {
  const TOverlayLayout layout = OverlayLayout({1100, 37}, {1024, 768});
  EXPECT_EQ(layout.Bounds.left, -48);  // truncated toward zero
}

}  // namespace
}  // namespace mirel::test
