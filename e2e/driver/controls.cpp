#include "e2e/driver/controls.h"

#include <algorithm>

#include "e2e/driver/wait.h"
#include "e2e/driver/window_query.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace mirel::e2e {
namespace {

struct ChildSearch {
  const std::string& className;
  const std::optional<std::string>& text;
  HWND found = nullptr;
  std::vector<HWND>* all = nullptr;  // every match when given, else the first
};

BOOL CALLBACK MatchChild(HWND child, LPARAM context) {
  auto& search = *reinterpret_cast<ChildSearch*>(context);
  if (WindowClass(child) != search.className) return TRUE;
  if (search.text && WindowTitle(child) != *search.text) return TRUE;
  search.found = child;
  if (search.all == nullptr) return FALSE;
  search.all->push_back(child);
  return TRUE;
}

}  // namespace

HWND FindChild(HWND parent, const std::string& className,
               const std::optional<std::string>& text) {
  ChildSearch search{className, text};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className) {
  std::vector<HWND> children;
  const std::optional<std::string> anyText;
  ChildSearch search{className, anyText, nullptr, &children};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return children;
}

RECT RemoteItemRect(HWND control, UINT message, WPARAM wParam) {
  const RemoteMemory memory(control, sizeof(RECT));  // no pointers: one layout
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
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return {};
  }
  text.resize(std::min<std::size_t>(copied, length));
  return win32::Utf8(text);
}

bool HasStaticText(HWND window, const std::string& text) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClass(child) == "Static" && ControlText(child) == text) return true;
  }
  return false;
}

std::string NodeText(HWND tree, HTREEITEM item) {
  constexpr std::size_t kTextUnits = 512;
  constexpr std::size_t kRoom = 64;  // the item, of either layout; the text follows it
  const RemoteMemory memory(tree, kRoom + kTextUnits * sizeof(wchar_t));
  const TreeItemLayout layout = TreeItemFor(memory.ProcessBitness());
  StructBytes request(memory.ProcessBitness(), layout.size);
  request.SetUint32(layout.mask, TVIF_TEXT | TVIF_HANDLE);
  request.SetPointer(layout.hItem, reinterpret_cast<std::uintptr_t>(item));
  request.SetPointer(layout.pszText, reinterpret_cast<std::uintptr_t>(memory.Address() + kRoom));
  request.SetUint32(layout.cchTextMax, kTextUnits);
  memory.Write(0, request);
  if (!Ask(tree, TVM_GETITEMW, 0, memory.AddressParam())) return {};
  wchar_t text[kTextUnits] = {};
  memory.Read(kRoom, text, (kTextUnits - 1) * sizeof(wchar_t));
  return win32::Utf8(text);
}

std::string SelectedNodeText(HWND tree) {
  const auto item = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  return item == nullptr ? std::string() : NodeText(tree, item);
}

std::vector<std::string> TreeTexts(HWND tree) {
  std::vector<std::string> texts;
  std::vector<HTREEITEM> pending;
  for (auto item = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
       item != nullptr || !pending.empty();) {
    if (item == nullptr) {
      item = pending.back();
      pending.pop_back();
      continue;
    }
    texts.push_back(NodeText(tree, item));
    const auto next = reinterpret_cast<HTREEITEM>(
        Ask(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    if (next != nullptr) pending.push_back(next);
    item = reinterpret_cast<HTREEITEM>(
        Ask(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
  }
  return texts;
}

GUITHREADINFO ThreadInfoOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return GUITHREADINFO{};
  return info;
}

bool SameText(const std::string& a, const std::string& b) {
  const std::wstring x = win32::Wide(a);
  const std::wstring y = win32::Wide(b);
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, x.data(), static_cast<int>(x.size()),
                        y.data(), static_cast<int>(y.size())) == CSTR_EQUAL;
}

Bitness BitnessOfProcess(HANDLE process) {
  BOOL ownWow64 = FALSE;
  BOOL targetWow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &ownWow64) || !IsWow64Process(process, &targetWow64)) {
    throw DriverError("IsWow64Process failed");
  }
  const bool systemIs64Bit = sizeof(void*) == 8 || ownWow64;
  return systemIs64Bit && !targetWow64 ? Bitness::k64 : Bitness::k32;
}

RemoteMemory::RemoteMemory(HWND ofWindow, std::size_t size)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                               PROCESS_QUERY_LIMITED_INFORMATION,
                           FALSE, WindowProcess(ofWindow))) {
  if (!process_) throw DriverError("cannot open the process of " + Describe(ofWindow));
  bitness_ = BitnessOfProcess(process_.get());
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
