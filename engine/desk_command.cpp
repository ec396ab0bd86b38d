#include "engine/desk_command.h"

#include "engine/desktop_engine.h"

namespace mirel {

void RunDeskCommand(TDesktopEngine& engine, const TDeskCommand& command, Hwnd active) {
  const int current = engine.CurrentDesktop();
  auto switchTo = [&engine](int desktop) {
    engine.SwitchToDesktop(static_cast<std::uint16_t>(desktop));
  };
  switch (command.Kind) {
    case TDeskCommandKind::kSwitchTo:
      switchTo(command.Desktop);
      break;
    case TDeskCommandKind::kNext:
      switchTo(StepDesktop(current, 1));
      break;
    case TDeskCommandKind::kPrevious:
      switchTo(StepDesktop(current, -1));
      break;
    case TDeskCommandKind::kMoveTo:
      engine.MoveFamilyToDesktop(active, command.Desktop, false);
      break;
    case TDeskCommandKind::kMoveFollow:
      engine.MoveFamilyToDesktop(active, command.Desktop, true);
      break;
    case TDeskCommandKind::kMoveNext:
      engine.MoveFamilyToDesktop(active, StepDesktop(current, 1), true);
      break;
    case TDeskCommandKind::kMovePrevious:
      engine.MoveFamilyToDesktop(active, StepDesktop(current, -1), true);
      break;
    case TDeskCommandKind::kCurrent:
      break;
  }
}

}  // namespace mirel
