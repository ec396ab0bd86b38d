#include "e2e/driver/registry.h"

#include <iterator>
#include <vector>

#include "e2e/driver/wait.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace mirel::e2e {
namespace {

win32::UniqueRegKey OpenKey(const std::string& keyPath) {
  win32::UniqueRegKey key;
  RegOpenKeyExW(HKEY_CURRENT_USER, win32::Wide(keyPath).c_str(), 0, KEY_READ, key.Put());
  return key;
}

// Read with RegQueryValueExW: the UTF-16 the registry holds, as UTF-8.
std::optional<std::string> TextValue(HKEY key, const std::wstring& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // The stored data may or may not end with the terminating zero.
  data.resize(size / sizeof(wchar_t));
  while (!data.empty() && data.back() == L'\0') data.pop_back();
  return win32::Utf8(data);
}

}  // namespace

void DeleteProgramKey() {
  const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(kProgramRootKey).c_str());
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
  return TextValue(key.get(), win32::Wide(name));
}

std::map<std::string, std::string> ReadStrings(const std::string& keyPath) {
  std::map<std::string, std::string> values;
  const win32::UniqueRegKey key = OpenKey(keyPath);
  if (!key) return values;
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD length = static_cast<DWORD>(std::size(name));
    if (RegEnumValueW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    const std::wstring valueName(name, length);
    if (auto text = TextValue(key.get(), valueName)) values.emplace(win32::Utf8(valueName), *text);
  }
  return values;
}

void WriteString(const std::string& keyPath, const std::string& name, const std::string& value) {
  win32::UniqueRegKey key;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, win32::Wide(keyPath).c_str(), 0, nullptr, 0,
                                   KEY_SET_VALUE, nullptr, key.Put(), nullptr);
  if (status == ERROR_SUCCESS) {
    const std::wstring data = win32::Wide(value);
    status = RegSetValueExW(key.get(), win32::Wide(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  if (status != ERROR_SUCCESS) {
    throw DriverError("cannot write HKCU\\" + keyPath + "\\" + name + " (error " +
                      std::to_string(status) + ")");
  }
}

}  // namespace mirel::e2e
