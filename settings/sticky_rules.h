// Sticky rules made by the user, and the ones kept from one run to the next.
//
// Rules by class name or by title parts are stored below HKEY_CURRENT_USER in
//   Software\Mirel\Virtual Desktop\Sticky   "Rule1", "Rule2", ... as REG_SZ text
// one value per rule, the text "class:<CLASS NAME>" or "title:<parts>". They are read at start and
// written at shut-down. Rules by handle are not stored: a handle means nothing in the next run.
//
// Reading is forgiving: a value of another type, another name or an unknown form is left alone and
// loading goes on, so a damaged value never costs the other rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sticky.h"
#include "platform/registry.h"

namespace mirel {

inline constexpr const char* kStickyKeyPath = "Software\\Mirel\\Virtual Desktop\\Sticky";
inline constexpr const char* kStickyRuleValuePrefix = "Rule";
inline constexpr const char* kStickyClassTag = "class:";
inline constexpr const char* kStickyTitleTag = "title:";

// The rule the user asked for in the rule dialog: `window` for a rule by handle, otherwise the text
// of the edit box that belongs to the chosen kind. A class name loses blanks around it and is held
// upper-cased (ASCII), the only form in which a class-name rule matches. Nothing for a rule that
// could never match: no window, or a text without anything but blanks and control characters.
std::optional<TStickyWindow> MakeStickyRule(TStickyKind kind, Hwnd window, std::string_view text);

// Adds a copy of `rule` unless the list already holds the same rule; true when it was added.
bool AddStickyRule(TStickyWindows& list, const TStickyWindow& rule);

// The stored text of a rule; nothing for a rule by handle.
std::optional<std::string> EncodeStickyRule(const TStickyWindow& rule);
// The rule a stored text stands for; nothing for text of an unknown form or one that makes a rule
// MakeStickyRule would refuse. A stored class name is upper-cased again.
std::optional<TStickyWindow> DecodeStickyRule(std::string_view text);

// "Rule<n>", and back: the number of a value name of that form (letters in any case, n from 1,
// decimal without sign or leading zeros); nothing for any other name.
std::string StickyRuleValueName(int number);
std::optional<int> StickyRuleNumber(std::string_view name);

// Writes `texts` as "Rule1".. below `keyPath` in the current user's hive and deletes every other
// value of the key; the key is created only when there is something to write. An error message
// when the key or a value cannot be written.
std::optional<std::string> SaveNumberedRules(IRegistry& registry, const char* keyPath,
                                             const std::vector<std::string>& texts);

// Adds the stored rules to `list` in the order of their numbers, skipping what cannot be used and
// rules already in the list. Never creates the key. Returns the number of rules added.
int LoadStickyRules(IRegistry& registry, TStickyWindows& list);

// Writes the list's storable rules as "Rule1".. in list order and deletes every other value of the
// key, so the key holds exactly the list. With nothing to store the key is not created. Stops at the
// first failure and returns its message; the values written before it stay.
std::optional<std::string> SaveStickyRules(IRegistry& registry, const TStickyWindows& list);

}  // namespace mirel
