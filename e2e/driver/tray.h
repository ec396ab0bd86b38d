// The program's four notification-area icons in Wine's virtual desktop, and its tray menu.
//
// Wine's taskbar is 20 pixels high at the bottom of the screen (at 96 DPI; the small icon size
// plus 4 at others); its icons are 20 x 20 (the same), the first one added rightmost. The program adds its icons in the order 4, 3, 2, 1, so icon N (desktop N)
// is the (4 - N)th added and sits at x = W - 20 (4 - N) - 10, y = H - 10.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace mirel::e2e {

inline constexpr int kTrayIconCount = 4;
// The class of the program's message-only windows (its tray handler and timers) and the
// notification message of its icons, whose wParam is the icon's entry (1..4 for desktops 1..4).
inline constexpr const char* kMessageWindowClass = "MirelMessageWindow";
inline constexpr UINT kTrayCallback = 0x800;

// Centre and square (20 x 20 at 96 DPI) of the icon of desktop `desktop` (1..4).
POINT TrayIconCentre(int desktop);
RECT TrayIconArea(int desktop);
// The strip that holds the four icons.
RECT TrayIconsArea();

// Whether the place of the icon of `desktop` shows a picture: the small-icon square inside it is
// not of one colour (the plain face of the taskbar, or the desktop while there is no taskbar).
bool TrayIconShown(int desktop);

// Whether the notification area holds any icon at all: Wine shows its taskbar only while it does.
// (Pictures cannot tell: while the shell repaints the icons, some of their places show nothing.)
bool TrayHasIcons();

// Icons whose owner died stay in the notification area, as on Windows, until the pointer passes
// over them: the shell then finds the owner gone and removes the icon. Passes the pointer over the
// rightmost place until no icon is left; only for when no running program has icons there.
// Throws DriverError if some stay.
void SweepDeadTrayIcons();

// A left click on the icon of `desktop`.
void ClickTrayIcon(int desktop);

// A right click on the icon of `desktop`, repeated as a lost kTrayRightClick (retry.h) when Wine
// swallowed it; returns the tray menu's window once it is open. Throws DriverError when no menu
// opens.
HWND OpenTrayMenu(int desktop = 1);

// Presses `keys` one after the other in the open menu and waits until the menu has closed.
// From a fresh menu, {VK_DOWN, VK_RETURN} picks the first item and {VK_UP, VK_RETURN} the last.
void ChooseMenuItemByKeys(std::initializer_list<WORD> keys);

// The message-only windows of process `processId` (its tray handler and its timers).
std::vector<HWND> MessageWindowsOf(DWORD processId);

// Posts the notification `event` (WM_RBUTTONDOWN, ...) of icon `entry` to the program's tray
// handler, as the shell posts it: the icon's event without the notification area's clicks. False
// when the program has no handler window.
bool PostTrayNotification(DWORD processId, WPARAM entry, LPARAM event);

// One tool of the shell's tooltip windows: the notification area keeps one per icon, over the
// icon's place, with the icon's tip.
struct ShellTooltip {
  std::string text;
  RECT area{};  // on the screen
};
// Every tool of the tooltip windows of processes other than `exceptProcess`.
std::vector<ShellTooltip> ShellTooltips(DWORD exceptProcess);
// The tip of the tool over icon `desktop`'s place; empty when none is there.
std::string TooltipOfIcon(const std::vector<ShellTooltip>& tooltips, int desktop);

// Tray menu commands the tests use: its first item, "Control panel", and its last, "Exit".
void ChooseControlPanel();
void ChooseExit();

}  // namespace mirel::e2e
