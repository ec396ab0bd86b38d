// Window rules kept in the registry below HKEY_CURRENT_USER, in
//   Software\Mirel\Virtual Desktop\Rules   "Rule1", "Rule2", ... as REG_SZ text
// one value per rule, in the order in which the rules are tried; docs/window-rules.md describes the
// text. Rules are read at start and written whenever the user changes them.
//
// Reading skips what it cannot use: a value of another type, or text of an unknown form, is
// reported (as a bad setting is) and the other rules still load. Values with other names are left
// alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/window_rules.h"
#include "platform/registry.h"

namespace mirel {

inline constexpr const char* kRulesKeyPath = "Software\\Mirel\\Virtual Desktop\\Rules";

// "desktop 3|mail.exe|MAILWND|Inbox": action, program, class, title parts.
std::string EncodeWindowRule(const TWindowRule& rule);
// Nothing for text of an unknown form or a rule MakeWindowRule would refuse.
std::optional<TWindowRule> DecodeWindowRule(std::string_view text);

// Appends the stored rules to `rules` in the order of their numbers; returns the messages for the
// error box, one per value that was skipped. Never creates the key.
std::vector<std::string> LoadWindowRules(IRegistry& registry, TWindowRules& rules);

// Writes `rules` as "Rule1".. and deletes every other value of the key. Stops at the first failure
// and returns its message.
std::optional<std::string> SaveWindowRules(IRegistry& registry, const TWindowRules& rules);

}  // namespace mirel
