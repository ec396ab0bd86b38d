#include "settings/sticky_rules.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "engine/win2tree.h"
#include "platform/utf.h"
#include "settings/setting_values.h"

namespace mirel {

namespace {

// Value numbers have at most this many digits, so they always fit an int.
constexpr std::size_t kMaxNumberDigits = 9;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool HasVisibleText(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return !IsBlank(c); });
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && UpperAscii(text.substr(0, prefix.size())) ==
                                             UpperAscii(prefix);
}

bool SameRule(const TStickyWindow& a, const TStickyWindow& b) {
  if (a.Kind != b.Kind) return false;
  switch (a.Kind) {
    case TStickyKind::skByHandle:
      return a.Handle == b.Handle;
    case TStickyKind::skByClassName:
      return a.WndClass == b.WndClass;
    case TStickyKind::skByTitleParts:
      return a.TitleParts == b.TitleParts;
  }
  return false;
}

}  // namespace

std::optional<TStickyWindow> MakeStickyRule(TStickyKind kind, Hwnd window, std::string_view text) {
  TStickyWindow rule;
  rule.Kind = kind;
  switch (kind) {
    case TStickyKind::skByHandle:
      if (window == 0) return std::nullopt;
      rule.Handle = window;
      return rule;
    case TStickyKind::skByClassName: {
      const std::string_view name = TrimBlanks(text);
      // A longer name than a class name can be is never read back from a window.
      if (name.empty() || Utf16Length(name) > kShortStringMax) return std::nullopt;
      rule.WndClass = UpperAscii(name);
      return rule;
    }
    case TStickyKind::skByTitleParts:
      if (!HasVisibleText(text)) return std::nullopt;
      rule.TitleParts = std::string(text);
      return rule;
  }
  return std::nullopt;
}

bool AddStickyRule(TStickyWindows& list, const TStickyWindow& rule) {
  for (std::size_t i = 0; i < list.Count(); ++i) {
    if (SameRule(*list.Items(i), rule)) return false;
  }
  list.Add(rule);
  return true;
}

std::optional<std::string> EncodeStickyRule(const TStickyWindow& rule) {
  switch (rule.Kind) {
    case TStickyKind::skByHandle:
      return std::nullopt;
    case TStickyKind::skByClassName:
      return kStickyClassTag + rule.WndClass;
    case TStickyKind::skByTitleParts:
      return kStickyTitleTag + rule.TitleParts;
  }
  return std::nullopt;
}

std::optional<TStickyWindow> DecodeStickyRule(std::string_view text) {
  const std::string_view classTag = kStickyClassTag;
  const std::string_view titleTag = kStickyTitleTag;
  if (StartsWithNoCase(text, classTag)) {
    return MakeStickyRule(TStickyKind::skByClassName, 0, text.substr(classTag.size()));
  }
  if (StartsWithNoCase(text, titleTag)) {
    return MakeStickyRule(TStickyKind::skByTitleParts, 0, text.substr(titleTag.size()));
  }
  return std::nullopt;
}

std::string StickyRuleValueName(int number) {
  return kStickyRuleValuePrefix + std::to_string(number);
}

std::optional<int> StickyRuleNumber(std::string_view name) {
  const std::string_view prefix = kStickyRuleValuePrefix;
  if (!StartsWithNoCase(name, prefix)) return std::nullopt;
  const std::string_view digits = name.substr(prefix.size());
  if (digits.empty() || digits.size() > kMaxNumberDigits || digits.front() == '0') {
    return std::nullopt;
  }
  int number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

int LoadStickyRules(IRegistry& registry, TStickyWindows& list) {
  const ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), kStickyKeyPath, false);
  if (!key) return 0;

  std::vector<std::pair<int, std::string>> numbered;
  for (std::string& name : registry.ValueNames(key.get())) {
    if (const auto number = StickyRuleNumber(name)) numbered.emplace_back(*number, std::move(name));
  }
  std::sort(numbered.begin(), numbered.end());

  int added = 0;
  for (const auto& [number, name] : numbered) {
    RegValue value;
    if (registry.QueryValue(key.get(), name, value) != RegRead::kOk) continue;
    const std::optional<std::string> text = ValueText(value);
    if (!text) continue;
    if (const auto rule = DecodeStickyRule(*text); rule && AddStickyRule(list, *rule)) ++added;
  }
  return added;
}

std::optional<std::string> SaveStickyRules(IRegistry& registry, const TStickyWindows& list) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    if (auto text = EncodeStickyRule(*list.Items(i))) texts.push_back(std::move(*text));
  }

  return SaveNumberedRules(registry, kStickyKeyPath, texts);
}

std::optional<std::string> SaveNumberedRules(IRegistry& registry, const char* keyPath,
                                             const std::vector<std::string>& texts) {
  const bool create = !texts.empty();
  const ScopedRegKey key = OpenScopedKey(registry, registry.CurrentUser(), keyPath, create);
  if (!key) {
    if (!create) return std::nullopt;  // nothing stored and nothing to store
    return std::string("Failed to create key ") + keyPath;
  }

  std::set<std::string> written;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string name = StickyRuleValueName(static_cast<int>(i) + 1);
    if (!registry.SetString(key.get(), name, texts[i])) {
      return "Failed to set data for '" + name + "'";
    }
    written.insert(UpperAscii(name));
  }
  // Value names are compared without case by the registry, so "rule1" is the value just written.
  // A value that cannot be deleted stays behind; it is read again as a rule the user once made.
  for (const std::string& name : registry.ValueNames(key.get())) {
    if (!written.contains(UpperAscii(name))) static_cast<void>(registry.DeleteValue(key.get(), name));
  }
  return std::nullopt;
}

}  // namespace mirel
