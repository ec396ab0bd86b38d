// The program's command line. Without arguments the program starts; with them it hands one
// desktop command to the copy already running and ends (app/win32/command_line_client.cpp).
#pragma once

#include <string>
#include <vector>

#include "engine/desk_command.h"

namespace mirel {

// Exit codes of a command-line run; /current exits with the desktop on screen (1..8) instead.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNoCopyRunning = 1;
inline constexpr int kExitBadArguments = 2;

struct TCommandLine {
  enum class TOutcome { kStartProgram, kCommand, kUsage, kBadArguments };
  TOutcome Outcome = TOutcome::kStartProgram;
  TDeskCommand Command;
  std::string Error;  // what was wrong, for kBadArguments
};

// `args` without the program's own name. Options are case-insensitive and may begin with "/" or
// "-"; a desktop number is one digit, 1 to 8.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text; lines end with "\n".
std::string UsageText();

}  // namespace mirel
