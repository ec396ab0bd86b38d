// The program's stored data as a test reads and prepares it (HKEY_CURRENT_USER of the session's
// prefix, which the test process and the program share).
#pragma once

#include <map>
#include <optional>
#include <string>

namespace mirel::e2e {

inline constexpr const char* kProgramRootKey = "Software\\Mirel";
inline constexpr const char* kOptionsKey = "Software\\Mirel\\Virtual Desktop\\Options";
inline constexpr const char* kHiddenAppsKey = "Software\\Mirel\\Virtual Desktop\\HiddenApps";
inline constexpr const char* kDesktopsKey = "Software\\Mirel\\Virtual Desktop\\Desktops";

// Deletes "Software\Mirel" with everything below it; a missing key is fine. Throws DriverError
// when the key exists and cannot be deleted.
void DeleteProgramKey();

bool KeyExists(const std::string& keyPath);

// A REG_SZ (or REG_EXPAND_SZ, raw) value below HKEY_CURRENT_USER; nothing when the key or the
// value is missing or the value holds another type.
std::optional<std::string> ReadString(const std::string& keyPath, const std::string& name);

// Every text value of a key, by name; empty when the key is missing.
std::map<std::string, std::string> ReadStrings(const std::string& keyPath);

// Writes a REG_SZ value, creating the key; throws DriverError on failure.
void WriteString(const std::string& keyPath, const std::string& name, const std::string& value);

}  // namespace mirel::e2e
