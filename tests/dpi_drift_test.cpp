// No drift on scaled displays. The program reads and writes other windows' coordinates in physical
// pixels (it declares per-monitor DPI awareness), so the screen sizes it works with are physical
// ones such as 1600 x 900 (1280 x 720 at 125 %), 2880 x 1620 (150 %) or an odd 1366 x 768. Every
// switch moves windows by whole multiples of these sizes: any number of switches there and back
// must return every window to its exact rectangle, with every size of screen and of window.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/engine_fixture.h"

namespace mirel::test {
namespace {

struct Screen {
  int width;
  int height;
  const char* name;
};

std::string ScreenName(const ::testing::TestParamInfo<Screen>& info) { return info.param.name; }

class DpiDrift : public ::testing::TestWithParam<Screen>, public EngineTest {
 protected:
  DpiDrift() { StartOnScreen(GetParam().width, GetParam().height); }

  int SW() const { return GetParam().width; }
  int SH() const { return GetParam().height; }

  // Windows of every kind the switch treats alike: odd positions and sizes in every cell, windows
  // across the edges of their cell and hanging off the screen, a window as wide as the screen, a
  // one-pixel window, and a window parked far away that no switch moves.
  void AddWindows() {
    int n = 0;
    for (int desktop = 0; desktop < kDesktopCount; ++desktop) {
      const int cellX = SW() * (desktop & 3);
      const int cellY = SH() * (desktop >> 2);
      Add(++n, {cellX + 13, cellY + 7, cellX + 13 + 641, cellY + 7 + 479});
      Add(++n, {cellX + SW() / 3 + 1, cellY + SH() / 5 + 3, cellX + SW() / 3 + 1 + 333,
                cellY + SH() / 5 + 3 + 221});
      // Hanging over the right and bottom edges of the cell, centre still inside it.
      Add(++n, {cellX + SW() - 301, cellY + SH() - 199, cellX + SW() + 97, cellY + SH() + 51});
    }
    Add(++n, {-37, -11, -37 + 480, -11 + 360});             // off the left and top edges
    Add(++n, {0, 0, SW(), SH()});                           // the whole screen
    Add(++n, {SW() - 1, SH() - 1, SW(), SH()});             // one pixel
    Add(++n, {-4, -4, SW() + 4, SH() + 4});                 // as a maximized window lies
    // Parked by its application further out than four screens: no switch moves it.
    parked_ = Add(++n, {4 * SW() + 10001, 50, 4 * SW() + 10301, 250});
    Add(++n, {2 * SW() - 151, SH() - 99, 2 * SW() + 151, SH() + 101});  // centre at a corner
  }

  Hwnd Add(int n, Rect rect) {
    const Hwnd window = ws.AddWindow("Window " + std::to_string(n), rect);
    start_[window] = rect;
    return window;
  }

  // Every window whose rectangle differs from where it started, for the failure message.
  std::string Moved() {
    std::string text;
    for (const auto& [window, rect] : start_) {
      const Rect now = RectOf(window);
      if (now == rect) continue;
      text += "\n  " + ws.Window(window).title + " (" + std::to_string(rect.left) + "," +
              std::to_string(rect.top) + ")-(" + std::to_string(rect.right) + "," +
              std::to_string(rect.bottom) + ") is now (" + std::to_string(now.left) + "," +
              std::to_string(now.top) + ")-(" + std::to_string(now.right) + "," +
              std::to_string(now.bottom) + ")";
    }
    return text;
  }

  // While desktop `desktop` is on screen, every window in reach lies whole screens away from where
  // it started, with its size unchanged.
  std::string OffGrid(int desktop) {
    const int dx = -SW() * (desktop & 3);
    const int dy = -SH() * (desktop >> 2);
    std::string text;
    for (const auto& [window, rect] : start_) {
      const Rect now = RectOf(window);
      const Rect expected = window == parked_ ? rect
                                   : Rect{rect.left + dx, rect.top + dy, rect.right + dx,
                                          rect.bottom + dy};
      if (now != expected) text += "\n  " + ws.Window(window).title;
    }
    return text;
  }

  std::map<Hwnd, Rect> start_;
  Hwnd parked_ = 0;
};

// A fixed sequence of desktops, the same at every run: each step goes to another desktop and then,
// every other step, back to desktop 1.
std::vector<std::uint16_t> Route(int switches) {
  std::vector<std::uint16_t> route;
  std::uint32_t state = 12345;
  while (static_cast<int>(route.size()) < switches) {
    state = state * 1103515245u + 12345u;
    const auto desktop = static_cast<std::uint16_t>(1 + (state >> 16) % 7);
    route.push_back(desktop);
    route.push_back(0);
  }
  return route;
}

TEST_P(DpiDrift, AThousandSwitchesThereAndBackLeaveEveryWindowWhereItWas) {
  AddWindows();
  int switches = 0;
  for (const std::uint16_t desktop : Route(1000)) {
    engine.SwitchToDesktop(desktop);
    ++switches;
    ASSERT_EQ(OffGrid(desktop), "") << "after " << switches << " switches, on desktop "
                                    << desktop + 1;
  }
  EXPECT_EQ(engine.CurrentDesktop(), 0);
  EXPECT_EQ(Moved(), "");
}

TEST_P(DpiDrift, WithTheHidingOptionEveryWindowComesBackWhereItWasAndShown) {
  config.HideApps = true;
  AddWindows();
  for (const std::uint16_t desktop : Route(1000)) engine.SwitchToDesktop(desktop);
  EXPECT_EQ(Moved(), "");
  engine.ReleaseHiddenWindows();
  for (const auto& [window, rect] : start_) {
    EXPECT_TRUE(ws.IsWindowVisible(window) && ws.IsWindowEnabled(window))
        << ws.Window(window).title;
  }
}

TEST_P(DpiDrift, MovingAWindowToEveryDesktopAndBackKeepsItsRectangle) {
  const Rect rect{SW() / 2 - 171, SH() / 2 - 97, SW() / 2 + 172, SH() / 2 + 98};
  const Hwnd window = ws.AddWindow("Traveller", rect);
  for (int round = 0; round < 125; ++round) {
    for (int desktop = 1; desktop < kDesktopCount; ++desktop) {
      engine.MoveWindowToDesktop(window, desktop);
      const Rect there = RectOf(window);
      ASSERT_EQ(there.Width(), rect.Width());
      ASSERT_EQ(there.left - rect.left, SW() * (desktop & 3));
      ASSERT_EQ(there.top - rect.top, SH() * (desktop >> 2));
      engine.MoveWindowToDesktop(window, 0);
      ASSERT_EQ(RectOf(window), rect) << "round " << round << ", desktop " << desktop + 1;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    PhysicalScreens, DpiDrift,
    ::testing::Values(Screen{1600, 900, "W1280x720At125"}, Screen{1920, 1080, "W1536x864At125"},
                      Screen{2880, 1620, "W1920x1080At150"}, Screen{1366, 768, "W1366x768"},
                      Screen{1707, 960, "W1366x768At125Rounded"},
                      Screen{3839, 2159, "OddBothWays"}, Screen{1023, 767, "SmallAndOdd"},
                      Screen{5120, 2880, "W2560x1440At200"}),
    ScreenName);

}  // namespace
}  // namespace mirel::test
