#include "settings/window_rules_store.h"

#include <algorithm>
#include <set>
#include <utility>

#include "engine/win2tree.h"
#include "settings/setting_values.h"
#include "settings/sticky_rules.h"

namespace mirel {

namespace {

constexpr char kFieldSeparator = '|';
constexpr std::string_view kDesktopWord = "DESKTOP";
constexpr std::string_view kGoAlongWords = "GO ALONG";
constexpr std::string_view kAllDesktopsWords = "ALL DESKTOPS";
constexpr std::string_view kLeaveAloneWords = "LEAVE ALONE";

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

// Takes the text up to the next separator off the front of `rest`; false when there is none.
bool TakeField(std::string_view& rest, std::string_view& field) {
  const std::size_t bar = rest.find(kFieldSeparator);
  if (bar == std::string_view::npos) return false;
  field = rest.substr(0, bar);
  rest.remove_prefix(bar + 1);
  return true;
}

struct TParsedAction {
  TRuleAction action = TRuleAction::raDesktop;
  int desktop = 0;
  bool goAlong = false;
};

// "desktop 3", "desktop 3 go along", "all desktops", "leave alone"; ASCII case ignored.
std::optional<TParsedAction> ParseAction(std::string_view text) {
  const std::string upper = UpperAscii(TrimBlanks(text));
  if (upper == kAllDesktopsWords) return TParsedAction{TRuleAction::raAllDesktops, 0, false};
  if (upper == kLeaveAloneWords) return TParsedAction{TRuleAction::raLeaveAlone, 0, false};
  std::string_view rest = upper;
  if (!rest.starts_with(kDesktopWord)) return std::nullopt;
  rest.remove_prefix(kDesktopWord.size());
  rest = TrimBlanks(rest);
  if (rest.empty() || rest.front() < '1' || rest.front() > '8') return std::nullopt;
  TParsedAction parsed{TRuleAction::raDesktop, rest.front() - '1', false};
  rest = TrimBlanks(rest.substr(1));
  if (rest == kGoAlongWords) {
    parsed.goAlong = true;
  } else if (!rest.empty()) {
    return std::nullopt;
  }
  return parsed;
}

std::string ActionWords(const TWindowRule& rule) {
  switch (rule.Action) {
    case TRuleAction::raDesktop:
      return "desktop " + std::to_string(rule.Desktop + 1) + (rule.GoAlong ? " go along" : "");
    case TRuleAction::raAllDesktops:
      return "all desktops";
    case TRuleAction::raLeaveAlone:
      return "leave alone";
  }
  return {};
}

}  // namespace

std::string EncodeWindowRule(const TWindowRule& rule) {
  return ActionWords(rule) + kFieldSeparator + rule.Program + kFieldSeparator + rule.WndClass +
         kFieldSeparator + rule.TitleParts;
}

std::optional<TWindowRule> DecodeWindowRule(std::string_view text) {
  std::string_view rest = text;
  std::string_view action;
  std::string_view program;
  std::string_view wndClass;
  if (!TakeField(rest, action) || !TakeField(rest, program) || !TakeField(rest, wndClass)) {
    return std::nullopt;
  }
  const auto parsed = ParseAction(action);
  if (!parsed) return std::nullopt;
  // The title parts are the rest of the text, separators and all.
  return MakeWindowRule(program, wndClass, rest, parsed->action, parsed->desktop, parsed->goAlong);
}

std::vector<std::string> LoadWindowRules(IRegistry& registry, TWindowRules& rules) {
  std::vector<std::string> errors;
  const ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), kRulesKeyPath, false);
  if (!key) return errors;

  std::vector<std::pair<int, std::string>> numbered;
  for (std::string& name : registry.ValueNames(key.get())) {
    if (const auto number = StickyRuleNumber(name)) numbered.emplace_back(*number, std::move(name));
  }
  std::sort(numbered.begin(), numbered.end());

  for (const auto& [number, name] : numbered) {
    RegValue value;
    if (registry.QueryValue(key.get(), name, value) != RegRead::kOk) {
      errors.push_back("Failed to get data for '" + name + "'");
      continue;
    }
    const std::optional<std::string> text = ValueText(value);
    if (!text) {
      errors.push_back("Invalid data type for '" + name + "'");
      continue;
    }
    if (auto rule = DecodeWindowRule(*text)) {
      rules.push_back(std::move(*rule));
    } else {
      errors.push_back("Invalid rule '" + name + "': " + *text);
    }
  }
  return errors;
}

std::optional<std::string> SaveWindowRules(IRegistry& registry, const TWindowRules& rules) {
  std::vector<std::string> texts;
  texts.reserve(rules.size());
  for (const TWindowRule& rule : rules) texts.push_back(EncodeWindowRule(rule));
  return SaveNumberedRules(registry, kRulesKeyPath, texts);
}

}  // namespace mirel
