#include "engine/sticky.h"

#include "engine/win2tree.h"

namespace mirel {

namespace {

std::string TrimControls(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
  return std::string(text.substr(first, last - first));
}

}  // namespace

void NextTitlePart(std::string& rest, std::string& part) {
  const std::size_t comma = rest.find(',');
  if (comma == std::string::npos) {
    part = TrimControls(rest);
    rest.clear();
  } else {
    part = TrimControls(std::string_view(rest).substr(0, comma));
    rest.erase(0, comma + 1);
  }
}

bool AllTitlePartsIn(std::string_view parts, std::string_view title) {
  std::string rest = UpperAscii(parts);
  const std::string upperTitle = UpperAscii(title);
  bool result = !rest.empty();
  std::string part;
  while (!rest.empty() && result) {
    NextTitlePart(rest, part);
    result = !part.empty() && upperTitle.find(part) != std::string::npos;
  }
  return result;
}

bool TStickyWindows::Matches(IWindowSystem& ws, const TStickyWindow& rule, Hwnd window) {
  switch (rule.Kind) {
    case TStickyKind::skByHandle:
      return window == rule.Handle;
    case TStickyKind::skByClassName:
      return UpperAscii(GetWindowClass(ws, window)) == rule.WndClass;
    case TStickyKind::skByTitleParts:
      return AllTitlePartsIn(rule.TitleParts, GetWindowTitle(ws, window));
  }
  return false;
}

void TStickyWindows::RemoveHandleRules(Hwnd window) {
  std::erase_if(rules_, [window](const std::unique_ptr<TStickyWindow>& rule) {
    return rule->Kind == TStickyKind::skByHandle && rule->Handle == window;
  });
}

bool TStickyWindows::IsSticky(IWindowSystem& ws, Hwnd window) const {
  for (const auto& rule : rules_) {
    if (Matches(ws, *rule, window)) return true;
  }
  return false;
}

}  // namespace mirel
