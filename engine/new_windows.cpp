#include "engine/new_windows.h"

#include <algorithm>
#include <utility>

namespace mirel {

void TNewWindows::KnowAll(const std::vector<Hwnd>& windows) {
  for (const Hwnd window : windows) Know(window);
}

void TNewWindows::Know(Hwnd window) {
  waiting_.erase(window);
  known_.insert(window);
}

bool TNewWindows::Event(Hwnd window, TWindowEvent event, std::uint64_t nowMs) {
  if (window == 0) return false;
  switch (event) {
    case TWindowEvent::weDestroy:
      waiting_.erase(window);
      known_.erase(window);
      return false;
    case TWindowEvent::weCreate:
      known_.erase(window);  // a new window with a handle used before
      break;
    case TWindowEvent::weShow:
    case TWindowEvent::weNameChange:
      if (known_.contains(window)) return false;
      break;
  }
  // A later event of a waiting window does not restart its clock.
  waiting_.try_emplace(window, TWaiting{nowMs, nextOrder_++});
  return true;
}

std::vector<Hwnd> TNewWindows::TakeReady(std::uint64_t nowMs,
                                         const std::function<bool(Hwnd)>& exists,
                                         const std::function<bool(Hwnd)>& ready) {
  std::vector<std::pair<std::uint64_t, Hwnd>> found;
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    const Hwnd window = it->first;
    if (!exists(window)) {
      it = waiting_.erase(it);
    } else if (ready(window)) {
      found.emplace_back(it->second.order, window);
      known_.insert(window);
      it = waiting_.erase(it);
    } else if (nowMs - it->second.sinceMs >= kLookLimitMs) {
      it = waiting_.erase(it);  // a later show or title event may bring it back
    } else {
      ++it;
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<Hwnd> windows;
  windows.reserve(found.size());
  for (const auto& entry : found) windows.push_back(entry.second);
  return windows;
}

void TNewWindows::ForgetGone(const std::function<bool(Hwnd)>& exists) {
  if (known_.size() < 2 * knownAtLastSweep_) return;
  std::erase_if(known_, [&](Hwnd window) { return !exists(window); });
  knownAtLastSweep_ = std::max<std::size_t>(64, known_.size());
}

}  // namespace mirel
