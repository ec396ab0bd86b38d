// Sticky windows: rules that keep a window from being hidden along with the other desktops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.h"

namespace mirel {

enum class TStickyKind : std::uint8_t { skByHandle = 0, skByClassName = 1, skByTitleParts = 2 };

struct TStickyWindow {
  Hwnd Handle = 0;
  std::string WndClass;    // held upper-cased for a class-name rule
  std::string TitleParts;  // parts separated by "," (all must occur)
  TStickyKind Kind = TStickyKind::skByHandle;
};

// Takes the next comma-separated part off the front of `rest`, trimmed of bytes up to 32.
void NextTitlePart(std::string& rest, std::string& part);
// True when every comma-separated part of `parts` occurs in `title` (ASCII case ignored). An empty
// `parts`, or any empty part, gives false.
bool AllTitlePartsIn(std::string_view parts, std::string_view title);

class TStickyWindows {
 public:
  std::size_t Count() const { return rules_.size(); }
  // The rule at `index`, or nullptr past the end.
  const TStickyWindow* Items(std::size_t index) const {
    return index < rules_.size() ? rules_[index].get() : nullptr;
  }
  void Add(const TStickyWindow& rule) { rules_.push_back(std::make_unique<TStickyWindow>(rule)); }
  // Removes the rules by handle for `window` (a window that has gone: its handle may come back).
  void RemoveHandleRules(Hwnd window);

  static bool Matches(IWindowSystem& ws, const TStickyWindow& rule, Hwnd window);
  bool IsSticky(IWindowSystem& ws, Hwnd window) const;

 private:
  std::vector<std::unique_ptr<TStickyWindow>> rules_;
};

}  // namespace mirel
