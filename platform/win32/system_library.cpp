#include "platform/win32/system_library.h"

#include <string>

namespace mirel::win32 {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE library = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library != nullptr || ::GetLastError() != ERROR_INVALID_PARAMETER) return library;
  // Windows 7 without the update that brought LOAD_LIBRARY_SEARCH_SYSTEM32 refuses the flag: the
  // full path names the same file.
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace mirel::win32
