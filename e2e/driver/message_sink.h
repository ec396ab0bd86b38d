// A hidden top-level window of the test process whose messages go to a handler: for what the
// system sends to every top-level window (WM_QUERYENDSESSION) or to a hot key's owner (WM_HOTKEY).
#pragma once

#include <functional>
#include <optional>

#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirel::e2e {

class MessageSink {
 public:
  // The handler's answer to a message, or nothing for the default handling. It runs on the thread
  // that made the sink, while that thread dispatches messages.
  using Handler = std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)>;

  // Throws DriverError when the window cannot be made.
  MessageSink(const char* title, Handler handler);
  MessageSink(const MessageSink&) = delete;
  MessageSink& operator=(const MessageSink&) = delete;

  HWND Handle() const { return window_.get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Handler handler_;
  win32::UniqueWindow window_;
};

}  // namespace mirel::e2e
