// The stored settings: loaded once while the main window is created, saved once while it is
// destroyed. In between, the main window's controls hold them; TSettings is the value that travels
// between the controls and the registry.
//
// Registry layout below HKEY_CURRENT_USER (keys opened one name at a time):
//   Software\Mirel\Virtual Desktop\Options   "HideApps", "HotKey1".."HotKey8" as REG_SZ text,
//                                              "KeepWindowState", "TrayFollows", "Name1".."Name8" too,
//     and the command hot keys ("HotKeyNext"... kCommandHotKeySlots)
//   Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders   "Startup" (read only)
// Autostart is not in the registry: it is the presence of the shortcut in the Startup folder.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "settings/desktop_names.h"
#include "settings/hotkeys.h"
#include "settings/startup_shortcut.h"

namespace mirel {

// Shift+Ctrl+F1 .. Shift+Ctrl+F8.
inline constexpr THotKeys kDefaultHotKeys = {0x6070, 0x6071, 0x6072, 0x6073,
                                             0x6074, 0x6075, 0x6076, 0x6077};

struct TSettings {
  bool AutoStart = false;
  bool HideApps = true;
  THotKeys HotKeys = kDefaultHotKeys;
  TCommandHotKeys CommandHotKeys = kDefaultCommandHotKeys;
  bool KeepWindowState = false;
  // The tray pictures and the checked toolbar button follow every switch, not only their clicks.
  bool TrayFollows = false;
  TDesktopNames Names = DefaultDesktopNames();
  friend bool operator==(const TSettings&, const TSettings&) = default;
};

inline constexpr const char* kHideAppsValue = "HideApps";
inline constexpr const char* kKeepWindowStateValue = "KeepWindowState";
inline constexpr const char* kTrayFollowsValue = "TrayFollows";
// "HotKey1" .. "HotKey8" for slot 1..8.
std::string HotKeyValueName(int slot);

// The user's Startup folder as the shell records it, or "c:\" when it cannot be read.
std::string FindStartupFolder(IRegistry& registry);

// Fills `settings`, starting from the defaults. A stored value that cannot be used (wrong type,
// unreadable data) leaves that setting at its default and adds its message to the result; loading
// goes on with the other values. A name that is missing, empty or unusable silently takes its
// default; a stored one is cleaned as a typed one is. Creates the program's key, never its
// "Options" subkey. The caller passes HideApps on to the configuration record.
std::vector<std::string> LoadSettings(IRegistry& registry, IShellIntegration& shell,
                                      TSettings& settings);

// Creates or deletes the startup shortcut as AutoStart asks, then writes "HideApps",
// "HotKey1".."HotKey8", "KeepWindowState", "TrayFollows" and "Name1".."Name8". Stops at the first
// failure and returns its message; the values written before it stay. A shortcut that cannot be
// created stops saving before any value is written.
std::optional<std::string> SaveSettings(IRegistry& registry, IShellIntegration& shell,
                                        const TSettings& settings);

}  // namespace mirel
