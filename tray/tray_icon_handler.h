// TTrayIconHandler: the hidden window shared by all tray icons, to which the shell sends the
// notifications of every entry. It exists while at least one TTrayIcon exists and maps an entry's
// identifier back to its live instance.
#pragma once

#include <cstddef>

#include "tray/live_registry.h"
#include "tray/message_window.h"
#include "tray/tray_platform.h"

namespace mirel {

class TTrayIcon;

class TTrayIconHandler final : public IMessageTarget {
 public:
  using Id = TLiveRegistry<TTrayIcon>::Id;

  explicit TTrayIconHandler(ITrayPlatform& platform);
  TTrayIconHandler(const TTrayIconHandler&) = delete;
  TTrayIconHandler& operator=(const TTrayIconHandler&) = delete;
  ~TTrayIconHandler() = default;

  ITrayPlatform& Platform() const { return platform_; }
  Hwnd MessageWindow() const { return window_.get(); }
  std::size_t InstanceCount() const { return icons_.Count(); }

  Id Register(TTrayIcon& icon) { return icons_.Add(icon); }
  void Unregister(Id id) { icons_.Remove(id); }

  // The tray callback message goes to the instance that wParam names (none: dropped). Close,
  // destroy, quit and end-of-session requests are answered with 1 so that the window neither
  // closes nor objects to logging off; every other message goes to the default procedure.
  bool WindowMessage(TMessage& message) override;

 private:
  ITrayPlatform& platform_;
  TLiveRegistry<TTrayIcon> icons_;
  TScopedMessageWindow window_;  // last: it may deliver messages as soon as it exists
};

// The one handler, or nullptr when no tray icon exists.
TTrayIconHandler* SharedTrayHandler();
// Program end: destroys a handler that still exists, whatever its count.
void ShutdownTrayHandler();

// One tray icon's registration with the shared handler: creates the handler for the first icon,
// destroys it (and its window) with the last.
class TTrayHandlerLease {
 public:
  // Throws std::logic_error when the live handler was made for another platform.
  TTrayHandlerLease(ITrayPlatform& platform, TTrayIcon& icon);
  TTrayHandlerLease(const TTrayHandlerLease&) = delete;
  TTrayHandlerLease& operator=(const TTrayHandlerLease&) = delete;
  ~TTrayHandlerLease();

  TTrayIconHandler& Handler() const { return handler_; }
  TTrayIconHandler::Id IconId() const { return id_; }

 private:
  TTrayIconHandler& handler_;
  TTrayIconHandler::Id id_;
};

}  // namespace mirel
