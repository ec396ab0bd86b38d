// The startup shortcut on Windows: kernel32 for the files, the shell's link object for the link.
// Needs COM initialised on the calling thread (the application does it at start-up).
#pragma once

#include "settings/startup_shortcut.h"

namespace mirel::win32 {

class Win32ShellIntegration : public IShellIntegration {
 public:
  bool FileExists(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  std::string ExecutablePath() override;
  void CreateShortcut(const std::string& target, const std::string& workingDirectory,
                      const std::string& linkFile) override;
};

}  // namespace mirel::win32
