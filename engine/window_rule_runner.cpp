#include "engine/window_rule_runner.h"

#include <vector>

#include "engine/win2tree.h"

namespace mirel {

TWindowRuleRunner::TWindowRuleRunner(TDesktopEngine& engine, const TWindowRules& rules)
    : engine_(engine), rules_(rules) {}

void TWindowRuleRunner::Start() { newWindows_.KnowAll(engine_.Windows().WindowsInZOrder()); }

bool TWindowRuleRunner::WindowEvent(Hwnd window, TWindowEvent event, std::uint64_t nowMs) {
  if (event == TWindowEvent::weCreate || event == TWindowEvent::weDestroy) Forget(window);
  newWindows_.Event(window, event, nowMs);
  return newWindows_.Waiting();
}

void TWindowRuleRunner::Forget(Hwnd window) {
  // A handle that is created again, or destroyed, is no longer the window a rule saw.
  placed_.erase(window);
  TsDeskCFG& config = engine_.Config();
  config.LeftAloneWindows.erase(window);
  // The sticky rule by handle that "All desktops" made would otherwise keep a later window with
  // the same handle from being hidden.
  if (config.AllDesktopsWindows.erase(window) != 0 && config.StickyWindows) {
    config.StickyWindows->RemoveHandleRules(window);
  }
}

bool TWindowRuleRunner::Ready(Hwnd window) {
  IWindowSystem& ws = engine_.Windows();
  // Only a visible window with a title is ever managed.
  return ws.IsWindowVisible(window) && !GetWindowTitle(ws, window).empty();
}

bool TWindowRuleRunner::Look(std::uint64_t nowMs) {
  if (engine_.Busy()) return true;
  IWindowSystem& ws = engine_.Windows();
  // Taken first: applying a rule can let events in that change the waiting list.
  const std::vector<Hwnd> ready = newWindows_.TakeReady(
      nowMs, [&ws](Hwnd window) { return ws.IsWindow(window); },
      [this](Hwnd window) { return Ready(window); });
  // Through the engine's gate: what arrives from outside never runs inside another request.
  for (const Hwnd window : ready) engine_.Request([this, window] { ApplyRules(window); });
  newWindows_.ForgetGone([&ws](Hwnd window) { return ws.IsWindow(window); });
  return newWindows_.Waiting();
}

int TWindowRuleRunner::ApplyToOpenWindows() {
  if (engine_.Busy()) return 0;
  engine_.RefreshWindowList();
  const std::vector<Hwnd> windows = engine_.ManagedWindows();  // a copy: each move refreshes it
  int placed = 0;
  for (const Hwnd window : windows) {
    newWindows_.Know(window);
    if (ApplyRules(window)) ++placed;
  }
  return placed;
}

bool TWindowRuleRunner::ApplyRules(Hwnd window) {
  IWindowSystem& ws = engine_.Windows();
  if (engine_.Busy() || placed_.contains(window) || !ws.IsWindow(window)) return false;
  const Hwnd owner = ws.GetOwner(window);
  if (owner != 0 && ws.IsWindowVisible(owner)) return false;
  const TWindowRule* rule = FirstMatchingRule(ws, rules_, window, ws.GetProgramPath(window));
  if (rule == nullptr) return false;
  placed_.insert(window);
  switch (rule->Action) {
    case TRuleAction::raDesktop:
      if (engine_.DesktopOfWindow(window) != rule->Desktop) {
        engine_.MoveFamilyToDesktop(window, rule->Desktop, rule->GoAlong);
      } else if (rule->GoAlong && engine_.CurrentDesktop() != rule->Desktop) {
        engine_.SwitchToDesktop(static_cast<std::uint16_t>(rule->Desktop), window);
      }
      break;
    case TRuleAction::raAllDesktops:
      if (TStickyWindows* sticky = engine_.Config().StickyWindows.get();
          sticky && !sticky->IsSticky(ws, window)) {
        sticky->Add({window, "", "", TStickyKind::skByHandle});
      }
      engine_.Config().AllDesktopsWindows.insert(window);
      break;
    case TRuleAction::raLeaveAlone:
      engine_.Config().LeftAloneWindows.insert(window);
      break;
  }
  return true;
}

}  // namespace mirel
