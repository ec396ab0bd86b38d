#include "app/actions.h"

namespace mirel {

TAction& TActionList::Add(TAction action) {
  actions_.push_back(std::make_unique<TAction>(std::move(action)));
  return *actions_.back();
}

TAction* TActionList::Find(const std::string& name) {
  for (auto& action : actions_) {
    if (action->Name == name) return action.get();
  }
  return nullptr;
}

TAction* TActionList::FindShortCut(std::uint16_t shortCut) {
  if (shortCut == 0) return nullptr;
  for (auto& action : actions_) {
    if (action->ShortCut == shortCut) return action.get();
  }
  return nullptr;
}

void TActionList::SetChecked(TAction& action, bool checked) {
  if (checked && action.GroupIndex > 0) {
    for (auto& other : actions_) {
      if (other.get() != &action && other->GroupIndex == action.GroupIndex) other->Checked = false;
    }
  }
  action.Checked = checked;
  if (OnChange) OnChange();
}

void TActionList::Execute(TAction& action) {
  if (action.AutoCheck) SetChecked(action, action.GroupIndex > 0 ? true : !action.Checked);
  if (action.OnExecute) action.OnExecute();
}

}  // namespace mirel
