// Which windows are new, and when to look at them: a window the program learns of from a window
// event is often still invisible and untitled, so it is looked at again until it is visible (then
// its rule is decided, once) or until the watch gives up on it. Windows open at start, and windows
// decided once, are known and never looked at again; only a creation event makes a known handle
// new again (handles are reused).
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/window_system.h"

namespace mirel {

enum class TWindowEvent : std::uint8_t { weCreate, weShow, weNameChange, weDestroy };

class TNewWindows {
 public:
  static constexpr std::uint32_t kLookIntervalMs = 50;
  static constexpr std::uint32_t kLookLimitMs = 3000;

  // Every window open now is known: left alone.
  void KnowAll(const std::vector<Hwnd>& windows);
  void Know(Hwnd window);
  bool Known(Hwnd window) const { return known_.contains(window); }
  // An event for a top-level window at `nowMs`. True when the window is now waiting to be looked at.
  bool Event(Hwnd window, TWindowEvent event, std::uint64_t nowMs);
  bool Waiting() const { return !waiting_.empty(); }

  // Looks at every waiting window: those `ready` says are visible leave the list and are known, and
  // are returned in the order they arrived; those that have gone or waited longer than the limit
  // leave it unknown. `exists` tells gone windows apart.
  std::vector<Hwnd> TakeReady(std::uint64_t nowMs, const std::function<bool(Hwnd)>& exists,
                              const std::function<bool(Hwnd)>& ready);

  // Forgets known windows that have gone, once their number has doubled since the last time.
  void ForgetGone(const std::function<bool(Hwnd)>& exists);

 private:
  struct TWaiting {
    std::uint64_t sinceMs;
    std::uint64_t order;
  };
  std::unordered_map<Hwnd, TWaiting> waiting_;
  std::unordered_set<Hwnd> known_;
  std::uint64_t nextOrder_ = 0;
  std::size_t knownAtLastSweep_ = 64;
};

}  // namespace mirel
