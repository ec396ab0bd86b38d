// Hidden message windows for components that are not windows themselves (the window-less timers
// and the tray icons): the platform creates the window, the component receives its messages.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/types.h"

namespace mirel {

// One window message as a window procedure receives it. Result is what the procedure returns when
// the message was handled.
struct TMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

// Receives the messages of a hidden message window.
class IMessageTarget {
 public:
  // True when handled (the window procedure returns message.Result); false sends the message on
  // to the default window procedure.
  virtual bool WindowMessage(TMessage& message) = 0;

 protected:
  ~IMessageTarget() = default;
};

// Creates and destroys hidden message windows on the GUI thread.
class IMessageWindows {
 public:
  virtual ~IMessageWindows() = default;
  // A hidden window whose messages go to `target`; 0 when it cannot be created.
  virtual Hwnd CreateMessageWindow(IMessageTarget& target) = 0;
  // Destroys it; no message reaches its target any more, also while the call runs.
  virtual void DestroyMessageWindow(Hwnd window) = 0;
};

// Owns one message window: destroyed with the owner.
class TScopedMessageWindow {
 public:
  TScopedMessageWindow() = default;
  TScopedMessageWindow(IMessageWindows& windows, IMessageTarget& target)
      : windows_(&windows), window_(windows.CreateMessageWindow(target)) {}
  TScopedMessageWindow(TScopedMessageWindow&& other) noexcept
      : windows_(other.windows_), window_(std::exchange(other.window_, 0)) {}
  TScopedMessageWindow& operator=(TScopedMessageWindow&& other) noexcept {
    if (this != &other) {
      Reset();
      windows_ = other.windows_;
      window_ = std::exchange(other.window_, 0);
    }
    return *this;
  }
  TScopedMessageWindow(const TScopedMessageWindow&) = delete;
  TScopedMessageWindow& operator=(const TScopedMessageWindow&) = delete;
  ~TScopedMessageWindow() { Reset(); }

  Hwnd get() const { return window_; }
  void Reset() {
    if (window_ != 0) windows_->DestroyMessageWindow(std::exchange(window_, 0));
  }

 private:
  IMessageWindows* windows_ = nullptr;
  Hwnd window_ = 0;
};

}  // namespace mirel
