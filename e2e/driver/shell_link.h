// Shortcut files read back through the shell's link object, as the shell itself reads them.
#pragma once

#include <string>

namespace mirel::e2e {

struct ShellLinkContents {
  std::string target;            // the raw path the shortcut starts
  std::string workingDirectory;
};

// Throws DriverError when the link object cannot be made or the file cannot be loaded.
ShellLinkContents ReadShellLink(const std::string& path);

}  // namespace mirel::e2e
