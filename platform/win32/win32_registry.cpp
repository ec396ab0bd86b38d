#include "platform/win32/win32_registry.h"

#include <cstring>
#include <utility>

#include "platform/win32/handle_cast.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {
namespace {

bool IsPredefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS || key == HKEY_CURRENT_CONFIG;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Text values are read as UTF-16 and handed on as UTF-8, zeros included (a REG_SZ keeps its
// terminating zero, a REG_MULTI_SZ its separators). Values written through the ANSI functions by
// earlier versions are stored as UTF-16 too, so they read back as the text they were. An odd last
// byte cannot be a unit and is dropped.
std::vector<std::uint8_t> TextToUtf8(const std::vector<std::uint8_t>& data) {
  std::wstring units(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(units.data(), data.data(), units.size() * sizeof(wchar_t));
  const std::string text = Utf8(units);
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace

RegKey Win32Registry::CurrentUser() { return FromHkey(HKEY_CURRENT_USER); }

RegKey Win32Registry::OpenKey(RegKey parent, std::string_view path, bool create) {
  const std::wstring subKey = Wide(path);
  HKEY key = nullptr;
  const LSTATUS status =
      create ? ::RegCreateKeyExW(ToHkey(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &key, nullptr)
             : ::RegOpenKeyExW(ToHkey(parent), subKey.c_str(), 0, KEY_ALL_ACCESS, &key);
  return status == ERROR_SUCCESS ? FromHkey(key) : 0;
}

void Win32Registry::CloseKey(RegKey key) {
  const HKEY hkey = ToHkey(key);
  if (hkey != nullptr && !IsPredefined(hkey)) ::RegCloseKey(hkey);
}

bool Win32Registry::SetString(RegKey key, std::string_view name, std::string_view text) {
  const std::wstring valueName = Wide(name);
  const std::wstring data = Wide(text);
  // REG_SZ data includes its terminating zero: size is (length + 1) UTF-16 units.
  return ::RegSetValueExW(ToHkey(key), valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

RegRead Win32Registry::QueryValue(RegKey key, std::string_view name, RegValue& value) {
  const std::wstring valueName = Wide(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  LSTATUS status = ::RegQueryValueExW(ToHkey(key), valueName.c_str(), nullptr, &type, nullptr, &size);
  // The value may grow between the size query and the read: retry with the new size.
  std::vector<std::uint8_t> data;
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    data.resize(size);
    status = ::RegQueryValueExW(ToHkey(key), valueName.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      value.type = type;
      value.data = IsText(type) ? TextToUtf8(data) : std::move(data);
      return RegRead::kOk;
    }
  }
  return status == ERROR_FILE_NOT_FOUND ? RegRead::kMissing : RegRead::kFailed;
}

bool Win32Registry::DeleteValue(RegKey key, std::string_view name) {
  const std::wstring valueName = Wide(name);
  return ::RegDeleteValueW(ToHkey(key), valueName.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> Win32Registry::ValueNames(RegKey key) {
  std::vector<std::string> names;
  DWORD longestName = 0;
  if (::RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return names;
  }
  std::wstring buffer(longestName + 1, L'\0');
  for (DWORD index = 0;;) {
    DWORD chars = static_cast<DWORD>(buffer.size());
    const LSTATUS status = ::RegEnumValueW(ToHkey(key), index, buffer.data(), &chars, nullptr,
                                           nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) {  // a longer name was added meanwhile
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS ends the list
    names.push_back(Utf8(std::wstring_view(buffer.data(), chars)));
    ++index;
  }
  return names;
}

}  // namespace mirel::win32
