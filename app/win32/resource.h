// Resource ids of the program, shared by the resource script and the C++ code. Plain #defines:
// the resource compiler understands nothing else.
#ifndef MIREL_APP_WIN32_RESOURCE_H
#define MIREL_APP_WIN32_RESOURCE_H

// Every icon holds 16, 20, 24, 32, 40 and 48 px (tools/make-pictures); the pictures shown at
// 32 design pixels (page headers, about box) also 64 px.

// The program's icon. Explorer shows the icon group with the lowest id, so it
// must stay the first icon resource.
#define IDI_PROGRAM 1

// The main form's icon list: image n is the icon resource IDI_IMAGE_BASE + n.
#define IDI_IMAGE_BASE 100
#define IDI_IMAGE_COUNT 18
#define IDI_DESKTOP1 100
#define IDI_DESKTOP2 101
#define IDI_DESKTOP3 102
#define IDI_DESKTOP4 103
#define IDI_DESKTOP1_ACTIVE 104
#define IDI_DESKTOP2_ACTIVE 105
#define IDI_DESKTOP3_ACTIVE 106
#define IDI_DESKTOP4_ACTIVE 107
#define IDI_EXIT 108
#define IDI_WINDOW 109  // not used by any command; keeps the list's indexes in place
#define IDI_HELP 110
#define IDI_ABOUT 111
#define IDI_CONTROL_PANEL 112
#define IDI_CLOSE_WINDOW 113
#define IDI_TRANSPARENCY 114
#define IDI_HIDE 115
#define IDI_MONITOR_OFF 116
#define IDI_SLEEP_TIMER 117

// The windows tree's image list: image 0 (group nodes) and image 1 (a window whose class has
// no icon).
#define IDI_GROUP_NODE 130
#define IDI_NO_ICON_WINDOW 131

// Header picture of the hot-key page.
#define IDI_HOTKEYS 132

// Tray icons 1..4 while the desktop below them (5..8) is on screen.
#define IDI_DESKTOP1_BELOW 140
#define IDI_DESKTOP_BELOW_COUNT 4

// The 32 x 32 pictures in the page headers of the main window, by page.
#define IDI_HEADER_WINDOWS_TREE IDI_GROUP_NODE
#define IDI_HEADER_VISUAL_MANAGER IDI_PROGRAM
#define IDI_HEADER_OPTIONS IDI_CONTROL_PANEL
#define IDI_HEADER_HOTKEYS IDI_HOTKEYS

// The application manifest: CREATEPROCESS_MANIFEST_RESOURCE_ID of type RT_MANIFEST is the one
// the loader reads when it starts the executable.
#define IDR_MANIFEST 1

#endif  // MIREL_APP_WIN32_RESOURCE_H
