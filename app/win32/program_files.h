// The files the program reads from its own folder, and the system's wording of an error code.
#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace mirel::win32 {

// The folder of the program's executable file, ending in a backslash.
std::string ProgramFolder();
// The system's message for an error code (FormatMessage), as the system words it.
std::string SystemErrorText(DWORD code);

}  // namespace mirel::win32
