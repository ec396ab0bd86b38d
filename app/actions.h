// Actions: named commands with a caption, hint, image and shortcut, shared by the toolbar and the
// menus. Checking an action of a group unchecks the others of that group.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mirel {

struct TAction {
  std::string Name;
  std::string Category;
  std::string Caption;
  std::string Hint;
  int ImageIndex = -1;
  std::uint16_t ShortCut = 0;  // shortcut value: virtual key + 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt
  bool AutoCheck = false;
  int GroupIndex = 0;
  bool Checked = false;
  std::function<void()> OnExecute;
};

class TActionList {
 public:
  TAction& Add(TAction action);
  TAction* Find(const std::string& name);
  // Runs the action's handler; an auto-checking action checks itself first.
  void Execute(TAction& action);
  // Checks or unchecks; checking an action of a group (GroupIndex > 0) unchecks the rest of it.
  void SetChecked(TAction& action, bool checked);
  // The action whose shortcut is `shortCut`, if any.
  TAction* FindShortCut(std::uint16_t shortCut);
  const std::vector<std::unique_ptr<TAction>>& Actions() const { return actions_; }
  // Called after any change of a checked state (the toolbar follows it).
  std::function<void()> OnChange;

 private:
  std::vector<std::unique_ptr<TAction>> actions_;
};

}  // namespace mirel
