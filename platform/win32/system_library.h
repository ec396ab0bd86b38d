// DLLs the program looks up at run time because older systems lack them or some of their
// functions: loaded from the system folder only, never found by bare name in the program's folder
// or the current one (a DLL planted there would run with the user's rights).
#pragma once

#include "platform/win32/windows_api.h"

namespace mirel::win32 {

// The system DLL `name` ("shcore.dll"), loaded from System32 and kept for the life of the
// process; null where the system has no such DLL.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function `function` of the system DLL `module` as a pointer of type `Fn`; null where the
// DLL or the function is missing. For DLLs every process has loaded (user32, kernel32) no load
// happens.
template <typename Fn>
Fn SystemFunction(const wchar_t* module, const char* function) {
  HMODULE library = ::GetModuleHandleW(module);
  if (library == nullptr) library = LoadSystemLibrary(module);
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, function)));
}

}  // namespace mirel::win32
