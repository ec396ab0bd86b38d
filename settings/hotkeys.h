// The eight global hot keys that switch straight to desktops 1 to 8. They belong to the main form's
// window: registered once at start-up from the loaded settings, unregistered at shut-down.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "engine/desk_command.h"
#include "platform/window_system.h"

namespace mirel {

inline constexpr int kHotKeySlotCount = 8;
inline constexpr int kDesktopCountForHotKeys = 8;
// One shortcut value per slot; slot n (index n - 1) switches to desktop n.
using THotKeys = std::array<std::uint16_t, kHotKeySlotCount>;

// Hot-key ids of the slots: slot n has id 204 + n. They are private to the main form's window.
inline constexpr int kHotKeyIdDesktop1 = 205;
inline constexpr int kHotKeyIdDesktop2 = 206;
inline constexpr int kHotKeyIdDesktop3 = 207;
inline constexpr int kHotKeyIdDesktop4 = 208;
inline constexpr int kHotKeyIdDesktop5 = 209;
inline constexpr int kHotKeyIdDesktop6 = 210;
inline constexpr int kHotKeyIdDesktop7 = 211;
inline constexpr int kHotKeyIdDesktop8 = 212;
inline constexpr std::array<int, kHotKeySlotCount> kHotKeyIds = {
    kHotKeyIdDesktop1, kHotKeyIdDesktop2, kHotKeyIdDesktop3, kHotKeyIdDesktop4,
    kHotKeyIdDesktop5, kHotKeyIdDesktop6, kHotKeyIdDesktop7, kHotKeyIdDesktop8};

// Registers `value` (a shortcut value) as hot key `id` of `window`. A combination the system
// refuses leaves the slot without a hot key; nothing is reported.
void RegisterShortCutHotKey(IWindowSystem& ws, Hwnd window, std::uint16_t value, int id);

// Registers slots 1 to 8 in order; a slot of 0 is passed on like any other value.
void RegisterHotKeys(IWindowSystem& ws, Hwnd window, const THotKeys& hotKeys);

// Unregisters ids 205 to 212 in order.
void UnregisterHotKeys(IWindowSystem& ws, Hwnd window);

// The desktop index (0..7) that the WM_HOTKEY id `id` switches to; empty for any other id, which
// the main form ignores.
std::optional<std::uint16_t> HotKeyDesktop(std::uintptr_t id);

// --- Hot keys of the other desktop commands -----------------------------------------------------
// Stored, edited and registered like the eight above, with the ids that follow theirs.
struct TCommandHotKey {
  const char* ValueName;  // below "Options", beside "HotKey1".."HotKey8"
  const char* Label;      // on the control panel's page
  std::uint16_t Default;  // shortcut value
  int Id;
  TDeskCommand Command;
};

inline constexpr int kCommandHotKeyCount = 12;
using TCommandHotKeys = std::array<std::uint16_t, kCommandHotKeyCount>;

namespace hotkey_defaults {
inline constexpr std::uint16_t kCtrlAlt = 0x4000 | 0x8000;
inline constexpr std::uint16_t kShiftCtrlAlt = 0x2000 | kCtrlAlt;
inline constexpr std::uint16_t kVkLeft = 0x25;
inline constexpr std::uint16_t kVkRight = 0x27;
inline constexpr std::uint16_t kVkF1 = 0x70;
}  // namespace hotkey_defaults

inline constexpr std::array<TCommandHotKey, kCommandHotKeyCount> kCommandHotKeySlots = [] {
  using namespace hotkey_defaults;
  using K = TDeskCommandKind;
  std::array<TCommandHotKey, kCommandHotKeyCount> slots{{
      {"HotKeyNext", "Next desktop", kCtrlAlt | kVkRight, 213, {K::kNext, 0}},
      {"HotKeyPrevious", "Previous desktop", kCtrlAlt | kVkLeft, 214, {K::kPrevious, 0}},
      {"HotKeyMove1", "Move to 1", 0, 0, {}},
      {"HotKeyMove2", "Move to 2", 0, 0, {}},
      {"HotKeyMove3", "Move to 3", 0, 0, {}},
      {"HotKeyMove4", "Move to 4", 0, 0, {}},
      {"HotKeyMove5", "Move to 5", 0, 0, {}},
      {"HotKeyMove6", "Move to 6", 0, 0, {}},
      {"HotKeyMove7", "Move to 7", 0, 0, {}},
      {"HotKeyMove8", "Move to 8", 0, 0, {}},
      {"HotKeyMoveNext", "Move to next", kShiftCtrlAlt | kVkRight, 223, {K::kMoveNext, 0}},
      {"HotKeyMovePrevious", "Move to previous", kShiftCtrlAlt | kVkLeft, 224,
       {K::kMovePrevious, 0}},
  }};
  // Move to 1..8: Shift+Ctrl+Alt+F1..F8, ids 215..222.
  for (int n = 0; n < kDesktopCountForHotKeys; ++n) {
    TCommandHotKey& slot = slots[static_cast<std::size_t>(2 + n)];
    slot.Default = static_cast<std::uint16_t>(kShiftCtrlAlt | (kVkF1 + n));
    slot.Id = 215 + n;
    slot.Command = {K::kMoveTo, n};
  }
  return slots;
}();

inline constexpr TCommandHotKeys kDefaultCommandHotKeys = [] {
  TCommandHotKeys values{};
  for (int i = 0; i < kCommandHotKeyCount; ++i) {
    values[static_cast<std::size_t>(i)] = kCommandHotKeySlots[static_cast<std::size_t>(i)].Default;
  }
  return values;
}();

// Registers the command hot keys in slot order; refused combinations stay unbound, as above.
void RegisterCommandHotKeys(IWindowSystem& ws, Hwnd window, const TCommandHotKeys& hotKeys);
void UnregisterCommandHotKeys(IWindowSystem& ws, Hwnd window);
// The command of WM_HOTKEY id `id`; empty for an id that is not a command hot key's.
std::optional<TDeskCommand> HotKeyCommand(std::uintptr_t id);

}  // namespace mirel
