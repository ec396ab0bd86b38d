#include "tray/windowless_timer.h"

#include <memory>
#include <stdexcept>

#include "platform/types.h"

namespace mirel {

namespace {

std::unique_ptr<TWindowlessTimerHandler>& SharedTimerHandlerSlot() {
  static std::unique_ptr<TWindowlessTimerHandler> handler;
  return handler;
}

}  // namespace

TWindowlessTimerHandler::TWindowlessTimerHandler(ITimerPlatform& platform)
    : platform_(platform), window_(platform, *this) {}

bool TWindowlessTimerHandler::WindowMessage(TMessage& message) {
  if (message.Msg != kWmTimer) return false;
  // The callback may destroy its own timer, even the last one and with it this handler and its
  // window: nothing of this object is used after the call.
  if (const TWindowlessTimer* timer = timers_.Find(message.WParam)) timer->Tick();
  return true;
}

TWindowlessTimerHandler* SharedTimerHandler() { return SharedTimerHandlerSlot().get(); }

TWindowlessTimerHandler& AcquireTimerHandler(ITimerPlatform& platform) {
  auto& slot = SharedTimerHandlerSlot();
  if (!slot) {
    slot = std::make_unique<TWindowlessTimerHandler>(platform);
  } else if (&slot->Platform() != &platform) {
    throw std::logic_error("All window-less timers must share one platform");
  }
  return *slot;
}

void ReleaseTimerHandler() {
  auto& slot = SharedTimerHandlerSlot();
  if (slot && slot->InstanceCount() == 0) slot.reset();
}

void ShutdownTimerHandler() { SharedTimerHandlerSlot().reset(); }

TWindowlessTimer::TWindowlessTimer(ITimerPlatform& platform, void* owner, TTimerCallback callback)
    : owner_(owner),
      callback_(callback),
      handler_(AcquireTimerHandler(platform)),
      timerId_(handler_.Register(*this)) {}

TWindowlessTimer::~TWindowlessTimer() {
  if (active_) Stop();
  handler_.Unregister(static_cast<TLiveRegistry<TWindowlessTimer>::Id>(timerId_));
  ReleaseTimerHandler();
}

bool TWindowlessTimer::Start(std::uint32_t milliseconds) {
  if (active_) Stop();
  interval_ = milliseconds;
  // Without a window SetTimer would make a thread timer with an identifier of its own choosing.
  const Hwnd window = handler_.MessageWindow();
  active_ = window != 0 && handler_.Platform().SetTimer(window, timerId_, milliseconds);
  return active_;
}

bool TWindowlessTimer::Stop() {
  active_ = false;
  const Hwnd window = handler_.MessageWindow();
  return window != 0 && handler_.Platform().KillTimer(window, timerId_);
}

}  // namespace mirel
