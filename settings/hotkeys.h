// The eight global hot keys that switch straight to desktops 1 to 8. They belong to the main form's
// window: registered once at start-up from the loaded settings, unregistered at shut-down.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/window_system.h"

namespace mirel {

inline constexpr int kHotKeySlotCount = 8;
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

}  // namespace mirel
