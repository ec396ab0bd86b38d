#include "e2e/driver/tray.h"

#include "e2e/driver/input.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"

namespace mirel::e2e {
namespace {

constexpr int kIconSize = 20;
constexpr int kPictureSize = 16;

}  // namespace

POINT TrayIconCentre(int desktop) {
  const int order = kTrayIconCount - desktop;  // 0-based position in the order of adding
  return POINT{GetSystemMetrics(SM_CXSCREEN) - kIconSize * order - kIconSize / 2,
               GetSystemMetrics(SM_CYSCREEN) - kIconSize / 2};
}

RECT TrayIconArea(int desktop) {
  const POINT centre = TrayIconCentre(desktop);
  return RECT{centre.x - kIconSize / 2, centre.y - kIconSize / 2, centre.x + kIconSize / 2,
              centre.y + kIconSize / 2};
}

RECT TrayIconsArea() {
  const RECT first = TrayIconArea(1);
  const RECT last = TrayIconArea(kTrayIconCount);
  return RECT{first.left, first.top, last.right, last.bottom};
}

bool TrayIconShown(int desktop) {
  const POINT centre = TrayIconCentre(desktop);
  const RECT picture{centre.x - kPictureSize / 2, centre.y - kPictureSize / 2,
                     centre.x + kPictureSize / 2, centre.y + kPictureSize / 2};
  return CountColours(CaptureScreen(picture)) > 1;
}

void SweepDeadTrayIcons() {
  // The icons move up to the right as those before them go: hovering the rightmost place reaches
  // each in turn.
  const POINT place = TrayIconCentre(kTrayIconCount);
  Await("dead icons to leave the notification area", [&] {
    for (int desktop = 1; desktop <= kTrayIconCount; ++desktop) {
      if (TrayIconShown(desktop)) {
        MovePointer(POINT{place.x - 3, place.y}, POINT{place.x + 3, place.y});
        return false;
      }
    }
    return true;
  });
}

void ClickTrayIcon(int desktop) { Click(TrayIconCentre(desktop), MouseButton::kLeft); }

HWND OpenTrayMenu(int desktop) {
  Click(TrayIconCentre(desktop), MouseButton::kRight);
  HWND menu = nullptr;
  Await("the tray menu to open", [&] { return (menu = FindOpenMenu()) != nullptr; });
  return menu;
}

void ChooseMenuItemByKeys(std::initializer_list<WORD> keys) {
  for (WORD key : keys) TapKey(key);
  Await("the menu to close", [] { return FindOpenMenu() == nullptr; });
}

void ChooseControlPanel() {
  OpenTrayMenu();
  ChooseMenuItemByKeys({VK_DOWN, VK_RETURN});
}

void ChooseExit() {
  OpenTrayMenu();
  ChooseMenuItemByKeys({VK_UP, VK_RETURN});
}

}  // namespace mirel::e2e
