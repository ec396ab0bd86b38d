#include "settings/settings_store.h"

#include <array>
#include <span>
#include <string_view>

#include "engine/desktop_engine.h"
#include "settings/setting_values.h"
#include "settings/shortcut.h"

namespace mirel {

namespace {

constexpr std::array<std::string_view, 5> kExplorerKeyNames = {
    "Software", "Microsoft", "Windows", "CurrentVersion", "Explorer"};
constexpr std::array<std::string_view, 3> kProgramKeyNames = {"Software", "Mirel",
                                                              "Virtual Desktop"};
constexpr const char* kShellFoldersKey = "Shell Folders";
constexpr const char* kStartupValue = "Startup";
constexpr const char* kDefaultStartupFolder = "c:\\";
constexpr const char* kOptionsKey = "Options";

// Opens `names` one below the other from HKEY_CURRENT_USER, creating missing ones. A child stays
// open when its parent is closed (RegCloseKey only releases the handle). On failure the result is
// empty and `failedName` names the key that could not be opened.
ScopedRegKey OpenKeyChain(IRegistry& registry, std::span<const std::string_view> names,
                          std::string_view& failedName) {
  ScopedRegKey key;
  RegKey parent = registry.CurrentUser();
  for (const std::string_view name : names) {
    ScopedRegKey child = OpenScopedKey(registry, parent, name, true);
    if (!child) {
      failedName = name;
      return {};
    }
    key = std::move(child);
    parent = key.get();
  }
  return key;
}

struct StoredValue {
  RegRead status = RegRead::kMissing;
  RegValue value;
};

// Loading opens "Options" for each read and never creates it: a missing key reads as absent.
StoredValue ReadOption(IRegistry& registry, const ScopedRegKey& programKey, std::string_view name) {
  StoredValue stored;
  if (!programKey) return stored;
  const ScopedRegKey options = OpenScopedKey(registry, programKey.get(), kOptionsKey, false);
  if (!options) return stored;
  stored.status = registry.QueryValue(options.get(), name, stored.value);
  return stored;
}

// Saving creates "Options" when missing for each write and closes it again.
std::optional<std::string> WriteOption(IRegistry& registry, const ScopedRegKey& programKey,
                                       std::string_view name, const std::string& text) {
  const ScopedRegKey options = OpenScopedKey(registry, programKey.get(), kOptionsKey, true);
  if (!options) return std::string("Failed to create key ") + kOptionsKey;
  if (!registry.SetString(options.get(), name, text)) {
    return "Failed to set data for '" + std::string(name) + "'";
  }
  return std::nullopt;
}

std::string StartupLinkPath(const std::string& folder) {
  return folder + "\\" + kStartupLinkFileName;
}

// Brings the shortcut in line with the AutoStart choice. Only the creation can fail.
std::optional<std::string> UpdateStartupShortcut(IShellIntegration& shell,
                                                 const std::string& folder, bool autoStart) {
  const std::string link = StartupLinkPath(folder);
  if (autoStart) {
    if (shell.FileExists(link)) return std::nullopt;  // left untouched
    try {
      CreateStartupShortcut(shell, shell.ExecutablePath(), folder + "\\" + kStartupLinkBaseName);
    } catch (const AppError& error) {
      return std::string(error.what());
    }
  } else if (shell.FileExists(link)) {
    static_cast<void>(shell.RemoveFile(link));  // a file we cannot delete stays; nothing to say
  }
  return std::nullopt;
}

}  // namespace

std::string HotKeyValueName(int slot) { return "HotKey" + std::to_string(slot); }

std::string FindStartupFolder(IRegistry& registry) {
  std::string_view failedName;
  const ScopedRegKey explorer = OpenKeyChain(registry, kExplorerKeyNames, failedName);
  if (!explorer) return kDefaultStartupFolder;
  const ScopedRegKey shellFolders = OpenScopedKey(registry, explorer.get(), kShellFoldersKey, false);
  if (!shellFolders) return kDefaultStartupFolder;
  RegValue value;
  if (registry.QueryValue(shellFolders.get(), kStartupValue, value) != RegRead::kOk) {
    return kDefaultStartupFolder;
  }
  const std::optional<std::string> folder = ValueText(value);
  return folder && !folder->empty() ? *folder : kDefaultStartupFolder;
}

std::vector<std::string> LoadSettings(IRegistry& registry, IShellIntegration& shell,
                                      TSettings& settings) {
  settings = TSettings{};
  std::vector<std::string> errors;
  auto note = [&errors](std::string error) {
    if (!error.empty()) errors.push_back(std::move(error));
  };

  settings.AutoStart = shell.FileExists(StartupLinkPath(FindStartupFolder(registry)));

  // The program's key is created even when nothing has been saved yet; when even that fails,
  // every setting simply reads as absent.
  std::string_view failedName;
  const ScopedRegKey programKey = OpenKeyChain(registry, kProgramKeyNames, failedName);

  StoredValue stored = ReadOption(registry, programKey, kHideAppsValue);
  SettingRead<bool> hideApps = ReadBool(stored.status, stored.value, kHideAppsValue,
                                        settings.HideApps);
  settings.HideApps = hideApps.value;
  note(std::move(hideApps.error));

  for (int slot = 1; slot <= kHotKeySlotCount; ++slot) {
    const std::string name = HotKeyValueName(slot);
    std::uint16_t& hotKey = settings.HotKeys[slot - 1];
    stored = ReadOption(registry, programKey, name);
    SettingRead<std::int32_t> number = ReadInteger(stored.status, stored.value, name, hotKey);
    hotKey = ShortCutFromStored(number.value);
    note(std::move(number.error));
  }
  for (std::size_t slot = 0; slot < kCommandHotKeySlots.size(); ++slot) {
    const char* name = kCommandHotKeySlots[slot].ValueName;
    std::uint16_t& hotKey = settings.CommandHotKeys[slot];
    stored = ReadOption(registry, programKey, name);
    SettingRead<std::int32_t> number = ReadInteger(stored.status, stored.value, name, hotKey);
    hotKey = ShortCutFromStored(number.value);
    note(std::move(number.error));
  }

  stored = ReadOption(registry, programKey, kKeepWindowStateValue);
  SettingRead<bool> keepState =
      ReadBool(stored.status, stored.value, kKeepWindowStateValue, settings.KeepWindowState);
  settings.KeepWindowState = keepState.value;
  note(std::move(keepState.error));

  stored = ReadOption(registry, programKey, kTrayFollowsValue);
  SettingRead<bool> trayFollows = ReadBool(stored.status, stored.value, kTrayFollowsValue,
                                           settings.TrayFollows);
  settings.TrayFollows = trayFollows.value;
  note(std::move(trayFollows.error));

  for (int desktop = 0; desktop < kDesktopNameCount; ++desktop) {
    stored = ReadOption(registry, programKey, DesktopNameValueName(desktop));
    const std::optional<std::string> text =
        stored.status == RegRead::kOk ? ValueText(stored.value) : std::nullopt;
    settings.Names[static_cast<std::size_t>(desktop)] =
        CleanDesktopName(text.value_or(""), desktop);
  }
  return errors;
}

std::optional<std::string> SaveSettings(IRegistry& registry, IShellIntegration& shell,
                                        const TSettings& settings) {
  if (auto error = UpdateStartupShortcut(shell, FindStartupFolder(registry), settings.AutoStart)) {
    return error;
  }

  std::string_view failedName;
  const ScopedRegKey programKey = OpenKeyChain(registry, kProgramKeyNames, failedName);
  if (!programKey) return "Failed to create key " + std::string(failedName);

  if (auto error = WriteOption(registry, programKey, kHideAppsValue, EncodeBool(settings.HideApps))) {
    return error;
  }
  for (int slot = 1; slot <= kHotKeySlotCount; ++slot) {
    const std::string text = EncodeInteger(settings.HotKeys[slot - 1]);
    if (auto error = WriteOption(registry, programKey, HotKeyValueName(slot), text)) return error;
  }
  for (std::size_t slot = 0; slot < kCommandHotKeySlots.size(); ++slot) {
    const std::string text = EncodeInteger(settings.CommandHotKeys[slot]);
    if (auto error = WriteOption(registry, programKey, kCommandHotKeySlots[slot].ValueName, text)) {
      return error;
    }
  }
  if (auto error = WriteOption(registry, programKey, kKeepWindowStateValue,
                               EncodeBool(settings.KeepWindowState))) {
    return error;
  }
  if (auto error = WriteOption(registry, programKey, kTrayFollowsValue,
                               EncodeBool(settings.TrayFollows))) {
    return error;
  }
  for (int desktop = 0; desktop < kDesktopNameCount; ++desktop) {
    const std::string name =
        CleanDesktopName(settings.Names[static_cast<std::size_t>(desktop)], desktop);
    if (auto error = WriteOption(registry, programKey, DesktopNameValueName(desktop), name)) {
      return error;
    }
  }
  return std::nullopt;
}

}  // namespace mirel
