#include "settings/hotkeys.h"

#include "settings/shortcut.h"

namespace mirel {

void RegisterShortCutHotKey(IWindowSystem& ws, Hwnd window, std::uint16_t value, int id) {
  const std::uint32_t key = value & ~kShortCutModifiers;
  std::uint32_t modifiers = 0;
  if (value & kShortCutShift) modifiers |= kModShift;
  if (value & kShortCutAlt) modifiers |= kModAlt;
  if (value & kShortCutCtrl) modifiers |= kModControl;
  // A refused combination (taken by another program or an earlier slot) simply stays unbound.
  static_cast<void>(ws.RegisterHotKey(window, id, modifiers, key));
}

void RegisterHotKeys(IWindowSystem& ws, Hwnd window, const THotKeys& hotKeys) {
  for (int slot = 0; slot < kHotKeySlotCount; ++slot) {
    RegisterShortCutHotKey(ws, window, hotKeys[slot], kHotKeyIds[slot]);
  }
}

void UnregisterHotKeys(IWindowSystem& ws, Hwnd window) {
  for (const int id : kHotKeyIds) static_cast<void>(ws.UnregisterHotKey(window, id));
}

std::optional<std::uint16_t> HotKeyDesktop(std::uintptr_t id) {
  if (id < static_cast<std::uintptr_t>(kHotKeyIdDesktop1) ||
      id > static_cast<std::uintptr_t>(kHotKeyIdDesktop8)) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(id - kHotKeyIdDesktop1);
}

void RegisterCommandHotKeys(IWindowSystem& ws, Hwnd window, const TCommandHotKeys& hotKeys) {
  for (std::size_t slot = 0; slot < kCommandHotKeySlots.size(); ++slot) {
    RegisterShortCutHotKey(ws, window, hotKeys[slot], kCommandHotKeySlots[slot].Id);
  }
}

void UnregisterCommandHotKeys(IWindowSystem& ws, Hwnd window) {
  for (const TCommandHotKey& slot : kCommandHotKeySlots) {
    static_cast<void>(ws.UnregisterHotKey(window, slot.Id));
  }
}

std::optional<TDeskCommand> HotKeyCommand(std::uintptr_t id) {
  for (const TCommandHotKey& slot : kCommandHotKeySlots) {
    if (id == static_cast<std::uintptr_t>(slot.Id)) return slot.Command;
  }
  return std::nullopt;
}

}  // namespace mirel
