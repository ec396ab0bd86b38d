// Unix programs started from a Windows test under Wine (xdotool, import, shell commands).
//
// Wine's CreateProcess starts a Unix executable, but hands back no process handle and no exit
// code: the program runs detached. RunUnixCommand therefore runs the command in a small shell
// script that leaves its output and exit status in files of the session's scratch folder
// ($MIREL_WINE_SCRATCH, set by tools/wine-session), and polls for them.
#pragma once

#include <chrono>
#include <string>

namespace mirel::test {

struct UnixCommandResult {
  bool finished = false;  // false: not started, or still running when the wait ended
  int exitStatus = -1;
  std::string output;  // standard output and standard error together
};

// Runs `command` with /bin/sh (PATH /usr/local/bin:/usr/bin:/bin, DISPLAY of the session) and
// waits for it at most `timeout`, pumping this thread's messages meanwhile.
UnixCommandResult RunUnixCommand(const std::string& command,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The value of an environment variable; empty when unset.
std::string Env(const char* name);

// The Windows path of a Unix path: Wine maps drive Z: to the Unix root.
std::string WindowsPathOf(const std::string& unixPath);

}  // namespace mirel::test
