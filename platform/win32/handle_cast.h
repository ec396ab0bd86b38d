// Conversions between the portable handle values of the window-system layer and Win32 handles.
#pragma once

#include "platform/registry.h"
#include "platform/types.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

inline HWND ToHwnd(Hwnd window) { return reinterpret_cast<HWND>(window); }
inline Hwnd FromHwnd(HWND window) { return reinterpret_cast<Hwnd>(window); }

inline HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
inline RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

}  // namespace mirel::win32
