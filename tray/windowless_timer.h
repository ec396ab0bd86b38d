// TWindowlessTimer: a periodic timer for code that is not a window. All live timers share one
// hidden message window owned by TWindowlessTimerHandler, which exists only while a timer exists.
// Ticks arrive as WM_TIMER on the GUI thread's message loop, so callbacks run between other
// messages of that thread.
#pragma once

#include <cstdint>

#include "tray/live_registry.h"
#include "tray/message_window.h"

namespace mirel {

// What the timers need of the platform: the shared message window and the window's timers
// (SetTimer/KillTimer with an explicit window and identifier, no timer procedure).
class ITimerPlatform : public IMessageWindows {
 public:
  virtual bool SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
  virtual bool KillTimer(Hwnd window, std::uintptr_t id) = 0;
};

// Called at every tick with the owner given at construction.
using TTimerCallback = void (*)(void* owner);

class TWindowlessTimer;

class TWindowlessTimerHandler final : public IMessageTarget {
 public:
  explicit TWindowlessTimerHandler(ITimerPlatform& platform);
  TWindowlessTimerHandler(const TWindowlessTimerHandler&) = delete;
  TWindowlessTimerHandler& operator=(const TWindowlessTimerHandler&) = delete;
  ~TWindowlessTimerHandler() = default;

  ITimerPlatform& Platform() const { return platform_; }
  Hwnd MessageWindow() const { return window_.get(); }
  std::size_t InstanceCount() const { return timers_.Count(); }

  TLiveRegistry<TWindowlessTimer>::Id Register(TWindowlessTimer& timer) {
    return timers_.Add(timer);
  }
  void Unregister(TLiveRegistry<TWindowlessTimer>::Id id) { timers_.Remove(id); }

  // WM_TIMER for a live timer runs its callback; a WM_TIMER naming no live timer is dropped;
  // every other message goes to the default procedure.
  bool WindowMessage(TMessage& message) override;

 private:
  ITimerPlatform& platform_;
  TLiveRegistry<TWindowlessTimer> timers_;
  TScopedMessageWindow window_;  // last: it may deliver messages as soon as it exists
};

// The one handler, or nullptr when no timer exists.
TWindowlessTimerHandler* SharedTimerHandler();
// Creates the handler on first use and counts one more timer. Throws std::logic_error when the
// live handler was made for another platform.
TWindowlessTimerHandler& AcquireTimerHandler(ITimerPlatform& platform);
// Counts one timer less and destroys the handler (with its window) after the last one.
void ReleaseTimerHandler();
// Program end: destroys a handler that still exists, whatever its count.
void ShutdownTimerHandler();

class TWindowlessTimer {
 public:
  // Does not start the timer. `callback` may be nullptr: ticks then do nothing.
  TWindowlessTimer(ITimerPlatform& platform, void* owner, TTimerCallback callback);
  TWindowlessTimer(const TWindowlessTimer&) = delete;
  TWindowlessTimer& operator=(const TWindowlessTimer&) = delete;
  ~TWindowlessTimer();

  // Stops a running timer first (so the count restarts even with the same interval), then starts
  // ticking every `milliseconds`. Active only when the platform timer was created.
  bool Start(std::uint32_t milliseconds);
  // Active becomes false in any case; the result is KillTimer's (false when nothing ran).
  bool Stop();

  bool Active() const { return active_; }
  std::uint32_t Interval() const { return interval_; }
  std::uintptr_t TimerId() const { return timerId_; }
  void* Owner() const { return owner_; }

 private:
  friend class TWindowlessTimerHandler;
  void Tick() const {
    if (callback_ != nullptr) callback_(owner_);
  }

  void* owner_;
  TTimerCallback callback_;
  TWindowlessTimerHandler& handler_;
  std::uintptr_t timerId_;
  bool active_ = false;
  std::uint32_t interval_ = 0;
};

}  // namespace mirel
