#include "tray/tray_icon_handler.h"

#include <memory>
#include <stdexcept>

#include "tray/tray_icon.h"

namespace mirel {

namespace {

std::unique_ptr<TTrayIconHandler>& SharedTrayHandlerSlot() {
  static std::unique_ptr<TTrayIconHandler> handler;
  return handler;
}

TTrayIconHandler& AcquireTrayHandler(ITrayPlatform& platform) {
  auto& slot = SharedTrayHandlerSlot();
  if (!slot) {
    slot = std::make_unique<TTrayIconHandler>(platform);
  } else if (&slot->Platform() != &platform) {
    throw std::logic_error("All tray icons must share one platform");
  }
  return *slot;
}

void ReleaseTrayHandler() {
  auto& slot = SharedTrayHandlerSlot();
  if (slot && slot->InstanceCount() == 0) slot.reset();
}

}  // namespace

TTrayIconHandler::TTrayIconHandler(ITrayPlatform& platform)
    : platform_(platform), window_(platform.Timers(), *this) {}

bool TTrayIconHandler::WindowMessage(TMessage& message) {
  switch (message.Msg) {
    case kTrayCallbackMessage:
      // Version-0 notifications: wParam is the entry's uID, lParam the mouse message. An event
      // handler may destroy the icon, even the last one and with it this handler: nothing of this
      // object is used after the call.
      if (TTrayIcon* icon = icons_.Find(message.WParam)) {
        icon->HandleNotification(static_cast<std::uint32_t>(message.LParam));
      }
      return true;
    case kWmDestroy:
    case kWmClose:
    case kWmQueryEndSession:
    case kWmQuit:
    case kWmEndSession:
    case kWmNcDestroy:
      message.Result = 1;
      return true;
    default:
      return false;
  }
}

TTrayIconHandler* SharedTrayHandler() { return SharedTrayHandlerSlot().get(); }

void ShutdownTrayHandler() { SharedTrayHandlerSlot().reset(); }

TTrayHandlerLease::TTrayHandlerLease(ITrayPlatform& platform, TTrayIcon& icon)
    : handler_(AcquireTrayHandler(platform)), id_(handler_.Register(icon)) {}

TTrayHandlerLease::~TTrayHandlerLease() {
  handler_.Unregister(id_);
  ReleaseTrayHandler();
}

}  // namespace mirel
