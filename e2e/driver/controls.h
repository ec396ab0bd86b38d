// Child controls of another process's window: found by class and text, measured, clicked where a
// user would click them.
//
// Controls answer geometry messages (TB_GETITEMRECT, TCM_GETITEMRECT) by writing a RECT into the
// caller's memory, which for another process must be memory of that process: the query allocates
// it there (VirtualAllocEx) and reads the answer back. Structures with pointers in them are laid
// out for that process's bitness (remote_layout.h), which may differ from the driver's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "e2e/driver/remote_layout.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

#include <commctrl.h>

namespace mirel::e2e {

// The first descendant of `parent` of class `className` (and with text `text` when given), in
// the order EnumChildWindows gives; null when there is none.
HWND FindChild(HWND parent, const std::string& className,
               const std::optional<std::string>& text = std::nullopt);

// Every descendant of `parent` of class `className`, in the order EnumChildWindows gives.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className);

// `message`(wParam, address of a RECT) sent to `control` in its own process; the RECT in screen
// coordinates (converted from the control's client area). Throws DriverError when it fails.
RECT RemoteItemRect(HWND control, UINT message, WPARAM wParam);

// The screen rectangle of toolbar button `index` (separators count) and of tab `index`.
inline RECT ToolbarButtonRect(HWND toolbar, int index) {
  return RemoteItemRect(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index));
}
inline RECT TabRect(HWND tabControl, int index) {
  return RemoteItemRect(tabControl, TCM_GETITEMRECT, static_cast<WPARAM>(index));
}

inline POINT Centre(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// `message` sent to another process's window, waiting at most 5 s; its answer. Throws DriverError
// when the window does not answer.
DWORD_PTR Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The text of a control of another process: WM_GETTEXT is carried between processes, where
// GetWindowText gives only a window's caption. Empty when the control does not answer.
std::string ControlText(HWND control);

// Whether a static control of `window` shows `text`.
bool HasStaticText(HWND window, const std::string& text);

// The text of the selected node of another process's tree view; empty when none is selected.
// Read with the wide messages.
std::string SelectedNodeText(HWND tree);
// The texts of every node of another process's tree view, in depth-first pre-order.
std::vector<std::string> TreeTexts(HWND tree);

// The active window and the keyboard focus of the thread of `window` (zeroed when unknown).
GUITHREADINFO ThreadInfoOf(HWND window);
inline HWND FocusOf(HWND window) { return ThreadInfoOf(window).hwndFocus; }

// Case-insensitive comparison as the shell compares file names.
bool SameText(const std::string& a, const std::string& b);

// Memory of another process, freed with the object: controls write their answers there.
class RemoteMemory {
 public:
  RemoteMemory(HWND ofWindow, std::size_t size);
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  ~RemoteMemory();

  // The bitness of the process that owns the memory: the layout of what is written there.
  Bitness ProcessBitness() const { return bitness_; }
  char* Address() const { return address_; }
  LPARAM AddressParam(std::size_t offset = 0) const {
    return reinterpret_cast<LPARAM>(address_ + offset);
  }
  void Write(std::size_t offset, const void* data, std::size_t size) const;
  void Read(std::size_t offset, void* data, std::size_t size) const;
  // A structure of that process's layout, built with StructBytes, written at `offset`.
  void Write(std::size_t offset, StructBytes& bytes) const {
    Write(offset, bytes.data(), bytes.size());
  }

 private:
  win32::UniqueKernelHandle process_;
  Bitness bitness_ = Bitness::k32;
  char* address_ = nullptr;
};

// Whether `process` (opened with PROCESS_QUERY_LIMITED_INFORMATION) runs 64-bit code: asked on both
// ends, since a 32-bit process on 64-bit Windows is a WOW64 one and 64-bit Windows runs no other.
Bitness BitnessOfProcess(HANDLE process);

}  // namespace mirel::e2e
