// End-to-end tests of the control panel's pages and of the desktop name overlay: the "Windows
// Tree" page with its context menu ("Make transparent", "Close"), the "Visual Manager" page worked
// with the mouse, and the name that appears after every switch.
//
// Standard windows (ProgramFixture): Alpha and Beta on desktop 1, Gamma on desktop 2, Delta on
// desktop 3 (alone there), Far at x = 12000. Nothing is stored at start, so the hiding option is
// on. The main window is opened through "Control panel" in the tray menu.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/input.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"
#include "tests/win32/support/unix_command.h"

namespace mirel::e2e {
namespace {

constexpr const char* kTreeClass = "SysTreeView32";
constexpr const char* kTabClass = "SysTabControl32";
constexpr const char* kPaintBoxClass = "TPaintBox";
constexpr const char* kTrackBarClass = "msctls_trackbar32";
constexpr const char* kMessageBoxClass = "#32770";
constexpr int kOptionsPage = 2;
constexpr const char* kOptionsKey = "Software\\Mirel\\Virtual Desktop\\Options";

// --- Real X pointer input (xdotool): presses, moves and releases that Wine never drops ----------

void Xdotool(const std::string& arguments) {
  const test::UnixCommandResult result = test::RunUnixCommand("xdotool " + arguments);
  if (!result.finished || result.exitStatus != 0) {
    throw DriverError("'xdotool " + arguments + "' failed: " + result.output);
  }
}

std::string At(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

void XPress(POINT p) { Xdotool("mousemove " + At(p) + " mousedown 1"); }
void XMoveTo(POINT p) { Xdotool("mousemove " + At(p)); }
void XRelease(POINT p) { Xdotool("mousemove " + At(p) + " mouseup 1"); }

// --- The fixture ---------------------------------------------------------------------------------

class ControlPanelTest : public ProgramFixture {
 protected:
  HWND Main() const { return program.MainWindow(); }
  HWND Tree() const { return FindChild(Main(), kTreeClass); }
  HWND PaintBox() const { return FindChild(Main(), kPaintBoxClass); }

  void ChoosePage(int index) {
    Click(Centre(TabRect(FindChild(Main(), kTabClass), index)));
    const HWND shown = index == 0 ? Tree() : PaintBox();
    Await("page " + std::to_string(index) + " shown", [&] { return IsWindowVisible(shown) != 0; });
    // A user works on what is on the screen: wait for the picture.
    if (index == 1) {
      Await("the visual manager's picture", [&] {
        return CountColours(SettledPicture(WindowRect(shown))) > 2;
      });
    }
  }

  // Clicks the tree's empty lower part: the tree takes the keyboard focus. First the main window
  // must have finished its activation (which puts the focus on it), or that would take the focus
  // back from the tree.
  void FocusTree() {
    Await("the main window active with the focus in it", [&] {
      const GUITHREADINFO info = ThreadInfoOf(Main());
      return info.hwndActive == Main() &&
             (info.hwndFocus == Main() || IsChild(Main(), info.hwndFocus));
    });
    const RECT tree = WindowRect(Tree());
    Click(POINT{tree.left + 150, tree.bottom - 8});
    Await("the tree focused", [&] { return FocusOf(Main()) == Tree(); });
  }

  // The node of Delta, the only window of desktop 3, picked with the keyboard: the group nodes are
  // collapsed after every refresh, so "Desktop 3" is the third row.
  void SelectDeltaNode() {
    FocusTree();
    for (WORD key : {VK_HOME, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN}) TapKey(key);
    Await("Delta's node selected", [&] { return SelectedNodeText(Tree()) == kDelta; });
  }

  // Opens the tree's context menu with Shift+F10 and picks its first (true) or second item.
  void ChooseFromWindowPopup(bool first) {
    PressKeys({VK_SHIFT, VK_F10});
    Await("the tree's context menu", [] { return FindOpenMenu() != nullptr; });
    if (first) {
      ChooseMenuItemByKeys({VK_DOWN, VK_RETURN});
    } else {
      ChooseMenuItemByKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    }
  }

  HWND ShownTransparencyDialog() {
    HWND dialog = nullptr;
    Await("the transparency dialog", [&] {
      dialog = program.Window(kTransparencyClass);
      return dialog != nullptr && IsWindowVisible(dialog) && GetForegroundWindow() == dialog;
    });
    return dialog;
  }

  // Moves the dialog's slider to `level` with the keyboard: Home, then Page Down and Right.
  void SlideTo(HWND dialog, int level) {
    const HWND slider = FindChild(dialog, kTrackBarClass);
    ASSERT_NE(slider, nullptr);
    Await("the slider focused", [&] { return FocusOf(dialog) == slider; });
    auto position = [&] { return static_cast<int>(Ask(slider, TBM_GETPOS)); };
    TapKey(VK_HOME);
    Await("the slider at 0", [&] { return position() == 0; });
    const int page = static_cast<int>(Ask(slider, TBM_GETPAGESIZE));
    while (position() != level) {
      const int before = position();
      ASSERT_LT(before, level);
      TapKey(level - before >= page && page > 0 ? VK_NEXT : VK_RIGHT);
      Await("the slider to move", [&] { return position() != before; });
    }
  }

  int TransparencyLevelShown(HWND dialog) const {
    // Label2: the label right of "Transparency level" that shows a number.
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if (WindowClass(child) != "Static") continue;
      const std::string text = ControlText(child);
      if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        return std::stoi(text);
      }
    }
    return -1;
  }

  // The cells of the visual manager at the main window's first size: its paint box of
  // kBoxWidth x kBoxHeight pixels split into 4 x 2 cells of kCellWidth x kCellHeight (110.5
  // rounded half to even).
  static constexpr int kBoxWidth = 488;
  static constexpr int kBoxHeight = 221;
  static constexpr int kCellWidth = 122;
  static constexpr int kCellHeight = 110;
  struct Cells {
    RECT box;
    int width;
    int height;
  };
  Cells MeasureCells() const {
    const RECT box = WindowRect(PaintBox());
    EXPECT_EQ(box.right - box.left, kBoxWidth);
    EXPECT_EQ(box.bottom - box.top, kBoxHeight);
    return {box, kCellWidth, kCellHeight};
  }
  // A screen point in the picture near the plane point (x, y) (screen pixels seen from desktop 1).
  POINT InPicture(const Cells& cells, int x, int y) const {
    return POINT{cells.box.left + x * cells.width / W, cells.box.top + y * cells.height / H};
  }

  HWND Overlay() const { return program.Window(kOverlayClass); }

  // The overlay visible with `caption` at `expected`: its text in the bold 32-pixel font plus
  // 20 x 15, centred on the 1024 x 768 screen.
  void ExpectOverlayShown(const std::string& caption, const RECT& expected,
                          const std::string& artifact) {
    HWND overlay = nullptr;
    ASSERT_TRUE(Eventually("the overlay visible with \"" + caption + "\"", [&] {
      overlay = Overlay();
      return overlay != nullptr && IsWindowVisible(overlay) && WindowTitle(overlay) == caption;
    }));
    const RECT shown = WindowRect(overlay);
    // Its picture once the letters are on the screen (it is up for 700 ms only).
    Image picture;
    if (WaitUntil([&] {
          picture = CaptureScreen(shown);
          return CountColours(picture) > 2 || !IsWindowVisible(overlay);
        })) {
      SaveArtifact(picture, artifact);
    }
    EXPECT_EQ(Text(shown), Text(expected)) << Describe(overlay);
  }

  static std::string Text(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
  }

  ::testing::AssertionResult OverlayEventuallyHidden() const {
    // The overlay hides 700 ms after it showed; the rest is slack for a loaded machine.
    return Eventually(
        "the overlay hidden", [&] { return !IsWindowVisible(Overlay()); },
        std::chrono::milliseconds(3000), [&] { return Describe(Overlay()); });
  }
};

// --- "Windows Tree" ------------------------------------------------------------------------------

using WindowsTreeTest = ControlPanelTest;

TEST_F(WindowsTreeTest, CloseFromTheContextMenuEndsTheWindowsMessageLoop) {
  ShowMainWindow();
  SelectDeltaNode();
  SaveArtifact(SettledPicture(WindowRect(Main())), "windows-tree-page");
  const HWND delta = Sample(kDelta);
  ChooseFromWindowPopup(false);  // "Close"
  ASSERT_TRUE(Eventually("Delta's window gone with its message loop",
                         [&] { return !IsWindow(delta); }));
  for (const char* title : {kAlpha, kBeta, kGamma, kFar}) {
    EXPECT_TRUE(IsWindow(Sample(title))) << title;
  }
  EXPECT_TRUE(program.Running());
}

// A name typed into the "Options" page names the desktop at once and in the next run.
TEST_F(WindowsTreeTest, ANameTypedOnTheOptionsPageIsShownByTheOverlayAndTheTreeAndKept) {
  ShowMainWindow();
  CheckBoxOnPage(kOptionsPage, "Tray icons follow the desktop on screen");
  // The name fields are the page's edit controls, read as another process reads them.
  const std::vector<HWND> edits = ChildrenOfClass(Main(), "Edit");
  const auto named = std::ranges::find_if(edits, [](HWND edit) {
    return ControlText(edit) == "Desktop 2";
  });
  ASSERT_NE(named, edits.end()) << edits.size() << " edit controls, none holding \"Desktop 2\"";
  const HWND field = *named;
  Click(Centre(WindowRect(field)));
  ASSERT_TRUE(Eventually("the name field focused", [&] { return FocusOf(Main()) == field; }));
  Ask(field, EM_SETSEL, 0, -1);
  PressKeys({VK_SHIFT, 'M'});
  for (const WORD key : {'A', 'I', 'L'}) TapKey(key);
  ASSERT_TRUE(Eventually("the field holding \"Mail\"", [&] { return ControlText(field) == "Mail"; },
                         kDefaultTimeout, [&] { return "field: '" + ControlText(field) + "'"; }));
  desktopNames[2] = "Mail";
  SwitchByHotKey(2);  // waits for the overlay to say "Mail"

  Click(Centre(TabRect(FindChild(Main(), kTabClass), 0)));
  std::vector<std::string> texts;
  EXPECT_TRUE(Eventually(
      "the group node \"Mail\" in place of \"Desktop 2\"",
      [&] {
        texts = TreeTexts(Tree());
        return std::ranges::count(texts, "Mail") == 1 &&
               std::ranges::count(texts, "Desktop 2") == 0;
      },
      kDefaultTimeout, [&] { return "nodes: " + std::to_string(texts.size()); }));

  ExitProgram();
  EXPECT_EQ(ReadString(kOptionsKey, "Name2"), "Mail");
  StartProgram();
  SwitchByHotKey(2);
}

class UnicodeTreeTest : public ControlPanelTest {
 protected:
  std::vector<std::string> SampleWindows() const override { return StandardAndUnicodeWindows(); }
};

TEST_F(UnicodeTreeTest, NodesShowTitlesInAnyScriptAsTheyAre) {
  ShowMainWindow();
  std::vector<std::string> texts;
  EXPECT_TRUE(Eventually(
      "the three titles among the tree's nodes",
      [&] {
        texts = TreeTexts(Tree());
        return std::ranges::count(texts, kGreek) == 1 &&
               std::ranges::count(texts, kJapanese) == 1 && std::ranges::count(texts, kEmoji) == 1;
      },
      kDefaultTimeout, [&] {
        std::string text = "nodes:";
        for (const std::string& node : texts) text += "\n    '" + node + "'";
        return text;
      }));
}

TEST_F(WindowsTreeTest, AGroupNodeSelectedAsksForAWindowItem) {
  ShowMainWindow();
  FocusTree();
  TapKey(VK_HOME);
  ASSERT_TRUE(Eventually("\"Desktop 1\" selected",
                         [&] { return SelectedNodeText(Tree()) == "Desktop 1"; }));
  // The menu key this time.
  TapKey(VK_APPS);
  Await("the tree's context menu", [] { return FindOpenMenu() != nullptr; });
  ChooseMenuItemByKeys({VK_DOWN, VK_DOWN, VK_RETURN});  // "Close"

  HWND box = nullptr;
  ASSERT_TRUE(Eventually("the \"Error\" box", [&] {
    box = FindWindowOf(program.ProcessId(), kMessageBoxClass, std::string("Error"));
    return box != nullptr && IsWindowVisible(box);
  }));
  EXPECT_TRUE(HasStaticText(box, "Select any window item in tree"));
  SaveArtifact(SettledPicture(WindowRect(box)), "windows-tree-error");
  TapKey(VK_RETURN);
  ASSERT_TRUE(Eventually("the box closed", [&] { return !IsWindow(box); }));
  for (const char* title : {kAlpha, kBeta, kGamma, kDelta, kFar}) {
    EXPECT_TRUE(IsWindow(Sample(title))) << title;
  }
}

TEST_F(WindowsTreeTest, MakeTransparentAppliesTheLevelAndCancelChangesNothing) {
  ShowMainWindow();
  const HWND delta = Sample(kDelta);
  ASSERT_EQ(GetWindowLongA(delta, GWL_EXSTYLE) & WS_EX_LAYERED, 0);

  SelectDeltaNode();
  ChooseFromWindowPopup(true);  // "Make transparent"
  HWND dialog = ShownTransparencyDialog();
  EXPECT_EQ(WindowTitle(dialog), "Transparency level");
  SlideTo(dialog, 128);
  EXPECT_EQ(TransparencyLevelShown(dialog), 128);
  SaveArtifact(SettledPicture(WindowRect(dialog)), "transparency-dialog");
  TapKey(VK_RETURN);  // OK, the default button

  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(Eventually("Delta layered with alpha 128", [&] {
    COLORREF key = 0;
    return (GetWindowLongA(delta, GWL_EXSTYLE) & WS_EX_LAYERED) != 0 &&
           GetLayeredWindowAttributes(delta, &key, &alpha, &flags) && alpha == 128;
  }));
  EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));
  EXPECT_FALSE(IsWindowVisible(dialog));

  // Cancel: the window keeps its level, the slider keeps the value it was moved to.
  SelectDeltaNode();
  ChooseFromWindowPopup(true);
  dialog = ShownTransparencyDialog();
  EXPECT_EQ(Ask(FindChild(dialog, kTrackBarClass), TBM_GETPOS), 128u);
  SlideTo(dialog, 200);
  TapKey(VK_ESCAPE);
  ASSERT_TRUE(Eventually("the dialog closed", [&] { return !IsWindowVisible(dialog); }));
  COLORREF key = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(delta, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 128);

  SelectDeltaNode();
  ChooseFromWindowPopup(true);
  dialog = ShownTransparencyDialog();
  EXPECT_EQ(Ask(FindChild(dialog, kTrackBarClass), TBM_GETPOS), 200u);
  EXPECT_EQ(TransparencyLevelShown(dialog), 200);
  TapKey(VK_ESCAPE);
  ASSERT_TRUE(Eventually("the dialog closed", [&] { return !IsWindowVisible(dialog); }));
}

// --- "Visual Manager" ----------------------------------------------------------------------------

using VisualManagerTest = ControlPanelTest;

TEST_F(VisualManagerTest, AClickInCellSixSwitchesToDesktopSix) {
  ShowMainWindow();
  ChoosePage(1);
  SaveArtifact(SettledPicture(WindowRect(Main())), "visual-manager-page");
  const Cells cells = MeasureCells();
  // Cell 6: second column, second row; a point clear of every window's rectangle.
  Click(POINT{cells.box.left + cells.width + cells.width / 2,
              cells.box.top + cells.height + cells.height * 3 / 4});
  ASSERT_TRUE(SwitchCompleted(6));
  EXPECT_TRUE(WindowsEventuallyAt({{kAlpha, 10 - W}, {kGamma, 10}, {kDelta, W + 10}}));
  SaveArtifact(SettledPicture(WindowRect(Main())), "visual-manager-desktop-6");
}

TEST_F(VisualManagerTest, DraggingAWindowFromCellOneToCellSixMovesIt) {
  ShowMainWindow();
  ChoosePage(1);
  const Cells cells = MeasureCells();
  const HWND alpha = Sample(kAlpha);
  const RECT before = WindowRect(alpha);
  // The middle of Alpha's rectangle, and the same place one cell right and down.
  const POINT press = InPicture(cells, (before.left + before.right) / 2,
                                (before.top + before.bottom) / 2);
  const POINT target{press.x + cells.width, press.y + cells.height};

  XPress(press);
  // The window follows only once the drag delay has passed: nudge the pointer until it does.
  bool nudgeRight = true;
  ASSERT_TRUE(Eventually("Alpha following the pointer", [&] {
    XMoveTo(POINT{press.x + (nudgeRight ? 1 : 2), press.y});
    nudgeRight = !nudgeRight;
    return WindowRect(alpha).left != before.left;
  }));
  XMoveTo(POINT{(press.x + target.x) / 2, (press.y + target.y) / 2});
  XMoveTo(target);
  // One cell across is one screen across: the displacement is measured from the press.
  ASSERT_TRUE(Eventually("Alpha one screen right and down", [&] {
    const RECT now = WindowRect(alpha);
    return now.left == before.left + W && now.top == before.top + H;
  }, kDefaultTimeout, [&] { return Describe(alpha); }));
  XRelease(target);

  // Desktop 1 stays on screen: its other window has not moved, no switch ran.
  EXPECT_EQ(WindowRect(Sample(kBeta)).left, W - 254);
  EXPECT_NE(WindowTitle(Overlay()), "Desktop 6");
  const RECT after = WindowRect(alpha);
  const int centreX = (after.left + after.right) / 2;
  const int centreY = (after.top + after.bottom) / 2;
  EXPECT_TRUE(centreX >= W && centreX < 2 * W && centreY >= H && centreY < 2 * H)
      << Describe(alpha);
  SaveArtifact(SettledPicture(WindowRect(Main())), "visual-manager-after-drag");
}

TEST_F(VisualManagerTest, AQuickClickOnAWindowSwitchesToItsCell) {
  ShowMainWindow();
  ChoosePage(1);
  const Cells cells = MeasureCells();
  const RECT gamma = WindowRect(Sample(kGamma));
  Click(InPicture(cells, (gamma.left + gamma.right) / 2, (gamma.top + gamma.bottom) / 2));
  ASSERT_TRUE(SwitchCompleted(2));
  EXPECT_TRUE(WindowsEventuallyAt({{kGamma, 10}, {kAlpha, 10 - W}}));
}

// --- The desktop name overlay --------------------------------------------------------------------

using OverlayTest = ControlPanelTest;

TEST_F(OverlayTest, ShowsTheNameCentredThenHandsTheFocusBack) {
  const HWND alpha = Sample(kAlpha);
  const HWND gamma = Sample(kGamma);
  SetForegroundWindow(alpha);
  ASSERT_TRUE(Eventually("Alpha in front", [&] { return GetForegroundWindow() == alpha; }));

  PressKeys({VK_SHIFT, VK_CONTROL, VK_F2});  // the hot key of desktop 2
  // "Desktop 2" is 182 x 38 pixels in the overlay's font: 202 x 53 with the margins.
  ExpectOverlayShown("Desktop 2", RECT{411, 357, 613, 410}, "overlay-desktop-2");
  ASSERT_TRUE(OverlayEventuallyHidden());
  ASSERT_TRUE(Eventually("Gamma, the topmost window of desktop 2, in front",
                         [&] { return GetForegroundWindow() == gamma; }));

  ClickTrayIcon(1);
  ExpectOverlayShown("Desktop 1", RECT{411, 357, 613, 410}, "overlay-desktop-1");
  ASSERT_TRUE(OverlayEventuallyHidden());
  ASSERT_TRUE(Eventually("Alpha, remembered for desktop 1, in front",
                         [&] { return GetForegroundWindow() == alpha; }));

  // The hiding option is on, yet the overlay was never hidden or disabled by it.
  EXPECT_TRUE(IsWindowEnabled(Overlay()));
  EXPECT_FALSE(ReadString(kHiddenAppsKey,
                          std::to_string(reinterpret_cast<std::uintptr_t>(Overlay())))
                   .has_value());
}

TEST_F(OverlayTest, IsNeverDrawnByTheVisualManager) {
  ShowMainWindow();
  ChoosePage(1);
  // The main window to the bottom-left corner: its picture then lies clear of the overlay in the
  // middle of the screen and of Gamma's real window, which comes into the top-left corner.
  const RECT frame = WindowRect(Main());
  const int top = H - 20 - (frame.bottom - frame.top);
  SetWindowPos(Main(), nullptr, 0, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Await("the main window in the corner", [&] { return WindowRect(Main()).top == top; });
  const Cells cells = MeasureCells();
  Click(POINT{cells.box.left + cells.width + cells.width / 2,
              cells.box.top + cells.height * 3 / 4});  // cell 2, clear of Gamma
  HWND overlay = nullptr;
  ASSERT_TRUE(Eventually("the overlay visible with \"Desktop 2\"", [&] {
    overlay = Overlay();
    return IsWindowVisible(overlay) && WindowTitle(overlay) == "Desktop 2";
  }));

  // A picture painted after the switch (cell 2 is the current one) while the overlay was up all
  // the time: where the overlay would be drawn in cell 2 there is only the current cell's colour.
  const COLORREF cellColour = GetSysColor(COLOR_INACTIVECAPTION);
  const std::uint32_t current =
      (GetRValue(cellColour) << 16) | (GetGValue(cellColour) << 8) | GetBValue(cellColour);
  const RECT shown = WindowRect(overlay);
  const POINT middle = InPicture(cells, W + (shown.left + shown.right) / 2,
                                 (shown.top + shown.bottom) / 2);
  Image picture;
  ASSERT_TRUE(WaitUntil([&] {
    picture = CaptureScreen(cells.box);
    const bool cellTwoCurrent = picture.At(cells.width + 4, cells.height - 4) == current;
    return cellTwoCurrent && IsWindowVisible(overlay);
  })) << "no picture with cell 2 current while the overlay was up";
  SaveArtifact(picture, "visual-manager-with-overlay");
  EXPECT_EQ(picture.At(middle.x - cells.box.left, middle.y - cells.box.top), current);
}

// --- At the session's DPI: 96, and 144 and 192 in the mirel_e2e_dpi_* runs (MIREL_WINE_DPI) ------

BOOL CALLBACK CollectDescendant(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// `icon` drawn as the shell draws a tray icon: at `size` over the colour `under`.
Image DrawnIcon(HICON icon, int size, std::uint32_t under) {
  const win32::WindowDc screen = win32::GetWindowDc(nullptr);
  const win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
  const win32::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), size, size));
  const win32::ScopedSelection select(dc.get(), bitmap.get());
  const win32::UniqueBrush brush(
      CreateSolidBrush(RGB(under >> 16, (under >> 8) & 0xFF, under & 0xFF)));
  const RECT all{0, 0, size, size};
  FillRect(dc.get(), &all, brush.get());
  DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  Image picture(size, size);
  for (int i = 0; i < size * size; ++i) {
    picture.At(i % size, i / size) = Rgb(GetPixel(dc.get(), i % size, i / size));
  }
  return picture;
}

// How many rows of `image` hold a pixel that `ink` accepts.
int InkRows(const Image& image, const std::function<bool(std::uint32_t)>& ink) {
  int rows = 0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      if (ink(image.At(x, y))) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}

using DpiTest = ControlPanelTest;

TEST_F(DpiTest, PicturesLabelsAndPagesTakeTheSessionsScale) {
  const int dpi = GetDeviceCaps(win32::GetWindowDc(nullptr).get(), LOGPIXELSX);
  const int icon = MulDiv(16, dpi, 96);  // 16, 24, 32 px at 100, 150, 200 %

  // The notification area shows icon 1's own picture of its size, not a smaller one stretched.
  const RECT place = TrayIconArea(1);
  const int inset = (place.right - place.left - icon) / 2;
  const Image tray = SettledPicture(place);
  const HMODULE exe = LoadLibraryExA(ProgramUnderTest::kExecutable, nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(exe, nullptr);
  const win32::UniqueIcon own(static_cast<HICON>(
      LoadImageW(exe, MAKEINTRESOURCEW(100), IMAGE_ICON, icon, icon, LR_DEFAULTCOLOR)));
  EXPECT_EQ(CountDifferentPixels(tray.Crop({inset, inset, inset + icon, inset + icon}),
                                 DrawnIcon(own.get(), icon, tray.At(0, 0))),
            0);
  FreeLibrary(exe);

  ShowMainWindow();
  // The toolbar's buttons (23 x 22 at 96 DPI) hold images of the scale, which fill most of button
  // 1's height; the tree's rows hold its images.
  const HWND toolbar = FindChild(Main(), "ToolbarWindow32");
  const auto button = static_cast<DWORD>(Ask(toolbar, TB_GETBUTTONSIZE));
  EXPECT_EQ(LOWORD(button), icon + MulDiv(7, dpi, 96));
  EXPECT_EQ(HIWORD(button), icon + MulDiv(6, dpi, 96));
  int rows = 0;  // the window may still be painting
  EXPECT_TRUE(Eventually("button 1's picture " + std::to_string(icon * 3 / 4) + " rows high", [&] {
    const Image first = SettledPicture(ToolbarButtonRect(toolbar, 0));
    return (rows = InkRows(first, [&](std::uint32_t p) { return p != first.At(0, 0); })) >=
           icon * 3 / 4;
  })) << rows << " rows";
  EXPECT_GE(static_cast<int>(Ask(Tree(), TVM_GETITEMHEIGHT)), icon);

  // Nothing is clipped: every control of every page lies inside its page.
  for (HWND page : ChildrenOfClass(Main(), "TPanel")) {
    if (GetParent(page) != Main()) continue;
    const RECT area = WindowRect(page);
    std::vector<HWND> controls;
    EnumChildWindows(page, &CollectDescendant, reinterpret_cast<LPARAM>(&controls));
    for (HWND control : controls) {
      RECT inside{};
      const RECT bounds = WindowRect(control);
      IntersectRect(&inside, &bounds, &area);
      EXPECT_TRUE(EqualRect(&inside, &bounds))
          << Describe(control) << " outside " << Describe(page);
    }
  }

  // The visual manager's labels ("1. ..." at the bottom left of cell 1): measured 5, 7 and 9 rows
  // of ink at 96, 144 and 192 DPI; a font that keeps its 96-DPI size keeps 5.
  ChoosePage(1);
  const Image cells = SettledPicture(WindowRect(PaintBox()));
  const int cell = cells.Height() / 2;
  const Image label = cells.Crop({0, cell * 2 / 3, cells.Width() / 8, cell});
  const std::uint32_t caption = Rgb(GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_GE(InkRows(label, [&](std::uint32_t p) { return p == caption; }), MulDiv(4, dpi, 96));

  // The name in letters of the primary monitor's scale, 53 pixels high at 96 DPI, once placed.
  SwitchByHotKey(2);
  RECT name{};
  ASSERT_TRUE(
      Eventually("the overlay placed", [&] { return (name = WindowRect(Overlay())).left > 0; }));
  EXPECT_NEAR(name.bottom - name.top, MulDiv(53, dpi, 96), dpi / 48) << Describe(Overlay());
}

}  // namespace
}  // namespace mirel::e2e
