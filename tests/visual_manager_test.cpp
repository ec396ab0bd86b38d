#include <gtest/gtest.h>

#include "app/visual_manager.h"
#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

constexpr Size kScreen{1024, 768};
constexpr Size kPaintBox{488, 191};  // the paint box's designed size: cells of 122 x 96

TsDeskCFGWindow Cells(int width, int height) {
  TsDeskCFGWindow cfg;
  cfg.CellWidth = width;
  cfg.CellHeight = height;
  return cfg;
}

TEST(VisualRounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(109.5), 110);
  EXPECT_EQ(RoundHalfEven(110.5), 110);
  EXPECT_EQ(RoundHalfEven(95.5), 96);
  EXPECT_EQ(RoundHalfEven(94.5), 94);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(-83.93), -84);
  EXPECT_EQ(RoundHalfEven(1e12), 0x7FFFFFFF);
}

TEST(VisualGeometry, CellSizesFromThePaintBox) {
  const TsDeskCFGWindow cfg;
  EXPECT_EQ(CellSizeFor(kPaintBox, cfg), (Size{122, 96}));      // 191 / 2 = 95.5 -> 96
  EXPECT_EQ(CellSizeFor({490, 189}, cfg), (Size{122, 94}));     // 122.5 -> 122, 94.5 -> 94
  EXPECT_EQ(CellSizeFor({2, 1}, cfg), (Size{0, 0}));            // 0.5 -> 0
  EXPECT_EQ(CellSizeFor({6, 3}, cfg), (Size{2, 2}));            // 1.5 -> 2
  TsDeskCFGWindow empty;
  empty.GridColumns = 0;
  EXPECT_EQ(CellSizeFor(kPaintBox, empty), (Size{0, 0}));
}

TEST(VisualGeometry, GridLinesCloseOnePixelInside) {
  const auto lines = GridLines(Cells(122, 96), kPaintBox);
  const std::vector<TLine> expected = {
      {{0, 0}, {0, 191}},     {{122, 0}, {122, 191}}, {{244, 0}, {244, 191}},
      {{366, 0}, {366, 191}}, {{487, 0}, {487, 191}}, {{0, 0}, {488, 0}},
      {{0, 96}, {488, 96}},   {{0, 191}, {488, 191}},
  };
  EXPECT_EQ(lines, expected);
}

// At 200 % the closing lines lie their two-pixel width inside the edge; labels keep twice the room.
TEST(VisualGeometry, LinesAndLabelsScaleWithTheDpi) {
  const TVisualScale scale = VisualScaleForDpi(192);
  EXPECT_EQ(scale.LineWidth, 2);
  const auto lines = GridLines(Cells(122, 96), kPaintBox, scale.LineWidth);
  EXPECT_EQ(lines[4], (TLine{{486, 0}, {486, 191}}));
  EXPECT_EQ(lines[7], (TLine{{0, 190}, {488, 190}}));
  EXPECT_EQ(CellNumbers(Cells(122, 96), DefaultDesktopNames(), scale)[1].At, (Point{4, 172}));
}

TEST(DpiScale, SizesLinesAndClickSlopAtCommonScales) {
  struct Case {
    int dpi, icon, line, slop;
  };
  for (const Case c : {Case{96, 16, 1, 0}, Case{120, 20, 1, 1}, Case{144, 24, 1, 1},
                       Case{192, 32, 2, 1}, Case{240, 40, 2, 2}, Case{288, 48, 3, 2}}) {
    EXPECT_EQ(ScaleToDpi(16, c.dpi), c.icon) << c.dpi;
    EXPECT_EQ(LineWidthForDpi(c.dpi), c.line) << c.dpi;
    EXPECT_EQ(ClickSlopForDpi(c.dpi), c.slop) << c.dpi;
  }
  EXPECT_EQ(ScaleToDpi(-11, 144), -17);  // -16.5 rounds away from zero, as MulDiv does
  EXPECT_EQ(ScaleToDpi(16, 0), 16);     // no DPI known: design pixels
}

TEST(VisualGeometry, CellsAndNumbers) {
  const TsDeskCFGWindow cfg = Cells(122, 96);
  EXPECT_EQ(CellRect(cfg, 0), (Rect{0, 0, 122, 96}));
  EXPECT_EQ(CellRect(cfg, 5), (Rect{122, 96, 244, 192}));
  EXPECT_EQ(CellRect(cfg, 3), (Rect{366, 0, 488, 96}));
  const auto numbers = CellNumbers(cfg);
  ASSERT_EQ(numbers.size(), 8u);
  // Column by column, the top row first in each.
  EXPECT_EQ(numbers[0], (TCellNumber{"1. Desktop 1", {2, 86}, {0, 0, 122, 96}}));
  EXPECT_EQ(numbers[1], (TCellNumber{"5. Desktop 5", {2, 182}, {0, 96, 122, 192}}));
  EXPECT_EQ(numbers[2], (TCellNumber{"2. Desktop 2", {124, 86}, {122, 0, 244, 96}}));
  TDesktopNames names = DefaultDesktopNames();
  names[7] = "Music";
  EXPECT_EQ(CellNumbers(cfg, names)[7], (TCellNumber{"8. Music", {368, 182}, {366, 96, 488, 192}}));
}

TEST(VisualGeometry, WindowsScaleIntoThePicture) {
  const TsDeskCFGWindow cfg = Cells(122, 96);
  // 122 / 1024 and 96 / 768 are exact in binary: the halves are real halves.
  // 256 * 122/1024 = 30.5 -> 30; 100 * 0.125 = 12.5 -> 12; 768 -> 91.5 -> 92; 300 -> 37.5 -> 38.
  EXPECT_EQ(ScaleToPicture({256, 100, 768, 300}, cfg, kScreen), (Rect{30, 12, 92, 38}));
  // Desktop 6 on screen: the plane starts one screen left and up of it.
  const Point offset = PlaneOffset(5, cfg, kScreen);
  EXPECT_EQ(offset, (Point{1024, 768}));
  EXPECT_EQ(ScaleToPicture(ShiftRect({0, 0, 1024, 768}, offset), cfg, kScreen),
            (Rect{122, 96, 244, 192}));
  EXPECT_EQ(ScaleToPicture({-1024, 0, 0, 768}, cfg, kScreen), (Rect{-122, 0, 0, 96}));
}

TEST(VisualGeometry, PointerToPlaneAndDragFromThePress) {
  const TsDeskCFGWindow cfg = Cells(122, 96);
  EXPECT_EQ(PictureToPlane({61, 48}, cfg, kScreen), (Point{512, 384}));
  EXPECT_EQ(PictureToPlane({20, 20}, cfg, kScreen), (Point{168, 160}));  // 167.87 -> 168
  // 1024 * -10 / 122 = -83.93 -> -84; 768 * -5 / 96 = -40.
  EXPECT_EQ(DragPosition({100, 100}, {20, 20}, {30, 25}, cfg, kScreen), (Point{184, 140}));
  // One cell to the right and down is one screen to the right and down.
  EXPECT_EQ(DragPosition({100, 100}, {20, 20}, {142, 116}, cfg, kScreen), (Point{1124, 868}));
  // Back at the press point: back at the start, whatever moves came between.
  EXPECT_EQ(DragPosition({100, 100}, {20, 20}, {20, 20}, cfg, kScreen), (Point{100, 100}));
  // 1024 * 1 / 122 = 8.39 -> 8 per pixel; measured from the press, 5 pixels give 42, not 40.
  EXPECT_EQ(DragPosition({0, 0}, {20, 20}, {25, 20}, cfg, kScreen), (Point{42, 0}));
}

TEST(VisualGeometry, ReleaseCell) {
  const TsDeskCFGWindow cfg = Cells(122, 96);
  EXPECT_EQ(ReleaseCell({5, 5}, cfg), 0);
  EXPECT_EQ(ReleaseCell({121, 95}, cfg), 0);
  EXPECT_EQ(ReleaseCell({130, 100}, cfg), 5);
  EXPECT_EQ(ReleaseCell({487, 191}, cfg), 7);
  // Outside the grid: right of it, below it, left of it or above it.
  EXPECT_EQ(ReleaseCell({488, 5}, cfg), std::nullopt);
  EXPECT_EQ(ReleaseCell({5, 192}, cfg), std::nullopt);
  EXPECT_EQ(ReleaseCell({-1, 5}, cfg), std::nullopt);
  EXPECT_EQ(ReleaseCell({5, -30}, cfg), std::nullopt);
  EXPECT_EQ(ReleaseCell({5, 5}, Cells(0, 96)), std::nullopt);
}

TEST(VisualGeometry, PointInRectExcludesRightAndBottom) {
  const Rect r{10, 20, 30, 40};
  EXPECT_TRUE(PointInRect(r, 10, 20));
  EXPECT_TRUE(PointInRect(r, 29, 39));
  EXPECT_FALSE(PointInRect(r, 30, 25));
  EXPECT_FALSE(PointInRect(r, 15, 40));
  EXPECT_FALSE(PointInRect(r, 9, 25));
}

// ------------------------------------------------------------------------------------------------
// The page on the simulated window system
// ------------------------------------------------------------------------------------------------

class FakeVisualHost : public IVisualManagerHost {
 public:
  bool timerRunning = false;
  int timerInterval = 0;
  int timerStarts = 0;
  int repaints = 0;
  int invalidations = 0;

  void StartAllowMove(int intervalMs) override {
    timerRunning = true;
    timerInterval = intervalMs;
    ++timerStarts;
  }
  void StopAllowMove() override { timerRunning = false; }
  void RepaintPicture() override { ++repaints; }
  void InvalidatePicture() override { ++invalidations; }
};

class VisualManager : public ::testing::Test, public EngineTest {
 protected:
  VisualManager() : page(engine, visualHost) {}

  // A paint, as the page does before any mouse work: it sets the cell size.
  TVisualPicture Paint(Size client = kPaintBox) { return page.Compose(client); }
  void Press(Point p, TMouseButton button = TMouseButton::mbLeft) { page.MouseDown(button, p); }
  void Release(Point p, TMouseButton button = TMouseButton::mbLeft) { page.MouseUp(button, p); }
  void Move(Point p) { page.MouseMove(p, kPaintBox); }
  void FireTimer() {
    ASSERT_TRUE(visualHost.timerRunning);
    page.AllowMoveTimer();
  }

  FakeVisualHost visualHost;
  TVisualManager page;
};

TEST_F(VisualManager, EmptyPictureHasGridAndNumbers) {
  engine.RefreshWindowList();
  const TVisualPicture picture = Paint();
  EXPECT_EQ(config.WindowCfg.CellWidth, 122);
  EXPECT_EQ(config.WindowCfg.CellHeight, 96);
  EXPECT_TRUE(picture.HasGrid);
  EXPECT_EQ(picture.BackgroundColor, SysColor(kColorWindow));
  EXPECT_EQ(picture.CurrentCell, (Rect{0, 0, 122, 96}));
  EXPECT_EQ(picture.CurrentCellColor, SysColor(kColorInactiveCaption));
  EXPECT_EQ(picture.GridLines.size(), 8u);
  EXPECT_EQ(picture.GridLineColor, RgbColor(0, 0, 0));
  EXPECT_TRUE(picture.Windows.empty());
  EXPECT_EQ(picture.CellNumbers.size(), 8u);
  EXPECT_EQ(picture.CellNumberColor, SysColor(kColorActiveCaption));
}

TEST_F(VisualManager, WindowsBottomFirstForegroundMarkedTitlesTakeTheLastFontColour) {
  const Hwnd top = WindowOn(0, "Top", 256, 100, 512, 200);
  const Hwnd other = WindowOn(5, "Six");
  ws.SetForeground(top);
  TVisualPicture picture = Paint();
  ASSERT_EQ(picture.Windows.size(), 2u);
  EXPECT_EQ(picture.Windows[0].Handle, other);
  EXPECT_FALSE(picture.Windows[0].Foreground);
  EXPECT_EQ(picture.Windows[0].Bounds.left, 122 + 12);  // 1124 * 0.119 = 133.9
  EXPECT_EQ(picture.Windows[1].Handle, top);
  EXPECT_EQ(picture.Windows[1].Title, "Top");
  EXPECT_TRUE(picture.Windows[1].Foreground);
  EXPECT_EQ(picture.Windows[1].Bounds, (Rect{30, 12, 92, 38}));
  // Titles are in the window-text colour until the first paint that drew cell numbers.
  EXPECT_EQ(picture.TitleColor, SysColor(kColorWindowText));
  picture = Paint();
  EXPECT_EQ(picture.TitleColor, SysColor(kColorActiveCaption));

  // With desktop 6 on screen, its window lies in cell 6 and the first desktop's in cell 1.
  engine.SwitchToDesktop(5);
  picture = Paint();
  EXPECT_EQ(picture.CurrentCell, (Rect{122, 96, 244, 192}));
  ASSERT_EQ(picture.Windows.size(), 2u);
  for (const TPictureWindow& shape : picture.Windows) {
    if (shape.Handle == top) {
      EXPECT_EQ(shape.Bounds, (Rect{30, 12, 92, 38}));
    } else {
      EXPECT_EQ(shape.Handle, other);
      EXPECT_EQ(shape.Bounds.left, 122 + 12);
    }
  }
}

TEST_F(VisualManager, CellNumbersCanBeTurnedOff) {
  config.WindowCfg.ShowCellNumbers = false;
  WindowOn(0, "A");
  TVisualPicture picture = Paint();
  picture = Paint();
  EXPECT_TRUE(picture.CellNumbers.empty());
  EXPECT_EQ(picture.TitleColor, SysColor(kColorWindowText));
}

TEST_F(VisualManager, TheOverlayAndTheProgramsWindowsAreNeverDrawn) {
  ws.Window(host.overlayWindow).visible = true;
  ws.Window(host.mainWindow).visible = true;
  const Hwnd a = WindowOn(0, "A");
  const TVisualPicture picture = Paint();
  ASSERT_EQ(picture.Windows.size(), 1u);
  EXPECT_EQ(picture.Windows[0].Handle, a);
}

TEST_F(VisualManager, TooSmallForTheGridPaintsTheBackgroundOnlyAndIgnoresTheMouse) {
  const Hwnd a = WindowOn(0, "A");
  const TVisualPicture picture = Paint({3, 1});
  EXPECT_EQ(config.WindowCfg.CellHeight, 0);
  EXPECT_FALSE(picture.HasGrid);
  EXPECT_TRUE(picture.GridLines.empty());
  EXPECT_TRUE(picture.Windows.empty());
  EXPECT_TRUE(picture.CellNumbers.empty());

  Press({0, 0});
  EXPECT_FALSE(page.Dragging());
  EXPECT_EQ(visualHost.timerStarts, 0);
  page.MouseMove({1, 0}, {3, 1});
  Release({0, 0});
  EXPECT_EQ(RectOf(a).left, 100);
  EXPECT_TRUE(host.overlayShows.empty());  // no switch
}

TEST_F(VisualManager, DragFromCellOneToCellSixMovesTheRealWindow) {
  const Hwnd a = WindowOn(0, "A");
  Paint();
  Press({20, 20});
  EXPECT_TRUE(page.Dragging());
  EXPECT_EQ(page.DragWindow(), a);
  EXPECT_EQ(page.DragStartPos(), (Point{100, 100}));
  EXPECT_EQ(visualHost.timerInterval, 150);
  EXPECT_EQ(page.AllowMoveTag(), 0);

  // Within the delay the window does not move.
  Move({40, 40});
  EXPECT_EQ(RectOf(a).left, 100);

  FireTimer();
  EXPECT_FALSE(visualHost.timerRunning);
  EXPECT_EQ(page.AllowMoveTag(), 1);
  Move({30, 25});
  EXPECT_EQ(RectOf(a), (Rect{184, 140, 484, 340}));
  EXPECT_EQ(visualHost.repaints, 1);
  Move({142, 116});
  EXPECT_EQ(RectOf(a), (Rect{1124, 868, 1424, 1068}));

  // Outside the paint box (the pointer is captured) the window stays where it is.
  Move({-5, 116});
  Move({142, 191});
  EXPECT_EQ(RectOf(a).left, 1124);

  Release({142, 116});
  EXPECT_FALSE(page.Dragging());
  EXPECT_EQ(engine.DesktopOfWindow(a), 5);
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_TRUE(host.overlayShows.empty());
  EXPECT_EQ(visualHost.invalidations, 1);
}

TEST_F(VisualManager, QuickClickOnAWindowSwitchesToItsCell) {
  WindowOn(5, "Six");
  Paint();
  Press({140, 110});
  ASSERT_TRUE(page.Dragging());
  Release({140, 110});
  EXPECT_FALSE(visualHost.timerRunning);
  EXPECT_EQ(engine.CurrentDesktop(), 5);
  ASSERT_EQ(host.overlayShows.size(), 1u);
  EXPECT_EQ(host.overlayShows[0].caption, "Desktop 6");
}

// At 200 % a release one pixel off the press is still the click, two pixels off it is not.
TEST_F(VisualManager, AtTwoHundredPercentAClickMayMoveByLessThanADesignPixel) {
  WindowOn(5, "Six");
  page.SetScale(VisualScaleForDpi(192));
  Paint();
  Press({140, 110});
  Release({141, 109});
  EXPECT_EQ(engine.CurrentDesktop(), 5);
  Paint();
  Press({140, 110});
  Release({142, 110});
  EXPECT_EQ(host.overlayShows.size(), 1u);
}

TEST_F(VisualManager, ReleaseElsewhereWithinTheDelayDoesNothing) {
  const Hwnd a = WindowOn(0, "A");
  Paint();
  Press({20, 20});
  Move({150, 120});
  Release({150, 120});
  EXPECT_EQ(RectOf(a).left, 100);
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_TRUE(host.overlayShows.empty());
}

TEST_F(VisualManager, ClickOnEmptySpaceSwitches) {
  Paint();
  Press({300, 150});
  EXPECT_FALSE(page.Dragging());
  EXPECT_EQ(visualHost.timerStarts, 0);
  Release({300, 150});
  EXPECT_EQ(engine.CurrentDesktop(), 6);
  // The same cell again: nothing moves, the overlay shows the name again.
  Press({300, 150});
  Release({310, 160});
  EXPECT_EQ(engine.CurrentDesktop(), 6);
  EXPECT_EQ(host.overlayShows.size(), 2u);
}

TEST_F(VisualManager, ReleaseOutsideTheGridAfterAnEmptyClickSwitchesNothing) {
  Paint({490, 191});  // cells of 122: the grid ends at 488
  Press({300, 150});
  Release({600, 150});
  Release({-20, 10});
  Release({10, -20});
  Release({489, 10});
  Release({10, 500});
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_TRUE(host.overlayShows.empty());
}

TEST_F(VisualManager, MaximizedWindowsAreSkippedUnlessMoveMaximized) {
  const Hwnd beneath = WindowOn(0, "Beneath");
  const Hwnd maximized = ws.AddWindowOnTop("Max", {0, 0, 800, 600});
  ws.Maximize(maximized);
  Paint();
  Press({20, 20});
  EXPECT_EQ(page.DragWindow(), beneath);
  Release({20, 20});

  // Nothing beneath at that point: nothing picked, so the release switches.
  Paint();
  Press({100, 80});
  EXPECT_FALSE(page.Dragging());
  EXPECT_EQ(page.DragWindow(), 0u);
  Release({100, 80});
  EXPECT_EQ(host.overlayShows.back().caption, "Desktop 1");

  config.WindowCfg.MoveMaximized = true;
  ws.Maximize(maximized);
  Paint();
  Press({20, 20});
  EXPECT_EQ(page.DragWindow(), maximized);
}

TEST_F(VisualManager, OtherButtonsOnlyClearThePickAndStopTheTimer) {
  WindowOn(0, "A");
  Paint();
  Press({20, 20});
  FireTimer();
  Press({20, 20}, TMouseButton::mbRight);
  EXPECT_EQ(page.DragWindow(), 0u);
  EXPECT_EQ(page.AllowMoveTag(), 0);
  EXPECT_TRUE(page.Dragging());  // only a left press or release changes it
  visualHost.timerRunning = true;
  Release({20, 20}, TMouseButton::mbRight);
  EXPECT_FALSE(visualHost.timerRunning);
  EXPECT_TRUE(page.Dragging());
  EXPECT_TRUE(host.overlayShows.empty());
}

TEST_F(VisualManager, DraggingWithTheHidingOptionHidesAWindowLeftBehind) {
  config.HideApps = true;
  const Hwnd a = WindowOn(0, "A");
  Paint();
  Press({20, 20});
  FireTimer();
  Move({142, 116});  // into desktop 6's cell
  EXPECT_TRUE(ws.IsWindowVisible(a));
  Move({143, 116});  // the next step's hiding pass sees it on another desktop
  EXPECT_FALSE(ws.IsWindowVisible(a));
  EXPECT_EQ(RectOf(a).left, 1132);
  Move({20, 20});  // back home: shown again by the pass after the next move
  Move({21, 20});
  EXPECT_TRUE(ws.IsWindowVisible(a));
}

TEST_F(VisualManager, LosingTheCaptureEndsTheDrag) {
  const Hwnd a = WindowOn(0, "A");
  Paint();
  Press({20, 20});
  FireTimer();
  Move({30, 25});
  page.CaptureLost();
  EXPECT_FALSE(page.Dragging());
  Move({60, 60});
  EXPECT_EQ(RectOf(a).left, 184);
}

TEST_F(VisualManager, AClosedWindowDuringADragFailsHarmlessly) {
  const Hwnd a = WindowOn(0, "A");
  Paint();
  Press({20, 20});
  FireTimer();
  ws.Destroy(a);
  Move({30, 25});
  Release({30, 25});
  EXPECT_TRUE(Paint().Windows.empty());
}

}  // namespace
}  // namespace mirel::test
