#include "e2e/driver/controls.h"

#include <algorithm>

#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"

namespace mirel::e2e {
namespace {

struct ChildSearch {
  const std::string& className;
  const std::optional<std::string>& text;
  HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM context) {
  auto& search = *reinterpret_cast<ChildSearch*>(context);
  if (WindowClass(child) != search.className) return TRUE;
  if (search.text && WindowTitle(child) != *search.text) return TRUE;
  search.found = child;
  return FALSE;
}

}  // namespace

HWND FindChild(HWND parent, const std::string& className,
               const std::optional<std::string>& text) {
  ChildSearch search{className, text};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT RemoteItemRect(HWND control, UINT message, WPARAM wParam) {
  const RemoteMemory memory(control, sizeof(RECT));
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(control, message, wParam, reinterpret_cast<LPARAM>(memory.Address()),
                           SMTO_ABORTIFHUNG, 5000, &answer) ||
      answer == 0) {
    throw DriverError("message " + std::to_string(message) + " for item " +
                      std::to_string(wParam) + " failed on " + Describe(control));
  }
  RECT rect{};
  memory.Read(0, &rect, sizeof rect);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

DWORD_PTR Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)) {
    throw DriverError("message " + std::to_string(message) + " to " + Describe(window) +
                      " got no answer");
  }
  return answer;
}

std::string ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return {};
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return {};
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

bool HasStaticText(HWND window, const std::string& text) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClass(child) == "Static" && ControlText(child) == text) return true;
  }
  return false;
}

std::string SelectedNodeText(HWND tree) {
  const auto item = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return {};
  constexpr std::size_t kTextSize = 256;
  const RemoteMemory memory(tree, sizeof(TVITEMA) + kTextSize);
  TVITEMA request{};
  request.mask = TVIF_TEXT | TVIF_HANDLE;
  request.hItem = item;
  request.pszText = memory.Address() + sizeof(TVITEMA);
  request.cchTextMax = kTextSize;
  memory.Write(0, &request, sizeof request);
  if (!Ask(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.Address()))) return {};
  char text[kTextSize] = {};
  memory.Read(sizeof(TVITEMA), text, kTextSize - 1);
  return text;
}

GUITHREADINFO ThreadInfoOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return GUITHREADINFO{};
  return info;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size())) == CSTR_EQUAL;
}

RemoteMemory::RemoteMemory(HWND ofWindow, std::size_t size)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                           WindowProcess(ofWindow))) {
  if (!process_) throw DriverError("cannot open the process of " + Describe(ofWindow));
  address_ = static_cast<char*>(
      VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (address_ == nullptr) throw DriverError("VirtualAllocEx failed");
}

RemoteMemory::~RemoteMemory() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }

void RemoteMemory::Write(std::size_t offset, const void* data, std::size_t size) const {
  if (!WriteProcessMemory(process_.get(), address_ + offset, data, size, nullptr)) {
    throw DriverError("WriteProcessMemory failed");
  }
}

void RemoteMemory::Read(std::size_t offset, void* data, std::size_t size) const {
  SIZE_T read = 0;
  if (!ReadProcessMemory(process_.get(), address_ + offset, data, size, &read) || read != size) {
    throw DriverError("ReadProcessMemory failed");
  }
}

}  // namespace mirel::e2e
