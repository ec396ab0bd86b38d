// The one way Win32 glue includes <windows.h>: include this header instead of <windows.h>.
#pragma once

#include <windows.h>

// <windows.h> turns these names into macros for their "W" functions (UNICODE is defined). The
// window-system interface has methods of the same names, and a macro would rename them in some
// translation units only. Win32 glue calls the wide functions by their full names
// (GetWindowTextW, SendMessageW, ...).
#undef GetWindowText
#undef GetClassName
#undef PostMessage
#undef SendMessage
