#include "e2e/driver/message_sink.h"

#include <string>
#include <utility>

#include "e2e/driver/wait.h"

namespace mirel::e2e {
namespace {

constexpr const char* kClass = "MirelE2EMessageSink";

}  // namespace

MessageSink::MessageSink(const char* title, Handler handler) : handler_(std::move(handler)) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MessageSink::WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassExA(&wc);  // fails harmlessly when a sink made it before
  window_.Reset(CreateWindowExA(0, kClass, title, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                wc.hInstance, this));
  if (!window_) throw DriverError(std::string("cannot create the window \"") + title + "\"");
}

LRESULT CALLBACK MessageSink::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(
                          reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  const auto* self = reinterpret_cast<MessageSink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr && self->handler_) {
    if (const std::optional<LRESULT> answer = self->handler_(message, wParam, lParam)) {
      return *answer;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mirel::e2e
