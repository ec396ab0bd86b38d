#include "engine/engine_gate.h"

#include <algorithm>

namespace mirel {

void TEngineGate::Run(Request request, const std::string& kind) {
  const bool waiting =
      !kind.empty() && std::any_of(queue_.begin(), queue_.end(),
                                   [&kind](const TQueued& queued) { return queued.kind == kind; });
  if (!waiting) queue_.push_back({std::move(request), kind});
  if (busy_) return;
  busy_ = true;
  // An error ends this run; what still waits runs at the next request.
  struct TIdle {
    bool& busy;
    ~TIdle() { busy = false; }
  } idle{busy_};
  while (!queue_.empty()) {
    const Request next = std::move(queue_.front().request);
    queue_.pop_front();
    next();
  }
}

}  // namespace mirel
