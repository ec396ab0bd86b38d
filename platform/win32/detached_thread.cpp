#include "platform/win32/detached_thread.h"

#include <memory>
#include <utility>

#include <process.h>

#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirel::win32 {

namespace {

unsigned __stdcall ThreadMain(void* parameter) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  try {
    (*body)();
  } catch (...) {
    // Nothing may leave a thread's first function; the work is simply not finished.
  }
  return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
  auto payload = std::make_unique<std::function<void()>>(std::move(body));
  // _beginthreadex rather than CreateThread: the body uses the C runtime.
  const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, &ThreadMain, payload.get(), 0, nullptr);
  if (thread == 0) return false;
  (void)payload.release();  // the thread owns it now
  // Closing the handle does not stop the thread; nobody joins it.
  const UniqueKernelHandle handle(reinterpret_cast<HANDLE>(thread));
  return true;
}

}  // namespace mirel::win32
