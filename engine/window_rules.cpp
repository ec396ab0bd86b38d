#include "engine/window_rules.h"

#include <algorithm>

#include "engine/desktop_geometry.h"
#include "engine/sticky.h"
#include "engine/win2tree.h"

namespace mirel {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasVisibleText(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return !IsBlank(c); });
}

}  // namespace

std::string_view ProgramFileName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<TWindowRule> MakeWindowRule(std::string_view program, std::string_view wndClass,
                                          std::string_view titleParts, TRuleAction action,
                                          int desktop, bool goAlong) {
  const std::string_view name = TrimBlanks(ProgramFileName(TrimBlanks(program)));
  const std::string_view className = TrimBlanks(wndClass);
  // "|" separates the stored fields; no file name holds one, and a class that did could not be
  // told from them.
  if (name.empty() || name.find('|') != std::string_view::npos ||
      className.find('|') != std::string_view::npos) {
    return std::nullopt;
  }
  if (action == TRuleAction::raDesktop && (desktop < 0 || desktop >= kDesktopCount)) {
    return std::nullopt;
  }
  TWindowRule rule;
  rule.Program = std::string(name);
  rule.WndClass = UpperAscii(className);
  // Title parts of nothing but blanks would never match: they mean "any title".
  rule.TitleParts = HasVisibleText(titleParts) ? std::string(titleParts) : std::string();
  rule.Action = action;
  rule.Desktop = action == TRuleAction::raDesktop ? desktop : 0;
  rule.GoAlong = action == TRuleAction::raDesktop && goAlong;
  return rule;
}

bool RuleMatches(IWindowSystem& ws, const TWindowRule& rule, Hwnd window,
                 std::string_view program) {
  if (UpperAscii(ProgramFileName(program)) != UpperAscii(rule.Program)) return false;
  if (!rule.WndClass.empty() &&
      !TStickyWindows::Matches(ws, {0, rule.WndClass, "", TStickyKind::skByClassName}, window)) {
    return false;
  }
  return rule.TitleParts.empty() ||
         TStickyWindows::Matches(ws, {0, "", rule.TitleParts, TStickyKind::skByTitleParts}, window);
}

const TWindowRule* FirstMatchingRule(IWindowSystem& ws, const TWindowRules& rules, Hwnd window,
                                     std::string_view program) {
  if (program.empty()) return nullptr;
  for (const TWindowRule& rule : rules) {
    if (RuleMatches(ws, rule, window, program)) return &rule;
  }
  return nullptr;
}

std::string RuleActionText(const TWindowRule& rule) {
  switch (rule.Action) {
    case TRuleAction::raDesktop:
      return "Desktop " + std::to_string(rule.Desktop + 1) + (rule.GoAlong ? ", go along" : "");
    case TRuleAction::raAllDesktops:
      return "All desktops";
    case TRuleAction::raLeaveAlone:
      return "Leave alone";
  }
  return {};
}

}  // namespace mirel
