#include "e2e/driver/controls.h"

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

// Memory in another process, freed with it.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, std::size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  void* Address() const { return address_; }

 private:
  HANDLE process_;
  void* address_;
};

}  // namespace

HWND FindChild(HWND parent, const std::string& className,
               const std::optional<std::string>& text) {
  ChildSearch search{className, text};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT RemoteItemRect(HWND control, UINT message, WPARAM wParam) {
  const win32::UniqueKernelHandle process(OpenProcess(
      PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, WindowProcess(control)));
  if (!process) throw DriverError("cannot open the process of " + Describe(control));
  const RemoteBuffer buffer(process.get(), sizeof(RECT));
  if (buffer.Address() == nullptr) throw DriverError("VirtualAllocEx failed");
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(control, message, wParam, reinterpret_cast<LPARAM>(buffer.Address()),
                           SMTO_ABORTIFHUNG, 5000, &answer) ||
      answer == 0) {
    throw DriverError("message " + std::to_string(message) + " for item " +
                      std::to_string(wParam) + " failed on " + Describe(control));
  }
  RECT rect{};
  SIZE_T read = 0;
  if (!ReadProcessMemory(process.get(), buffer.Address(), &rect, sizeof(rect), &read) ||
      read != sizeof(rect)) {
    throw DriverError("ReadProcessMemory failed");
  }
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace mirel::e2e
