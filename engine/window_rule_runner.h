// Applies the window rules: to each new window once, as soon as it is visible and titled, and to
// every open window on the user's request. A rule applies to the head of a family only (a window
// without a visible owner); the engine moves its owned windows with it, and an owned window that
// opens later goes where its owner is.
#pragma once

#include <cstdint>
#include <unordered_set>

#include "engine/desktop_engine.h"
#include "engine/new_windows.h"
#include "engine/window_rules.h"

namespace mirel {

class TWindowRuleRunner {
 public:
  TWindowRuleRunner(TDesktopEngine& engine, const TWindowRules& rules);

  // At start: every window open now is left where it is.
  void Start();
  // A window event for a top-level window of another program. True when windows now wait to be
  // looked at again (every TNewWindows::kLookIntervalMs).
  bool WindowEvent(Hwnd window, TWindowEvent event, std::uint64_t nowMs);
  // Looks at the waiting windows and applies the rules of those now ready, each as a request
  // through the engine's gate. Never inside a switch, move or pass: it then waits for the next
  // look. True while windows still wait.
  bool Look(std::uint64_t nowMs);
  bool Waiting() const { return newWindows_.Waiting(); }
  // "Apply rules now": the rules for every open window that no rule has placed yet (a window a rule
  // placed and the user moved since stays where the user put it). Returns how many a rule placed.
  // The caller runs it as a request through the engine's gate, as it does ApplyRules.
  int ApplyToOpenWindows();
  // The one way a rule reaches a window: its first matching rule, applied. False when none applied
  // (no rule, already placed, owned by a visible window, the engine busy).
  bool ApplyRules(Hwnd window);

 private:
  bool Ready(Hwnd window);
  void Forget(Hwnd window);

  TDesktopEngine& engine_;
  const TWindowRules& rules_;
  TNewWindows newWindows_;
  std::unordered_set<Hwnd> placed_;  // windows a rule has placed
};

}  // namespace mirel
