// The one way Win32 glue includes <windows.h>: include this header instead of <windows.h>.
#pragma once

#include <windows.h>

// Without UNICODE, <windows.h> turns these names into macros for their "A" functions. The
// window-system interface has methods of the same names, and a macro would rename them in some
// translation units only. Win32 glue calls the ANSI functions by their full names
// (GetWindowTextA, SendMessageA, ...), which is what this program uses anyway.
#undef GetWindowText
#undef GetClassName
#undef PostMessage
#undef SendMessage
