// The one way into the engine from outside: hot keys, the tray, commands, display and work-area
// changes. A switch waits on other programs' windows, and while it waits the system delivers the
// messages sent to the program (a display change, a work-area change, a tray notification); a
// request that arrives then must not run inside the switch, which holds the engine's lists, so it
// waits its turn and runs when the switch is over.
#pragma once

#include <deque>
#include <functional>
#include <string>

namespace mirel {

class TEngineGate {
 public:
  using Request = std::function<void()>;

  // Runs `request` now when nothing runs, else after the running request and those queued before
  // it. A request with a `kind` that is already waiting is dropped: it would do the same again
  // (display changes come in bursts).
  void Run(Request request, const std::string& kind = {});
  bool Busy() const { return busy_; }
  std::size_t Waiting() const { return queue_.size(); }

 private:
  struct TQueued {
    Request request;
    std::string kind;
  };
  std::deque<TQueued> queue_;
  bool busy_ = false;
};

}  // namespace mirel
