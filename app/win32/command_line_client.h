// The program started with arguments: it hands one command to the copy that runs in this session
// and ends, without tray icons or hot keys of its own.
#pragma once

#include <string>
#include <vector>

namespace mirel::win32 {

// The arguments of this process's command line, without the program's name, as UTF-8.
std::vector<std::string> CommandLineArguments();

// Parses `args` (not empty), sends the command and returns the exit code (app/command_line.h).
int RunCommandLine(const std::vector<std::string>& args);

}  // namespace mirel::win32
