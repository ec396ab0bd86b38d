// The pictures of README.md, as a user sees the program: the four tray icons, the open tray menu
// with its "Switch To" list, each page of the control panel, the name of the desktop after a
// switch. Each picture is taken once what it shows is on the screen and has settled, cut to the
// part worth showing, and saved under the artifacts folder; tools/screenshots runs this program
// (it is built with the end-to-end tests, and is not one) and turns them into docs/images/*.png.
//
// Standard windows (ProgramFixture): Alpha and Beta on desktop 1, Gamma on desktop 2, Delta on
// desktop 3, Far beyond reach. Stored at start: names for desktops 1 to 3 and the tray icons
// following the desktop on screen.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/driver/artifacts.h"
#include "e2e/driver/controls.h"
#include "e2e/driver/input.h"
#include "e2e/driver/hot_keys.h"
#include "e2e/driver/program_fixture.h"
#include "e2e/driver/registry.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/tray.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"

namespace mirel::e2e {
namespace {

// The control panel's pages, in the order of their tabs, by the name of their picture.
const std::vector<std::string> kPages = {"control-panel-windows-tree",
                                         "control-panel-visual-manager", "control-panel-options",
                                         "control-panel-hot-keys",
                                         "control-panel-more-hot-keys", "control-panel-rules"};

// `rect` grown by `dx`, `dy` on each side and cut to the screen.
RECT Around(const RECT& rect, int dx, int dy) {
  return RECT{std::max<LONG>(rect.left - dx, 0), std::max<LONG>(rect.top - dy, 0),
              std::min<LONG>(rect.right + dx, GetSystemMetrics(SM_CXSCREEN)),
              std::min<LONG>(rect.bottom + dy, GetSystemMetrics(SM_CYSCREEN))};
}

RECT Union(const RECT& a, const RECT& b) {
  RECT both{};
  UnionRect(&both, &a, &b);
  return both;
}

// The visible pop-up menus (class "#32768"), topmost first.
std::vector<HWND> OpenMenus() {
  std::vector<HWND> menus;
  for (HWND window : TopLevelWindows()) {
    if (WindowClass(window) == "#32768" && IsWindowVisible(window)) menus.push_back(window);
  }
  return menus;
}

// Opens every group of the windows tree, so that the picture shows the windows under their
// desktops. Item handles are plain values to pass back to the tree's own process.
void ExpandTopLevelItems(HWND tree) {
  const auto first = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (HTREEITEM item = first; item != nullptr;) {
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
  }
  // Expanding scrolls to the last group: back to the top, until the tree shows it.
  Await("the windows tree scrolled to its top", [&] {
    SendMessageA(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(first));
    return SendMessageA(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0) ==
           reinterpret_cast<LRESULT>(first);
  });
}

class ReadmePicturesTest : public ProgramFixture {
 protected:
  void PrepareSettings() override {
    const std::string options = "Software\\Mirel\\Virtual Desktop\\Options";
    for (const auto& [desktop, name] : desktopNames) {
      WriteString(options, "Name" + std::to_string(desktop), name);
    }
    WriteString(options, "TrayFollows", "1");
    const std::string rules = "Software\\Mirel\\Virtual Desktop\\Rules";
    WriteString(rules, "Rule1", "desktop 1|mail.exe||");
    WriteString(rules, "Rule2", "all desktops|player.exe||");
    WriteString(rules, "Rule3", "desktop 2 go along|editor.exe|EDITORFRAME|");
    WriteString(rules, "Rule4", "leave alone|recorder.exe||Recording");
  }
  ReadmePicturesTest() { desktopNames = {{1, "Mail"}, {2, "Build"}, {3, "Music"}}; }
};

// Pictures of a session at another scale (tools/screenshots runs this test at 192 DPI too) are
// named with it: "control-panel-options-200".
std::string ScaleSuffix() {
  const win32::WindowDc screen = win32::GetWindowDc(nullptr);
  const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
  return dpi == 96 ? "" : "-" + std::to_string(dpi * 100 / 96);
}

TEST_F(ReadmePicturesTest, ControlPanelPages) {
  ShowMainWindow();
  const HWND main = program.MainWindow();
  const HWND pages = FindChild(main, "SysTabControl32");
  ASSERT_NE(pages, nullptr) << "no page control in the control panel";
  ASSERT_EQ(SendMessageA(pages, TCM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(kPages.size()));
  for (std::size_t page = 0; page < kPages.size(); ++page) {
    Click(Centre(TabRect(pages, static_cast<int>(page))));
    ASSERT_TRUE(Eventually(kPages[page] + " selected", [&] {
      return SendMessageA(pages, TCM_GETCURSEL, 0, 0) == static_cast<LRESULT>(page);
    }));
    if (page == 0) {
      const HWND tree = FindChild(main, "SysTreeView32");
      ASSERT_NE(tree, nullptr) << "no windows tree";
      ExpandTopLevelItems(tree);
    }
    SaveArtifact(SettledPicture(WindowRect(main)), kPages[page] + ScaleSuffix());
  }
}

TEST_F(ReadmePicturesTest, TrayIconsAndTheDesktopNameAfterASwitch) {
  Image atStart;
  ASSERT_TRUE(TrayEventually("four icons", [](const Image&) { return true; }, atStart));
  ClickTrayIcon(2);

  // The name is up for 700 ms: the picture is taken as soon as its letters are drawn.
  const HWND overlay = program.Window(kOverlayClass);
  ASSERT_TRUE(Eventually("the overlay showing \"Build\"", [&] {
    return IsWindowVisible(overlay) && WindowTitle(overlay) == DesktopNameOf(2);
  }));
  const RECT shown = WindowRect(overlay);
  const RECT area = Around(shown, 160, 90);
  // The overlay inside the picture, less its border.
  const RECT inside{shown.left - area.left + 2, shown.top - area.top + 2,
                    shown.right - area.left - 2, shown.bottom - area.top - 2};
  Image name;
  bool drawn = false;
  WaitUntil([&] {
    if (!IsWindowVisible(overlay)) return true;
    name = CaptureScreen(area);
    drawn = CountColours(name.Crop(inside)) > 2;
    return drawn;
  });
  ASSERT_TRUE(drawn) << "the overlay went before its letters were drawn";
  SaveArtifact(name, "overlay");

  // Icon 2 shows its "active" picture.
  Image tray;
  ASSERT_TRUE(TrayEventually("icon 2 in its active picture", [&](const Image& now) {
    return CountDifferentPixels(IconIn(now, 2), IconIn(atStart, 2)) > 0;
  }, tray));
  const RECT icons = TrayIconsArea();
  const RECT strip{icons.left - 120, icons.top - 8, icons.right, icons.bottom};
  // The pointer off the icons: their tooltips would cover the strip.
  const POINT away{icons.left - 200, icons.top - 200};
  const auto pointerAway = [&] {
    MovePointer(CursorPosition(), away);
    WaitUntil([] {
      return FindTopLevel([](HWND window) {
               return WindowClass(window) == "tooltips_class32" && IsWindowVisible(window);
             }) == nullptr;
    });
  };
  pointerAway();
  SaveArtifact(CaptureScreen(strip), "tray");

  // Desktop 6, below desktop 2: icon 2 says so with a picture of its own.
  SwitchByHotKey(6);
  ASSERT_TRUE(TrayEventually("icon 2 showing the desktop below", [&](const Image& now) {
    return CountDifferentPixels(IconIn(now, 2), IconIn(tray, 2)) > 0 &&
           CountDifferentPixels(IconIn(now, 2), IconIn(atStart, 2)) > 0;
  }, tray));
  pointerAway();
  SaveArtifact(CaptureScreen(strip), "tray-below");
}

TEST_F(ReadmePicturesTest, TrayMenuWithTheSwitchToList) {
  OpenTrayMenu(1);
  // Down four times: "Control panel", "Turn off monitor", "Sleep timer", "Switch To"; Right
  // opens its list of windows.
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT}) TapKey(key);
  std::vector<HWND> menus;
  ASSERT_TRUE(Eventually("the tray menu and its \"Switch To\" list open",
                         [&] { return (menus = OpenMenus()).size() == 2; }));
  RECT area = TrayIconsArea();
  for (HWND menu : menus) area = Union(area, WindowRect(menu));
  SaveArtifact(SettledPicture(Around(area, 12, 12)), "tray-menu");
  ChooseMenuItemByKeys({VK_ESCAPE, VK_ESCAPE});
}

}  // namespace
}  // namespace mirel::e2e
