#include "e2e/driver/registry.h"

#include <vector>

#include "e2e/driver/wait.h"
#include "platform/win32/handles.h"

namespace mirel::e2e {
namespace {

win32::UniqueRegKey OpenKey(const std::string& keyPath) {
  win32::UniqueRegKey key;
  RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, key.Put());
  return key;
}

std::optional<std::string> TextValue(HKEY key, const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // The stored bytes may or may not end with the terminating zero.
  std::string text(data.data(), size);
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

}  // namespace

void DeleteProgramKey() {
  const LSTATUS status = RegDeleteTreeA(HKEY_CURRENT_USER, kProgramRootKey);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    throw DriverError("cannot delete HKCU\\" + std::string(kProgramRootKey) + " (error " +
                      std::to_string(status) + ")");
  }
  if (KeyExists(kProgramRootKey)) {
    throw DriverError("HKCU\\" + std::string(kProgramRootKey) + " still exists after deletion");
  }
}

bool KeyExists(const std::string& keyPath) { return static_cast<bool>(OpenKey(keyPath)); }

std::optional<std::string> ReadString(const std::string& keyPath, const std::string& name) {
  const win32::UniqueRegKey key = OpenKey(keyPath);
  if (!key) return std::nullopt;
  return TextValue(key.get(), name);
}

std::map<std::string, std::string> ReadStrings(const std::string& keyPath) {
  std::map<std::string, std::string> values;
  const win32::UniqueRegKey key = OpenKey(keyPath);
  if (!key) return values;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD length = sizeof(name);
    if (RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    if (auto text = TextValue(key.get(), std::string(name, length))) {
      values.emplace(std::string(name, length), *text);
    }
  }
  return values;
}

void WriteString(const std::string& keyPath, const std::string& name, const std::string& value) {
  win32::UniqueRegKey key;
  LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                   KEY_SET_VALUE, nullptr, key.Put(), nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
  }
  if (status != ERROR_SUCCESS) {
    throw DriverError("cannot write HKCU\\" + keyPath + "\\" + name + " (error " +
                      std::to_string(status) + ")");
  }
}

}  // namespace mirel::e2e
