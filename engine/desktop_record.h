// What the program keeps in the registry about the desktops, so that a run that did not end
// cleanly (killed, crashed) is known at the next start and its layout is taken over:
//   Software\Mirel\Virtual Desktop\Desktops
//     "Current"  the desktop on screen, "1" .. "8"
//     "Layout"   the layout the windows lie in (see EncodeLayout)
//     "Switch"   only while a switch moves windows: where it came from and went to, its offset,
//                and where each window it moves stood before
//     "RestoreHomes" where the restore rectangles of minimized and maximized windows belong (see
//                TRestoreHome)
// A clean exit returns to desktop 1 through an ordinary switch, which leaves "Current" at "1".
// Failures to write are ignored: the record is a safety net and never stops a switch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/desktop_geometry.h"
#include "platform/registry.h"

namespace mirel {

inline constexpr const char* kDesktopsKeyPath = "Software\\Mirel\\Virtual Desktop\\Desktops";

struct TRecordedWindow {
  Hwnd Handle = 0;
  Point TopLeft;  // before the switch moved it
  friend bool operator==(const TRecordedWindow&, const TRecordedWindow&) = default;
};

struct TRecordedSwitch {
  int From = 0;
  int To = 0;
  Point Delta;
  std::vector<TRecordedWindow> Windows;
  friend bool operator==(const TRecordedSwitch&, const TRecordedSwitch&) = default;
};

// A minimized or maximized window keeps its restore rectangle where the system has it: moving the
// window does not move it, and the system lets no other process place it outside the screen. The
// program keeps where the rectangle belongs instead: its top-left corner on the plane of the eight
// desktops.
struct TRestoreHome {
  Hwnd Handle = 0;
  Point RestoreTopLeft;  // the system's restore rectangle, as it was when the home was taken
  Point PlaneTopLeft;    // where that rectangle belongs (see PlaneFromScreen)
  friend bool operator==(const TRestoreHome&, const TRestoreHome&) = default;
};

struct TDesktopState {
  std::optional<int> Current;  // 0..7
  std::optional<TDesktopLayout> Layout;
  std::optional<TRecordedSwitch> Switch;
  std::vector<TRestoreHome> RestoreHomes;
};

// "from to dx dy" and then " handle left top" for each window, in decimal.
std::string EncodeSwitch(const TRecordedSwitch& record);
std::optional<TRecordedSwitch> DecodeSwitch(const std::string& text);
// "handle left top x y" for each window, separated by blanks.
std::string EncodeRestoreHomes(const std::vector<TRestoreHome>& homes);
std::optional<std::vector<TRestoreHome>> DecodeRestoreHomes(const std::string& text);

class TDesktopRecord {
 public:
  explicit TDesktopRecord(IRegistry& registry) : registry_(registry) {}

  // What the last run left; values that cannot be read count as absent.
  TDesktopState Read();
  // Before a switch moves anything.
  void BeginSwitch(const TRecordedSwitch& record);
  // Once the windows lie in `layout` with `current` on screen; ends a recorded switch.
  void Write(int current, const TDesktopLayout& layout);
  // The homes of the restore rectangles; none removes the value. Independent of the desktop on
  // screen, so it may be written at any time.
  void WriteRestoreHomes(const std::vector<TRestoreHome>& homes);

 private:
  IRegistry& registry_;
};

}  // namespace mirel
