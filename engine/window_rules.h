// Window rules: where every new window of an application goes. A rule matches a window by the file
// name of the program that made it and, optionally, by its class name and parts of its title (as a
// sticky rule matches), and then puts it on one desktop, on all desktops, or leaves it alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.h"

namespace mirel {

enum class TRuleAction : std::uint8_t { raDesktop, raAllDesktops, raLeaveAlone };

struct TWindowRule {
  std::string Program;     // a file name such as "mail.exe"; ASCII case ignored
  std::string WndClass;    // empty for any class; held upper-cased, as a sticky class rule
  std::string TitleParts;  // empty for any title; parts separated by "," (all must occur)
  TRuleAction Action = TRuleAction::raDesktop;
  int Desktop = 0;         // 0..7, for raDesktop
  bool GoAlong = false;    // raDesktop: the desktop comes on screen with the window
};

using TWindowRules = std::vector<TWindowRule>;

// The last part of a path: "C:\Apps\Mail.exe" gives "Mail.exe".
std::string_view ProgramFileName(std::string_view path);

// The rule the user asked for: the program's file name (a full path is cut to its file name), a
// class name and title parts that may stay empty. Nothing for a rule that could never match or
// could not be stored: no program name, a name holding "|", a class holding "|", a desktop out of
// range.
std::optional<TWindowRule> MakeWindowRule(std::string_view program, std::string_view wndClass,
                                          std::string_view titleParts, TRuleAction action,
                                          int desktop, bool goAlong);

// Whether `rule` matches `window`, made by the program whose file name is `program`.
bool RuleMatches(IWindowSystem& ws, const TWindowRule& rule, Hwnd window, std::string_view program);
// The first rule that matches, or nullptr.
const TWindowRule* FirstMatchingRule(IWindowSystem& ws, const TWindowRules& rules, Hwnd window,
                                     std::string_view program);

// What the rules page shows for a rule's action: "Desktop 3", "Desktop 3, go along",
// "All desktops", "Leave alone".
std::string RuleActionText(const TWindowRule& rule);

}  // namespace mirel
