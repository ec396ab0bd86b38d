#include "e2e/driver/tray.h"

#include <cstdint>
#include <string>

#include "e2e/driver/controls.h"
#include "e2e/driver/input.h"
#include "e2e/driver/retry.h"
#include "e2e/driver/screen_capture.h"
#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/wide_text.h"

namespace mirel::e2e {
namespace {

// Each icon's place: the small icon size of the session's DPI and a 2-pixel border around it
// (20 x 20 at 96 DPI, 36 x 36 at 192). The test process runs at the shell's DPI.
int PictureSize() { return GetSystemMetrics(SM_CXSMICON); }
int PlaceSize() { return PictureSize() + 4; }

}  // namespace

POINT TrayIconCentre(int desktop) {
  const int place = PlaceSize();
  const int order = kTrayIconCount - desktop;  // 0-based position in the order of adding
  return POINT{GetSystemMetrics(SM_CXSCREEN) - place * order - place / 2,
               GetSystemMetrics(SM_CYSCREEN) - place / 2};
}

RECT TrayIconArea(int desktop) {
  const int half = PlaceSize() / 2;
  const POINT centre = TrayIconCentre(desktop);
  return RECT{centre.x - half, centre.y - half, centre.x + half, centre.y + half};
}

RECT TrayIconsArea() {
  const RECT first = TrayIconArea(1);
  const RECT last = TrayIconArea(kTrayIconCount);
  return RECT{first.left, first.top, last.right, last.bottom};
}

bool TrayIconShown(int desktop) {
  const int half = PictureSize() / 2;
  const POINT centre = TrayIconCentre(desktop);
  const RECT picture{centre.x - half, centre.y - half, centre.x + half, centre.y + half};
  return CountColours(CaptureScreen(picture)) > 1;
}

std::vector<ShellTooltip> ShellTooltips(DWORD exceptProcess) {
  constexpr std::size_t kTextUnits = 512;
  std::vector<ShellTooltip> tooltips;
  for (HWND tip : TopLevelWindows()) {
    if (WindowClass(tip) != "tooltips_class32" || WindowProcess(tip) == exceptProcess) continue;
    const auto count = static_cast<UINT>(Ask(tip, TTM_GETTOOLCOUNT));
    // The tool's description and its text buffer live in the shell's memory, where the tooltip
    // writes its answer, laid out for the shell's bitness.
    constexpr std::size_t kRoom = 128;  // the description, of either layout; the text follows
    const RemoteMemory memory(tip, kRoom + kTextUnits * sizeof(wchar_t));
    const ToolInfoLayout layout = ToolInfoFor(memory.ProcessBitness());
    StructBytes request(memory.ProcessBitness(), layout.size);
    request.SetUint32(layout.cbSize, static_cast<std::uint32_t>(layout.size));
    request.SetPointer(layout.lpszText, reinterpret_cast<std::uintptr_t>(memory.Address() + kRoom));
    for (UINT i = 0; i < count; ++i) {
      memory.Write(0, request);
      const wchar_t none = L'\0';
      memory.Write(kRoom, &none, sizeof none);
      if (Ask(tip, TTM_ENUMTOOLSW, i, memory.AddressParam()) == 0) continue;
      ShellTooltip tooltip;
      std::uint32_t tool = 0;  // a window handle: its low 32 bits are the handle in any process
      memory.Read(layout.hwnd, &tool, sizeof tool);
      memory.Read(layout.rect, &tooltip.area, sizeof tooltip.area);
      MapWindowPoints(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(tool)), nullptr,
                      reinterpret_cast<POINT*>(&tooltip.area), 2);
      std::wstring text(kTextUnits, L'\0');
      memory.Read(kRoom, text.data(), (kTextUnits - 1) * sizeof(wchar_t));
      text.resize(text.find(L'\0'));
      tooltip.text = win32::Utf8(text);
      tooltips.push_back(std::move(tooltip));
    }
  }
  return tooltips;
}

std::string TooltipOfIcon(const std::vector<ShellTooltip>& tooltips, int desktop) {
  const POINT centre = TrayIconCentre(desktop);
  for (const ShellTooltip& tooltip : tooltips) {
    if (PtInRect(&tooltip.area, centre)) return tooltip.text;
  }
  return {};
}

bool TrayHasIcons() {
  const HWND taskbar =
      FindTopLevel([](HWND window) { return WindowClass(window) == "Shell_TrayWnd"; });
  return taskbar != nullptr && IsWindowVisible(taskbar);
}

void SweepDeadTrayIcons() {
  // Across the four places and back: each icon met goes, and the others move up to the right.
  const auto at = [](int desktop, int dx) {
    return POINT{TrayIconCentre(desktop).x + dx, TrayIconCentre(desktop).y};
  };
  Await("dead icons to leave the notification area", [&] {
    if (!TrayHasIcons()) return true;
    MovePointerAlong({at(4, 3), at(4, -3), at(3, 0), at(2, 0), at(1, 0), at(2, 0), at(3, 0),
                      at(4, 3), at(4, -3)});
    return false;
  });
}

std::vector<HWND> MessageWindowsOf(DWORD processId) {
  std::vector<HWND> windows;
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, kMessageWindowClass, nullptr);
       window != nullptr;
       window = FindWindowExA(HWND_MESSAGE, window, kMessageWindowClass, nullptr)) {
    if (WindowProcess(window) == processId) windows.push_back(window);
  }
  return windows;
}

bool PostTrayNotification(DWORD processId, WPARAM entry, LPARAM event) {
  const std::vector<HWND> handlers = MessageWindowsOf(processId);
  for (HWND handler : handlers) PostMessageA(handler, kTrayCallback, entry, event);
  return !handlers.empty();
}

void ClickTrayIcon(int desktop) { Click(TrayIconCentre(desktop), MouseButton::kLeft); }

HWND OpenTrayMenu(int desktop) {
  // The program opens its menu on the right button's press, so the menu takes the release; after
  // that, Wine's notification area now and then swallows the next right click on the icons. A
  // lost click is repeated (kTrayRightClick); the clicks are seconds apart, so the shell never
  // pairs two of them into a double click.
  constexpr std::chrono::seconds kPerClick{3};
  HWND menu = nullptr;
  const bool opened = Retrying(kTrayRightClick, "tray menu of icon " + std::to_string(desktop),
                               [&] {
                                 Click(TrayIconCentre(desktop), MouseButton::kRight);
                                 return WaitUntil(
                                     [&] { return (menu = FindOpenMenu()) != nullptr; },
                                     kPerClick);
                               });
  if (!opened) {
    throw DriverError("the tray menu did not open after " +
                      std::to_string(kTrayRightClick.triesPerAction) + " right clicks");
  }
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
